#pragma once
// The viewer asks the program's own boxes, those of the other windows: the
// Dialogs the program or a test sets, and the application's error box for
// what escapes a handler.

#include "viewer/viewer_host.h"

// The host of every viewer window; it holds nothing of its own.
ViewerHost& appViewerHost();
