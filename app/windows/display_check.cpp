#include "app/display_check.h"

#include <cstdio>

#include <windows.h>

bool displayAvailable()
{
    return true;
}

const char* windowlessPlatform()
{
    return "windows";
}

namespace {

// A windowed program started from the desktop has no standard error; one
// started with its output redirected (a script, a test) has a file or pipe.
bool hasStandardError()
{
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void tellRefusal(const QString& text)
{
    if (hasStandardError()) {
        std::fprintf(stderr, "orvantis: %s\n", text.toUtf8().constData());
        std::fflush(stderr);
        return;
    }
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.utf16()), L"Orvantis", MB_OK | MB_ICONERROR);
}
