#include "conversion/pending_file.h"

#include "core/windows/long_path.h"

#include <windows.h>

// Opened sharing nothing, which fails while any other handle has the file
// open: the writer of a pending output keeps its handle until it is done,
// and the system closes it when the process ends, however it ends. The
// file is removed through that same handle, so nothing can take the name
// in between. A directory (opened without backup semantics) and a link
// (opened as itself) are never removed.
void removeIfUnheld(const std::string& path)
{
    const HANDLE handle = CreateFileW(widePathFromUtf8(path).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0) {
        FILE_DISPOSITION_INFO removal{TRUE};
        SetFileInformationByHandle(handle, FileDispositionInfo, &removal, sizeof removal);
    }
    CloseHandle(handle);
}
