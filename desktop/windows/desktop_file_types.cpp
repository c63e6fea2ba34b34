// The shell's file types of the user, in HKEY_CURRENT_USER\Software\Classes
// (the store's classes root): writing the machine-wide classes needs
// administrator rights. The file type's keys are written before the
// extension names it, so a failure leaves the extension as it was; removal
// takes the extension back first for the same reason. The type the user's
// extension named before is kept in the program's type key, and removal
// gives the extension back to it.

#include "desktop/desktop_file_types.h"

#include <optional>

#include "store/reg_def.h"
#include "store/windows/wide_text.h"

#include <windows.h>

#include <shlobj.h>

namespace {

// The value of the program's type key that keeps the extension's earlier type.
constexpr const char* PreviousTypeValue = "PreviousFileType";

bool isKeyName(const std::string& name)
{
    return !name.empty() && name.find('\\') == std::string::npos;
}

void checkNames(const std::string& extension, const std::string& typeName)
{
    if (extension.size() < 2 || extension[0] != '.' || !isKeyName(extension))
        throw DesktopRegistrationError("invalid file extension \"" + extension + "\"");
    if (!isKeyName(typeName))
        throw DesktopRegistrationError("invalid file-type name \"" + typeName + "\"");
}

// The default text of the user's own key, or the empty text.
std::string ownDefault(const std::string& key)
{
    TRegDef reg;
    reg.SelectRoot(RegRoot::ClassesRoot);
    return reg.OpenPath(key, false) ? reg.ReadText("") : std::string();
}

bool ownKeyExists(const std::string& key)
{
    TRegDef reg;
    reg.SelectRoot(RegRoot::ClassesRoot);
    return reg.OpenPath(key, false);
}

// An extension key that held nothing but the program's type goes, as it was
// before registering; one with other values or subkeys stays.
void removeIfEmpty(const std::string& key)
{
    const std::wstring path = widen("Software\\Classes\\" + key);
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 0;
    DWORD values = 0;
    LONG status = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                   nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

// A drive's root ("C:\\...") or a network share ("\\\\server\\...").
bool isAbsolute(const std::string& path)
{
    return (path.size() > 2 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
}

// The shell starts programs with backslashed paths; Qt reports forward slashes.
std::string nativePath(std::string path)
{
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

void writeText(TRegDef& reg, const std::string& path, const std::string& name, const std::string& text)
{
    if (!reg.OpenPath(path, true))
        throw DesktopRegistrationError("the key HKEY_CURRENT_USER\\Software\\Classes\\" + path + " cannot be made");
    reg.WriteText(name, text);
    reg.CloseCurrent();
}

void writeDefault(TRegDef& reg, const std::string& path, const std::string& text)
{
    writeText(reg, path, "", text);
}

// The default text of the machine-wide classes' key, as the shell merges it
// below the user's own.
std::optional<std::string> machineDefault(const std::string& key)
{
    wchar_t text[256];
    DWORD size = sizeof(text);
    if (RegGetValueW(HKEY_CLASSES_ROOT, widen(key).c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return narrow(text); // the registry ends it with a zero
}

} // namespace

std::string currentFileType(const std::string& extension)
{
    if (!isKeyName(extension))
        throw DesktopRegistrationError("invalid file extension \"" + extension + "\"");
    TRegDef reg;
    reg.SelectRoot(RegRoot::ClassesRoot);
    const std::string own = reg.OpenPath(extension, false) ? reg.ReadText("") : std::string();
    return own.empty() ? machineDefault(extension).value_or("") : own;
}

RegistrationNotes registerFileType(const std::string& extension, const std::string& typeName,
                                   const std::string& description, const std::string& programPath)
{
    checkNames(extension, typeName);
    const std::string program = nativePath(programPath);
    if (!isAbsolute(program))
        throw DesktopRegistrationError("the program path \"" + programPath + "\" is not absolute");
    const std::string previous = ownDefault(extension);
    TRegDef reg;
    reg.SelectRoot(RegRoot::ClassesRoot);
    writeDefault(reg, typeName, description);
    if (!previous.empty() && previous != typeName)
        writeText(reg, typeName, PreviousTypeValue, previous);
    writeDefault(reg, typeName + "\\DefaultIcon", program + ",1");
    writeDefault(reg, typeName + "\\shell\\open\\command", "\"" + program + "\" \"%1\"");
    writeDefault(reg, extension, typeName);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return {};
}

RegistrationNotes removeFileType(const std::string& extension, const std::string& typeName)
{
    checkNames(extension, typeName);
    TRegDef reg;
    reg.SelectRoot(RegRoot::ClassesRoot);
    const std::string previous = reg.OpenPath(typeName, false) ? reg.ReadText(PreviousTypeValue) : std::string();
    reg.CloseCurrent();
    if (reg.OpenPath(extension, false) && reg.ReadText("") == typeName) {
        if (previous.empty())
            reg.RemoveValue("");
        else
            reg.WriteText("", previous);
        reg.CloseCurrent();
        removeIfEmpty(extension);
    }
    reg.CloseCurrent();
    reg.RemoveKey(typeName);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return {};
}

FileTypeStatus fileTypeStatus(const std::string& extension, const std::string& typeName)
{
    checkNames(extension, typeName);
    FileTypeStatus status;
    status.fileType = typeName;
    status.known = ownKeyExists(typeName + "\\shell\\open\\command");
    status.programOpensIt = status.known && ownDefault(extension) == typeName;
    return status;
}
