#pragma once
// Runs the desktop's command-line tools directly (found on PATH, no shell),
// so that no file name is ever interpreted by a shell.

#include <string>
#include <vector>

namespace desktop {

enum class ErrorOutput { Discard, Collect };

struct ProgramResult {
    int exitStatus = 0; // the exit status, or 128 + signal number when killed
    std::string output; // standard output, plus standard error if collected
};

// Starts arguments[0] with the arguments and waits for it to end. Throws
// DesktopRegistrationError when the program cannot be started.
ProgramResult runProgram(const std::vector<std::string>& arguments, ErrorOutput errors);

// Whether a program of that name is an executable file in a PATH folder.
bool programOnPath(const std::string& name);

// Runs a tool that must succeed; throws DesktopRegistrationError naming the
// tool and its output when it cannot be started or ends with a failure.
std::string runTool(const std::vector<std::string>& arguments);

} // namespace desktop
