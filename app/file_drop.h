#pragma once
// Files dropped onto a text box are handed on as a list of paths instead of
// being pasted in as text.

#include <QStringList>

#include <functional>

class QAbstractScrollArea;

void acceptFileDrops(QAbstractScrollArea* target, std::function<void(const QStringList& files)> add);
