#include "foreign_lock.h"

#include "core/windows/wide_text.h"

#include <windows.h>

struct ForeignLock::Handle {
    HANDLE file;

    bool take(DWORD kind) const
    {
        OVERLAPPED whole{};
        return LockFileEx(file, kind | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole) != 0;
    }
};

ForeignLock::ForeignLock(const std::string& path)
    : handle_(new Handle{CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr)})
{}

ForeignLock::~ForeignLock()
{
    if (handle_->file != INVALID_HANDLE_VALUE)
        CloseHandle(handle_->file);
}

bool ForeignLock::lock()
{
    return handle_->take(LOCKFILE_EXCLUSIVE_LOCK);
}

bool ForeignLock::canLock()
{
    return handle_->take(0);
}

void ForeignLock::unlock()
{
    OVERLAPPED whole{};
    UnlockFileEx(handle_->file, 0, MAXDWORD, MAXDWORD, &whole);
}
