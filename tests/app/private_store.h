#pragma once
// Gives the test about to run an empty store and desktop of its own; `root`
// is the test's temporary folder.

#include <QString>

void usePrivateStore(const QString& root);
