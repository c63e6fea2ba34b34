#pragma once

#include <QString>

// Whether the windows have somewhere to show: a Unix session may have no
// display at all (a login over ssh, a service), a Windows session always has.
bool displayAvailable();

// The Qt platform that draws images without showing any window: Linux's
// offscreen one, or the Windows desktop that every session has.
const char* windowlessPlatform();

// Tells why a command line is refused: on standard error, or in a message
// box when the program has none (a windowed Windows program started from
// the desktop).
void tellRefusal(const QString& text);
