// The store on the registry of the user: where values land, in what form,
// and how the registry's refusals reach TRegDef's callers.

#include <chrono>
#include <future>

#include "fresh_user_store.h"
#include "store/key_store.h"
#include "store/reg_def.h"
#include "store/windows/registry_fault.h"

#include <windows.h>

namespace {

using namespace std::chrono_literals;

const std::string Settings = "\\SOFTWARE\\Sorvenhal\\Orvantis\\Settings";
const wchar_t* const SettingsKey = L"SOFTWARE\\Sorvenhal\\Orvantis\\Settings";
const std::string Unicode = "C:\\Donn\u00e9es\\S\u00e9ance_\u03a9.ASC";
const std::wstring WideUnicode = L"C:\\Donn\u00e9es\\S\u00e9ance_\u03a9.ASC";

std::wstring registryText(const wchar_t* key, const wchar_t* name)
{
    wchar_t text[256] = {};
    DWORD size = sizeof(text);
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return status == ERROR_SUCCESS ? std::wstring(text) : L"<absent>";
}

class RegistryStore : public FreshUserStore {
protected:
    static void openSettings(TRegDef& reg)
    {
        reg.SelectRoot(RegRoot::CurrentUser);
        ASSERT_TRUE(reg.OpenPath(Settings, true));
    }
    ~RegistryStore() override { setUserStoreBusyTimeout(previousWait); }

    std::chrono::milliseconds previousWait = setUserStoreBusyTimeout(100ms);
};

TEST_F(RegistryStore, WritesAreTextAndDwordValuesUnderTheProgramsKey)
{
    TRegDef reg;
    openSettings(reg);
    reg.WriteText("LastDir", Unicode);
    reg.WriteNumber("CCATop", -5);
    EXPECT_EQ(registryText(SettingsKey, L"LastDir"), WideUnicode);
    DWORD number = 0;
    DWORD size = sizeof(number);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, SettingsKey, L"CCATop", RRF_RT_REG_DWORD, nullptr, &number, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(number, 0xFFFFFFFBu);
}

TEST_F(RegistryStore, ValuesWrittenByOtherProgramsReadAsUtf8)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"LastDir", REG_SZ, WideUnicode.c_str(),
                              static_cast<DWORD>((WideUnicode.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    TRegDef reg;
    openSettings(reg);
    EXPECT_EQ(reg.ReadText("LastDir"), Unicode);
    EXPECT_EQ(reg.ReadText("lastdir"), Unicode);
}

TEST_F(RegistryStore, ClassesRootIsTheUsersOwnClasses)
{
    TRegDef reg;
    reg.SelectRoot(RegRoot::ClassesRoot);
    ASSERT_TRUE(reg.OpenPath(".ASC", true));
    reg.WriteText("", "Tidelume.ASC");
    EXPECT_EQ(registryText(L"Software\\Classes\\.ASC", nullptr), L"Tidelume.ASC");
}

TEST_F(RegistryStore, AnotherCopysUpdateIsWaitedForThenReportedBusy)
{
    TRegDef first;
    ASSERT_TRUE(first.BeginUpdate());
    auto beginElsewhere = [] {
        TRegDef other;
        const bool begun = other.BeginUpdate();
        return begun ? StoreFaultKind::Failed : other.Fault()->kind;
    };
    EXPECT_EQ(std::async(std::launch::async, beginElsewhere).get(), StoreFaultKind::Busy);
    ASSERT_TRUE(first.CommitUpdate());
    auto beginAfter = [] { return TRegDef().BeginUpdate(); };
    EXPECT_TRUE(std::async(std::launch::async, beginAfter).get());
}

TEST(RegistryFault, AccessDeniedNamesTheAccessAndTheSystemsReason)
{
    EXPECT_EQ(registryFault(ERROR_ACCESS_DENIED, RegistryAccess::Read).kind, StoreFaultKind::CannotOpen);
    const StoreFault fault = registryFault(ERROR_ACCESS_DENIED, RegistryAccess::Write);
    EXPECT_EQ(fault.kind, StoreFaultKind::ReadOnly);
    EXPECT_FALSE(fault.detail.empty());
    EXPECT_EQ(registryFault(ERROR_OUTOFMEMORY, RegistryAccess::Write).kind, StoreFaultKind::Failed);
}

} // namespace
