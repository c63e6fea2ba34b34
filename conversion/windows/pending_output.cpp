#include "conversion/pending_output.h"

#include "conversion/pending_file.h"
#include "conversion/pending_name.h"
#include "conversion/pending_slots.h"
#include "core/windows/handle_stream.h"
#include "core/windows/wide_text.h"
#include "core/windows/windows_error.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

namespace {

PendingSlots<wchar_t> pendingSlots;

int lastErrorNumber()
{
    return errnoFromWindowsError(GetLastError());
}

// Creates a new file under a fresh temporary name. The name is known to the
// Ctrl-C handler (which runs on a thread of its own) before the file exists,
// so that it never misses one.
HANDLE createTemporary(const std::string& finalPath, std::string& temporaryPath, int& registration)
{
    std::mt19937_64 random(std::random_device{}() ^ static_cast<std::uint64_t>(GetCurrentProcessId()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = temporaryNameBeside(finalPath, random);
        const std::wstring wide = wideFromUtf8(temporaryPath);
        registration = pendingSlots.add(wide);
        const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return handle;
        const DWORD error = GetLastError();
        pendingSlots.remove(registration);
        registration = -1;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            SetLastError(error);
            break;
        }
    }
    temporaryPath.clear();
    return INVALID_HANDLE_VALUE;
}

} // namespace

int PendingOutput::open(const std::string& finalPath)
{
    discard();
    const HANDLE handle = createTemporary(finalPath, temporaryPath_, registration_);
    if (handle == INVALID_HANDLE_VALUE)
        return lastErrorNumber();
    stream_ = streamOverHandle(handle, _O_WRONLY, "wb");
    if (!stream_) {
        const int error = errno;
        discard();
        return error;
    }
    finalPath_ = finalPath;
    return 0;
}

int syncToDisk(std::FILE* stream)
{
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)))) ? 0 : lastErrorNumber();
}

int replaceFile(const std::string& from, const std::string& to)
{
    return MoveFileExW(wideFromUtf8(from).c_str(), wideFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : lastErrorNumber();
}

void removeTemporary(const std::string& path)
{
    DeleteFileW(wideFromUtf8(path).c_str());
}

void forgetPending(int registration)
{
    pendingSlots.remove(registration);
}

void removePendingOutputs() noexcept
{
    pendingSlots.removeAll([](const wchar_t* path) { DeleteFileW(path); });
}
