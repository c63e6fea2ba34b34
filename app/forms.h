#pragma once
// The program's four windows, one instance each, created at start-up in the
// order main, message, associations, help.

#include <QStringList>

class TFrmMain;
class TFrmMessage;
class TFrmChangeCal;
class TFrmHelp;

extern TFrmMain* FrmMain;
extern TFrmMessage* FrmMessage;
extern TFrmChangeCal* FrmChangeCal;
extern TFrmHelp* FrmHelp;

// Creates the windows; the main window converts commandLineFiles at once
// when there are any. Only the main window is shown, and only when the
// program is to go on running.
void createWindows(const QStringList& commandLineFiles);

// True when the start-up conversion asked the program to end.
bool terminationRequested();

void destroyWindows();
