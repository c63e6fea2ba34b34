#pragma once
// A data set is one file per channel whose names differ only in the channel
// letter; these helpers complete a file list with the set's other channels.

#include <QStringList>

// Appends, for every line present at the call, the existing files of the
// same set with the channel letters A to Y that the list does not hold yet
// (compared without regard to letter case).
void addCompanionFiles(QStringList& lines);

// Sorts ascending with the locale-aware, case-insensitive comparison.
void sortFileList(QStringList& lines);
