#pragma once

#include <QProcessEnvironment>

// The environment in which a test starts the program itself with its windows
// shown somewhere: this system's own display, or none at all on a POSIX
// system where the tests run without one (the offscreen platform).
QProcessEnvironment displayedProgramEnvironment();
