#include "calibration/cal_file_open.h"

#include "core/windows/handle_stream.h"
#include "core/windows/long_path.h"
#include "core/windows/windows_error.h"

#include <fcntl.h>
#include <windows.h>

#include <utility>

namespace {

// Closes the handle unless a stream took it over.
class OpenedFile {
public:
    explicit OpenedFile(HANDLE handle) : handle_(handle) {}
    ~OpenedFile()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    HANDLE get() const { return handle_; }
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

private:
    HANDLE handle_;
};

// A lock without LOCKFILE_EXCLUSIVE_LOCK is shared with other readers.
void holdShared(HANDLE handle, const std::string& fileName, const std::function<void()>& pause)
{
    for (int attempt = 0;; ++attempt) {
        OVERLAPPED whole{};
        if (LockFileEx(handle, LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
            return;
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION)
            failCalFileOpen(fileName, windowsErrorText(error));
        if (attempt == CAL_LOCK_ATTEMPTS)
            failCalFileOpen(fileName, "locked by another program");
        pause();
    }
}

// A file on a disk, not a folder (which the open reaches so as to name it),
// a device (NUL, CON) or a pipe.
bool isRegularFile(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION information{};
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

void pauseBeforeLockRetry()
{
    Sleep(CAL_LOCK_RETRY_MILLISECONDS);
}

// Others may read, write or rename the file meanwhile, as on other systems;
// the shared lock keeps a cooperating writer out.
FileHandle openCalFileShared(const std::string& fileName, std::uint64_t maxSize, const std::function<void()>& pause)
{
    OpenedFile file(CreateFileW(widePathFromUtf8(fileName).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        failCalFileOpen(fileName, windowsErrorText(GetLastError()));
    if (!isRegularFile(file.get()))
        failCalFileOpen(fileName, "not a regular file");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        failCalFileOpen(fileName, windowsErrorText(GetLastError()));
    if (static_cast<std::uint64_t>(size.QuadPart) > maxSize)
        failCalFileOpen(fileName, calFileTooLargeText());
    holdShared(file.get(), fileName, pause);
    FileHandle stream(streamOverHandle(file.release(), _O_RDONLY, "rb"));
    if (!stream)
        failCalFileOpen(fileName, "cannot open a stream on it");
    return stream;
}
