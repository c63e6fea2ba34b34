#include "cli/conversion_children.h"

#include "cli/window_program.h"

#include "core/windows/wide_text.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

// One argument as the C library's command-line parser reads it back:
// quoted, with the backslashes before a quote (and before the closing one)
// doubled.
std::wstring quotedArgument(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

std::string describeExitCode(DWORD code)
{
    char text[48];
    if (code >= 0xC0000000u) // an exception that ended the process
        std::snprintf(text, sizeof text, "exception 0x%08lX", static_cast<unsigned long>(code));
    else
        std::snprintf(text, sizeof text, "exit status %lu", static_cast<unsigned long>(code));
    return text;
}

// Lets the children started from now on inherit the handle, or no longer.
void setInheritable(HANDLE handle, bool inheritable)
{
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inheritable ? HANDLE_FLAG_INHERIT : 0);
}

// A job whose processes end when its last handle closes: this process's,
// not inherited, which closes when this process ends however it ends. Null
// when the system has none to give.
HANDLE jobEndingWithThisProcess()
{
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

} // namespace

struct ConversionChildren::Processes {
    HANDLE job = jobEndingWithThisProcess(); // every child's, so that a stopped batch stops them
    std::vector<HANDLE> handles;             // of the running children
    std::vector<std::size_t> files;
};

ConversionChildren::ConversionChildren(const FileSteps& steps) : steps_(steps), processes_(new Processes) {}

ConversionChildren::~ConversionChildren()
{
    for (const HANDLE process : processes_->handles)
        CloseHandle(process);
    if (processes_->job)
        CloseHandle(processes_->job);
}

// Without fork a child cannot take over the calibration table this process
// loaded: it is the converter run again on the one file, which loads the
// same calibration file without logging that, and writes its log and error
// texts through inherited handles of the file's log. It starts suspended and
// runs only once it is in the batch's job; a child that cannot be put there
// is not started.
bool ConversionChildren::start(std::size_t file, const std::string&, const LogBlock& log, const std::function<void()>&)
{
    if (!processes_->job || processes_->handles.size() >= MAXIMUM_WAIT_OBJECTS)
        return false;
    std::wstring commandLine = quotedArgument(runningProgramFile().wstring());
    for (const std::string& argument : steps_.childArguments(file))
        commandLine += L" " + quotedArgument(wideFromUtf8(argument));

    const auto out = reinterpret_cast<HANDLE>(_get_osfhandle(log.outFd()));
    const auto err = reinterpret_cast<HANDLE>(_get_osfhandle(log.errFd()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    // Only these two are inheritable while the child starts; children are
    // started from one thread, so no other child takes them along.
    setInheritable(out, true);
    setInheritable(err, true);
    PROCESS_INFORMATION process{};
    const bool created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                        nullptr, &startup, &process) != 0;
    setInheritable(out, false);
    setInheritable(err, false);
    if (!created)
        return false;
    const bool inJob = AssignProcessToJobObject(processes_->job, process.hProcess) != 0;
    if (!inJob || ResumeThread(process.hThread) == static_cast<DWORD>(-1)) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return false;
    }
    CloseHandle(process.hThread);
    processes_->handles.push_back(process.hProcess);
    processes_->files.push_back(file);
    return true;
}

std::optional<EndedChild> ConversionChildren::waitForOne()
{
    std::vector<HANDLE>& handles = processes_->handles;
    if (handles.empty())
        return std::nullopt;
    const DWORD signalled = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
    if (signalled >= WAIT_OBJECT_0 + handles.size())
        return std::nullopt;
    const std::size_t index = signalled - WAIT_OBJECT_0;
    DWORD code = 0;
    GetExitCodeProcess(handles[index], &code);
    CloseHandle(handles[index]);
    EndedChild ended{processes_->files[index], std::nullopt, describeExitCode(code)};
    if (code <= static_cast<DWORD>(FileOutcome::CalibrationUnreadable))
        ended.outcome = static_cast<FileOutcome>(code);
    handles.erase(handles.begin() + static_cast<std::ptrdiff_t>(index));
    processes_->files.erase(processes_->files.begin() + static_cast<std::ptrdiff_t>(index));
    return ended;
}

int ConversionChildren::running() const
{
    return static_cast<int>(processes_->handles.size());
}
