#pragma once
#include <string>

// The converter's log callback: every message text goes to stdout unchanged,
// as long as stdout takes it (see log_stream.h).
void logToStdout(const char* text);

// A failure the window side would show in a message box; goes to stderr.
void reportFailure(const std::string& text);
