// Typed values of TRegDef on the user's store: defaults, types, kinds.

#include "store/key_store.h"
#include "store/reg_def.h"
#include "fresh_user_store.h"

namespace {

const std::string Settings = "\\SOFTWARE\\Sorvenhal\\Orvantis\\Settings";

class RegDefValues : public FreshUserStore {
protected:
    // A TRegDef on the per-user root with the settings key open.
    static void openSettings(TRegDef& reg)
    {
        reg.SelectRoot(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenPath(Settings, true));
    }
    // The settings key as the backend sees it, past TRegDef's typed access.
    static KeyId rawSettingsKey(KeyStore& store)
    {
        std::optional<KeyId> key =
            store.openKey(store.rootKey(HKEY_CURRENT_USER), {"SOFTWARE", "Sorvenhal", "Orvantis", "Settings"}, true);
        if (!key) {
            throw std::runtime_error("settings key does not open");
        }
        return *key;
    }
    static RegValue rawValue(const std::string& name)
    {
        std::shared_ptr<KeyStore> store = openUserKeyStore();
        return store->readValue(rawSettingsKey(*store), name).value_or(RegValue{REG_NONE, "absent"});
    }
    static void writeRaw(const std::string& name, const RegValue& value)
    {
        std::shared_ptr<KeyStore> store = openUserKeyStore();
        store->writeValue(rawSettingsKey(*store), name, value);
    }
};

TEST_F(RegDefValues, FreshStoreGivesEveryReadItsDefault)
{
    TRegDef reg;
    openSettings(reg);
    EXPECT_EQ(reg.CurrentPath(), Settings);
    EXPECT_EQ(reg.ReadNumberOr("CCATop", 354), 354);
    EXPECT_EQ(reg.ReadNumberOr("CCALeft", -4), -4);
    EXPECT_TRUE(reg.ReadFlagOr("BinaryOutput", true));
    EXPECT_FALSE(reg.ReadFlagOr("BinaryOutput", false));
    EXPECT_EQ(reg.ReadTextOr("DelimitChar", ","), ",");
    EXPECT_EQ(reg.ReadText("DelimitChar"), "");
}

TEST_F(RegDefValues, WritesStoreRegistryKindsThatAnotherObjectReadsBack)
{
    {
        TRegDef reg;
        openSettings(reg);
        reg.WriteText("LastDir", "C:\\data\\run 1");
        reg.WriteNumber("CCATop", -123456789);
        reg.WriteFlag("ShowDebug", true);
    }
    EXPECT_EQ(rawValue("LastDir").type, REG_SZ);
    EXPECT_EQ(rawValue("LastDir").data, std::string("C:\\data\\run 1\0", 14));
    EXPECT_EQ(rawValue("CCATop").type, REG_DWORD);
    EXPECT_EQ(rawValue("CCATop").data, std::string("\xEB\x32\xA4\xF8", 4)); // little-endian
    EXPECT_EQ(rawValue("ShowDebug").data, std::string("\x01\x00\x00\x00", 4));
    TRegDef reg;
    openSettings(reg);
    EXPECT_EQ(reg.ReadText("LastDir"), "C:\\data\\run 1");
    EXPECT_EQ(reg.ReadNumberOr("CCATop", 354), -123456789);
    EXPECT_TRUE(reg.ReadFlagOr("ShowDebug", false));
}

TEST_F(RegDefValues, NumberStoredAsTextReadsAsTheDefault)
{
    TRegDef reg;
    openSettings(reg);
    reg.WriteText("CCATop", "100");
    EXPECT_EQ(reg.ReadNumberOr("CCATop", 354), 354);
    EXPECT_TRUE(reg.ReadFlagOr("CCATop", true));
    EXPECT_FALSE(reg.ReadFlagOr("CCATop", false));
}

TEST_F(RegDefValues, ReadTextOrTellsAbsentFromEmptyAndRejectsNumbers)
{
    TRegDef reg;
    openSettings(reg);
    EXPECT_EQ(reg.ReadTextOr("DelimitChar", ","), ",");
    reg.WriteText("DelimitChar", "");
    EXPECT_EQ(reg.ReadTextOr("DelimitChar", ","), "");
    reg.WriteNumber("DelimitChar", 59);
    EXPECT_EQ(reg.ReadTextOr("DelimitChar", ","), ",");
}

TEST_F(RegDefValues, ReadTextRaisesOnlyForOtherTypes)
{
    TRegDef reg;
    openSettings(reg);
    reg.WriteNumber("Count", 7);
    try {
        reg.ReadText("Count");
        FAIL() << "no StoreError";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Count'");
    }
    reg.WriteText("Count", "");
    EXPECT_EQ(reg.ReadText("Count"), "");
}

TEST_F(RegDefValues, TextReadsStopAtTheFirstZeroByteAndAcceptExpandableText)
{
    writeRaw("Expand", RegValue{REG_EXPAND_SZ, std::string("%HOME%\\x\0", 9)});
    writeRaw("Embedded", RegValue{REG_SZ, std::string("ab\0cd\0", 6)});
    writeRaw("Unterminated", RegValue{REG_SZ, "xyz"});
    writeRaw("EmptyBinary", RegValue{REG_BINARY, ""});
    writeRaw("Binary", RegValue{REG_BINARY, "\x01"});
    TRegDef reg;
    openSettings(reg);
    EXPECT_EQ(reg.ReadText("Expand"), "%HOME%\\x");
    EXPECT_EQ(reg.ReadTextOr("Expand", "d"), "%HOME%\\x");
    EXPECT_EQ(reg.ReadText("Embedded"), "ab");
    EXPECT_EQ(reg.ReadText("Unterminated"), "xyz");
    EXPECT_EQ(reg.ReadText("EmptyBinary"), ""); // no data: empty, whatever the type
    EXPECT_THROW(reg.ReadText("Binary"), StoreError);
    EXPECT_EQ(reg.ReadTextOr("Binary", "d"), "d");
}

TEST_F(RegDefValues, NumbersNeedExactlyFourBytesOfDword)
{
    writeRaw("Long", RegValue{REG_DWORD, std::string("\x01\x00\x00\x00\x00", 5)});
    writeRaw("Short", RegValue{REG_DWORD, std::string("\x01", 1)});
    writeRaw("Binary", RegValue{REG_BINARY, std::string("\x01\x00\x00\x00", 4)});
    TRegDef reg;
    openSettings(reg);
    EXPECT_EQ(reg.ReadNumberOr("Long", 9), 9);
    EXPECT_EQ(reg.ReadNumberOr("Short", 9), 9);
    EXPECT_EQ(reg.ReadNumberOr("Binary", 9), 9);
}

TEST_F(RegDefValues, AnyNonzeroNumberIsATrueFlag)
{
    TRegDef reg;
    openSettings(reg);
    reg.WriteNumber("Flag", 2);
    EXPECT_TRUE(reg.ReadFlagOr("Flag", false));
    reg.WriteNumber("Flag", -1);
    EXPECT_TRUE(reg.ReadFlagOr("Flag", false));
    reg.WriteNumber("Flag", 0);
    EXPECT_FALSE(reg.ReadFlagOr("Flag", true));
    reg.WriteFlag("Flag", true);
    EXPECT_EQ(reg.ReadNumberOr("Flag", 0), 1);
}

TEST_F(RegDefValues, EmptyNameIsTheKeysDefaultValue)
{
    TRegDef reg;
    openSettings(reg);
    reg.WriteText("", "Default");
    reg.WriteText("Other", "x");
    EXPECT_EQ(reg.ReadText(""), "Default");
    EXPECT_TRUE(reg.RemoveValue(""));
    EXPECT_EQ(reg.ReadTextOr("", "none"), "none");
    EXPECT_EQ(reg.ReadText("Other"), "x");
}

TEST_F(RegDefValues, ValueNamesIgnoreAsciiCase)
{
    TRegDef reg;
    openSettings(reg);
    reg.WriteNumber("CCATop", 1);
    reg.WriteNumber("ccatop", 2);
    EXPECT_EQ(reg.ReadNumberOr("CcaTop", 0), 2);
    EXPECT_TRUE(reg.RemoveValue("CCATOP"));
    EXPECT_EQ(reg.ReadNumberOr("CCATop", 0), 0);
}

TEST_F(RegDefValues, RemoveValueOnAMissingValueChangesNothing)
{
    TRegDef reg;
    openSettings(reg);
    reg.WriteText("Kept", "x");
    EXPECT_FALSE(reg.RemoveValue("Missing"));
    EXPECT_EQ(reg.ReadText("Kept"), "x");
    EXPECT_TRUE(reg.RemoveValue("Kept"));
    EXPECT_FALSE(reg.RemoveValue("Kept"));
}

TEST_F(RegDefValues, WithoutAnOpenKeyReadsGiveDefaultsAndWritesRaise)
{
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    EXPECT_EQ(reg.ReadNumberOr("CCATop", 354), 354);
    EXPECT_EQ(reg.ReadTextOr("Name", "d"), "d");
    EXPECT_FALSE(reg.RemoveValue("Name"));
    try {
        reg.WriteFlag("Flag", true);
        FAIL() << "no StoreError";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Flag'");
    }
}

} // namespace
