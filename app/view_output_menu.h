#pragma once
// "View spectra" in the windows' menus: the input list's context menu views
// the output of the line under the mouse, the message window's menu that of
// the last conversion it logged.

#include <QString>
#include <functional>

class QPlainTextEdit;

// Gives the list a context menu of its usual entries and "View spectra",
// which opens the viewer on outputOf(line) for the line clicked.
void addViewSpectraMenu(QPlainTextEdit* list, std::function<QString(const QString& line)> outputOf);

// The output file named last in a log's "-> OUTPUT" lines, or empty.
QString lastLoggedOutput(const QString& log);
