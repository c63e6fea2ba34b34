#pragma once
// The face the windows' layouts are drawn in, among the installed families:
// the scalable face of "MS Sans Serif" on this system, or the empty text
// when it has none and the desktop's own UI font takes its place.

#include <QString>
#include <QStringList>

QString layoutFamily(const QStringList& installed);
