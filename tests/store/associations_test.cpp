// Serial number -> calibration file associations in the user's store.

#include "store/associations.h"
#include "store/reg_def.h"
#include "fresh_user_store.h"

namespace {

using Associations = std::vector<std::pair<std::string, std::string>>;

class AssociationStore : public FreshUserStore {
protected:
    static bool keyExists(const std::string& path)
    {
        TRegDef reg;
        reg.SelectRoot(HKEY_CURRENT_USER);
        return reg.OpenPath(path, false);
    }
};

TEST_F(AssociationStore, FreshStoreHasNoAssociations)
{
    EXPECT_EQ(lookupCalFile("0123"), "");
    EXPECT_EQ(listCalFiles(), Associations{});
    EXPECT_FALSE(forgetCalFile("0123"));
}

TEST_F(AssociationStore, StoredFileIsFoundUnderTheSerialsKey)
{
    ASSERT_TRUE(storeCalFile("0123", "/cal/HSE0123.CAL"));
    EXPECT_EQ(lookupCalFile("0123"), "/cal/HSE0123.CAL");
    EXPECT_EQ(lookupCalFile("0124"), "");
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenPath("\\SOFTWARE\\Sorvenhal\\Orvantis\\Associations\\0123", false));
    EXPECT_EQ(reg.ReadText("CalFile"), "/cal/HSE0123.CAL");
    // Storing again replaces the file.
    ASSERT_TRUE(storeCalFile("0123", "/cal/new.CAL"));
    EXPECT_EQ(lookupCalFile("0123"), "/cal/new.CAL");
}

TEST_F(AssociationStore, SerialsMeetRegardlessOfLetterCase)
{
    ASSERT_TRUE(storeCalFile("SatA0123", "/cal/a.CAL"));
    EXPECT_EQ(lookupCalFile("SATA0123"), "/cal/a.CAL");
    ASSERT_TRUE(storeCalFile("sata0123", "/cal/b.CAL"));
    EXPECT_EQ(listCalFiles(), (Associations{{"SatA0123", "/cal/b.CAL"}}));
}

TEST_F(AssociationStore, ListGivesEverySerialInCaseInsensitiveOrder)
{
    ASSERT_TRUE(storeCalFile("b2", "/b2"));
    ASSERT_TRUE(storeCalFile("A1", "/a1"));
    ASSERT_TRUE(storeCalFile("C3", ""));
    {
        TRegDef reg; // a serial's key without "CalFile" is still listed
        reg.SelectRoot(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenPath(associationPath("a0"), true));
    }
    EXPECT_EQ(listCalFiles(), (Associations{{"a0", ""}, {"A1", "/a1"}, {"b2", "/b2"}, {"C3", ""}}));
}

TEST_F(AssociationStore, ForgetRemovesTheSerialsKey)
{
    ASSERT_TRUE(storeCalFile("0123", "/a"));
    ASSERT_TRUE(storeCalFile("0124", "/b"));
    EXPECT_TRUE(forgetCalFile("0123"));
    EXPECT_FALSE(keyExists(associationPath("0123")));
    EXPECT_EQ(lookupCalFile("0123"), "");
    EXPECT_FALSE(forgetCalFile("0123"));
    EXPECT_EQ(listCalFiles(), (Associations{{"0124", "/b"}}));
}

TEST_F(AssociationStore, SeparatorInASerialStaysInsideItsOwnKey)
{
    const std::string serial = "SN\\12%5C\\";
    EXPECT_EQ(associationPath(serial), std::string(AssociationsKey) + "\\SN%5C12%255C%5C");
    ASSERT_TRUE(storeCalFile(serial, "/cal/x.CAL"));
    EXPECT_FALSE(keyExists(associationPath("SN")));
    EXPECT_EQ(lookupCalFile(serial), "/cal/x.CAL");
    EXPECT_EQ(lookupCalFile("SN\\12\\\\"), ""); // the escape sequence is not a separator
    EXPECT_EQ(listCalFiles(), (Associations{{serial, "/cal/x.CAL"}}));
    EXPECT_TRUE(forgetCalFile(serial));
    EXPECT_EQ(listCalFiles(), Associations{});
}

TEST_F(AssociationStore, KeyNamesMadeByHandReadAsThemselves)
{
    EXPECT_EQ(serialFromKeyName("a%zz"), "a%zz");
    EXPECT_EQ(serialFromKeyName("a%4"), "a%4");
    EXPECT_EQ(serialFromKeyName("%"), "%");
    EXPECT_EQ(serialFromKeyName("%41%5c%25"), "A\\%");
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenPath(std::string(AssociationsKey) + "\\odd%zz", true));
    reg.WriteText("CalFile", "/odd");
    EXPECT_EQ(listCalFiles(), (Associations{{"odd%zz", "/odd"}}));
}

TEST_F(AssociationStore, EmptySerialNeverTouchesTheAssociationFolder)
{
    ASSERT_TRUE(storeCalFile("0123", "/a"));
    {
        TRegDef reg; // a stray value on the folder itself must not be found
        reg.SelectRoot(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenPath(AssociationsKey, false));
        reg.WriteText("CalFile", "/folder");
    }
    EXPECT_EQ(lookupCalFile(""), "");
    EXPECT_FALSE(storeCalFile("", "/empty"));
    EXPECT_FALSE(forgetCalFile(""));
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenPath(AssociationsKey, false));
    EXPECT_EQ(reg.ReadText("CalFile"), "/folder");
    EXPECT_EQ(listCalFiles(), (Associations{{"0123", "/a"}}));
}

} // namespace
