#include "conversion/pending_output.h"

#include "conversion/output_name.h"
#include "conversion/pending_file.h"
#include "conversion/pending_name.h"
#include "conversion/pending_slots.h"
#include "conversion/pending_stale.h"
#include "core/windows/handle_stream.h"
#include "core/windows/long_path.h"
#include "core/windows/wide_text.h"
#include "core/windows/windows_error.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

namespace {

PendingSlots<wchar_t> pendingSlots;

// The common mapping, and the two reasons that tell the caller the name or
// the folder is the problem rather than the file.
int lastErrorNumber()
{
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_WRITE_PROTECT: return EROFS;
    default: return errnoFromWindowsError(error);
    }
}

HANDLE handleOf(int descriptor)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

// Creates a new file under a fresh temporary name, hidden, as a leading dot
// does not hide it here: 0 and its handle, or the error number and nothing
// made. The name is known to the Ctrl-C handler (which runs on a thread of
// its own) before the file exists, so that it never misses one, and the
// handler waits for the making to be done; once it has begun, nothing is
// made. The handle shares no writing, so no other run can open the file to
// remove it as left behind (see removeIfUnheld) while it is written; it is
// created and opened in one step, so there is no moment when it is not held.
// Deleting is shared, for the Ctrl-C handler removes it by name while open.
int createTemporary(const std::string& finalPath, std::string& temporaryPath, int& registration, HANDLE& handle)
{
    const PendingSlots<wchar_t>::Change adding(pendingSlots);
    if (!adding.allowed())
        return EINTR;
    std::mt19937_64 random(std::random_device{}() ^ static_cast<std::uint64_t>(GetCurrentProcessId()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = temporaryNameBeside(finalPath, random);
        const std::wstring wide = widePathFromUtf8(temporaryPath);
        registration = pendingSlots.add(wide);
        if (registration < 0) {
            const int error = -registration;
            registration = -1;
            temporaryPath.clear();
            return error;
        }
        handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return 0;
        const int error = lastErrorNumber();
        pendingSlots.remove(registration);
        registration = -1;
        if (error != EEXIST) {
            temporaryPath.clear();
            return error;
        }
    }
    temporaryPath.clear();
    return EEXIST;
}

// The longest name a folder of NTFS, FAT (long names), exFAT or ReFS holds,
// in UTF-16 units. Asking the volume would make Wine print a complaint on
// stderr for every file.
constexpr std::size_t NAME_LIMIT = 255;

// 0 when the final name can be made: the temporary's name is cut to fit,
// but the final one must fit as it is, or the whole conversion would be
// written only for the rename to fail. Looking the name up does not tell
// (Wine finds no such file), so it is measured against the limit.
int checkFinalName(const std::string& finalPath)
{
    const std::wstring name = wideFromUtf8(finalPath.substr(fileNameStart(finalPath)));
    return name.size() > NAME_LIMIT ? ENAMETOOLONG : 0;
}

} // namespace

int PendingOutput::open(const std::string& finalPath, StaleTemporaries& stale)
{
    discard();
    if (const int error = checkFinalName(finalPath); error != 0)
        return error;
    stale.remove(finalPath);
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (const int error = createTemporary(finalPath, temporaryPath_, registration_, handle); error != 0)
        return error;
    stream_ = streamOverHandle(handle, _O_WRONLY, "wb");
    if (!stream_) {
        const int error = errno;
        discard();
        return error;
    }
    descriptor_ = _fileno(stream_);
    finalPath_ = finalPath;
    return 0;
}

int PendingOutput::createAgainByName(const std::function<void(const std::string&)>& create)
{
    const PendingSlots<wchar_t>::Change creating(pendingSlots);
    if (!creating.allowed())
        return EINTR;
    create(temporaryPath_);
    return 0;
}

// The output has the attributes of a new file, as it always had: only the
// temporary's hidden one goes. Zero times leave the file's times alone.
int giveFinalAttributes(int descriptor, const std::string&)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handleOf(descriptor), FileBasicInfo, &basic, sizeof basic))
        return lastErrorNumber();
    basic.CreationTime.QuadPart = 0;
    basic.LastAccessTime.QuadPart = 0;
    basic.LastWriteTime.QuadPart = 0;
    basic.ChangeTime.QuadPart = 0;
    basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(handleOf(descriptor), FileBasicInfo, &basic, sizeof basic) ? 0
                                                                                                 : lastErrorNumber();
}

int syncToDisk(int descriptor)
{
    return FlushFileBuffers(handleOf(descriptor)) ? 0 : lastErrorNumber();
}

// Closed first: a temporary the Ctrl-C handler removed while it was open is
// only gone once closed, and could still be renamed until then (Wine does).
// Another run can then take it for one left behind in the moment before the
// rename; the rename fails and the previous output stays.
int putInPlace(std::FILE* stream, const std::string& from, const std::string& to)
{
    if (std::fclose(stream) != 0)
        return errno;
    const PendingSlots<wchar_t>::Change placing(pendingSlots);
    if (!placing.allowed())
        return EINTR; // the run is being stopped
    return MoveFileExW(widePathFromUtf8(from).c_str(), widePathFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : lastErrorNumber();
}

void removeTemporary(const std::string& path)
{
    DeleteFileW(widePathFromUtf8(path).c_str());
}

void forgetPending(int registration)
{
    pendingSlots.remove(registration);
}

void removePendingOutputs() noexcept
{
    pendingSlots.removeAll([](const wchar_t* path) { DeleteFileW(path); });
}
