// The data file types in the user's own classes of the registry, as the
// shell reads them.

#include "desktop/desktop_file_types.h"
#include "fresh_user_store.h"

#include <windows.h>

#include <cstring>
#include <utility>

namespace {

const std::string Program = "C:/Program Files/Orvantis Test/orvantis.exe";
const std::wstring NativeProgram = L"C:\\Program Files\\Orvantis Test\\orvantis.exe";

// The default value of a key below the user's classes.
std::wstring classDefault(const std::wstring& key)
{
    wchar_t text[512] = {};
    DWORD size = sizeof(text);
    const std::wstring path = L"Software\\Classes\\" + key;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return L"<absent>";
    return text;
}

bool classKeyExists(const std::wstring& key)
{
    HKEY handle = nullptr;
    const std::wstring path = L"Software\\Classes\\" + key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

class ShellFileTypes : public FreshUserStore {};

TEST_F(ShellFileTypes, RegisteringWritesTheFourEntriesWithAQuotedCommand)
{
    registerFileType(".ASC", "Tidelume.ASC", "Tidelume Ascii Files", Program);
    EXPECT_EQ(classDefault(L".ASC"), L"Tidelume.ASC");
    EXPECT_EQ(classDefault(L"Tidelume.ASC"), L"Tidelume Ascii Files");
    EXPECT_EQ(classDefault(L"Tidelume.ASC\\DefaultIcon"), NativeProgram + L",1");
    EXPECT_EQ(classDefault(L"Tidelume.ASC\\shell\\open\\command"), L"\"" + NativeProgram + L"\" \"%1\"");
}

TEST_F(ShellFileTypes, CurrentTypeIsEmptyThenTheProgramsOwn)
{
    EXPECT_EQ(currentFileType(".BIN"), "");
    registerFileType(".BIN", "Tidelume.BIN", "Tidelume Binary Files", Program);
    EXPECT_EQ(currentFileType(".BIN"), "Tidelume.BIN");
    EXPECT_EQ(currentFileType(".bin"), "Tidelume.BIN");
    EXPECT_EQ(classDefault(L".ASC"), L"<absent>");
}

TEST_F(ShellFileTypes, RegisteringAgainReplacesAnotherProgramsType)
{
    registerFileType(".ASC", "Other.Type", "Other", "D:\\other.exe");
    registerFileType(".ASC", "Tidelume.ASC", "Tidelume Ascii Files", Program);
    EXPECT_EQ(currentFileType(".ASC"), "Tidelume.ASC");
    EXPECT_EQ(classDefault(L"Tidelume.ASC\\shell\\open\\command"), L"\"" + NativeProgram + L"\" \"%1\"");
}

TEST_F(ShellFileTypes, MachineWideTypeCountsWhenTheUserHasNone)
{
    const wchar_t* const extension = L".ORVANTISTEST";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, extension, nullptr, REG_SZ, L"machine.type", sizeof(L"machine.type")),
              ERROR_SUCCESS);
    const std::string found = currentFileType(".ORVANTISTEST");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, extension);
    EXPECT_EQ(found, "machine.type");
}

TEST_F(ShellFileTypes, InvalidNamesAndRelativeProgramsWriteNothing)
{
    EXPECT_THROW(registerFileType("ASC", "Tidelume.ASC", "d", Program), DesktopRegistrationError);
    EXPECT_THROW(registerFileType(".A\\SC", "Tidelume.ASC", "d", Program), DesktopRegistrationError);
    EXPECT_THROW(registerFileType(".ASC", "Tidelume\\ASC", "d", Program), DesktopRegistrationError);
    EXPECT_THROW(registerFileType(".ASC", "Tidelume.ASC", "d", "orvantis.exe"), DesktopRegistrationError);
    EXPECT_THROW(currentFileType(""), DesktopRegistrationError);
    EXPECT_FALSE(classKeyExists(L".ASC"));
    EXPECT_FALSE(classKeyExists(L"Tidelume.ASC"));
}

TEST_F(ShellFileTypes, RemovingTakesBackWhatRegisteringWrote)
{
    FileTypeStatus before = fileTypeStatus(".ASC", "Tidelume.ASC");
    EXPECT_FALSE(before.known || before.programOpensIt);
    registerFileType(".ASC", "Tidelume.ASC", "Tidelume Ascii Files", Program);
    FileTypeStatus registered = fileTypeStatus(".ASC", "Tidelume.ASC");
    EXPECT_TRUE(registered.known && registered.programOpensIt && !registered.systemWide);
    EXPECT_EQ(registered.fileType, "Tidelume.ASC");

    removeFileType(".ASC", "Tidelume.ASC");
    EXPECT_FALSE(classKeyExists(L".ASC"));
    EXPECT_FALSE(classKeyExists(L"Tidelume.ASC"));
    EXPECT_FALSE(fileTypeStatus(".ASC", "Tidelume.ASC").known);
    EXPECT_NO_THROW(removeFileType(".ASC", "Tidelume.ASC"));
}

TEST_F(ShellFileTypes, RemovingLeavesAnotherProgramsExtension)
{
    registerFileType(".BIN", "Tidelume.BIN", "Tidelume Binary Files", Program);
    registerFileType(".BIN", "Other.Type", "Other", "D:\\other.exe");
    removeFileType(".BIN", "Tidelume.BIN");
    EXPECT_EQ(classDefault(L".BIN"), L"Other.Type");
    EXPECT_FALSE(classKeyExists(L"Tidelume.BIN"));
    EXPECT_FALSE(fileTypeStatus(".BIN", "Tidelume.BIN").programOpensIt);
}

// Another program's type, registered the way such a program writes it.
void setOtherProgramsType(const std::wstring& extension)
{
    const std::wstring path = L"Software\\Classes\\" + extension;
    const std::wstring type = L"Other.Type";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, REG_SZ, type.c_str(),
                              static_cast<DWORD>((type.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

TEST_F(ShellFileTypes, RemovingGivesTheExtensionBackToTheTypeItHadBefore)
{
    for (const auto& [extension, typeName] : {std::pair{".ASC", "Tidelume.ASC"}, std::pair{".BIN", "Tidelume.BIN"}}) {
        const std::wstring wideExtension(extension, extension + 4);
        setOtherProgramsType(wideExtension);
        registerFileType(extension, typeName, "Tidelume Files", Program);
        registerFileType(extension, typeName, "Tidelume Files", Program); // again: the earlier type stays known
        EXPECT_EQ(currentFileType(extension), typeName);
        removeFileType(extension, typeName);
        EXPECT_EQ(classDefault(wideExtension), L"Other.Type") << extension;
        EXPECT_FALSE(classKeyExists(std::wstring(typeName, typeName + std::strlen(typeName))));
    }
    removeFileType(".ASC", "Tidelume.ASC"); // nothing left to take back
    EXPECT_EQ(classDefault(L".ASC"), L"Other.Type");
}

} // namespace
