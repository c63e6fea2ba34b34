#include "conversion/pending_output.h"

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

PendingOutput::~PendingOutput()
{
    discard();
}

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

int PendingOutput::commit()
{
    int error = 0;
    if (std::fflush(stream_) != 0)
        error = errno;
    else if (std::ferror(stream_))
        error = EIO;
    // The data must be on the disk before the new name can replace the old
    // file, or a crash could leave an empty file in place of a good one.
    if (error == 0 && !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream_)))))
        error = lastErrorNumber();
    const int closed = std::fclose(stream_);
    stream_ = nullptr;
    if (error == 0 && closed != 0)
        error = errno;
    if (error == 0 && !MoveFileExW(wideFromUtf8(temporaryPath_).c_str(), wideFromUtf8(finalPath_).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = lastErrorNumber();
    if (error != 0) {
        discard();
        return error;
    }
    pendingSlots.remove(registration_);
    registration_ = -1;
    temporaryPath_.clear();
    return 0;
}

void PendingOutput::discard()
{
    if (stream_)
        std::fclose(stream_);
    stream_ = nullptr;
    if (!temporaryPath_.empty())
        DeleteFileW(wideFromUtf8(temporaryPath_).c_str());
    pendingSlots.remove(registration_);
    registration_ = -1;
    temporaryPath_.clear();
}

void removePendingOutputs() noexcept
{
    pendingSlots.removeAll([](const wchar_t* path) { DeleteFileW(path); });
}
