// Keys of TRegDef on the user's store: paths, creation, removal, listing.

#include "store/reg_def.h"
#include "fresh_user_store.h"

namespace {

const std::string Base = "\\SOFTWARE\\Sorvenhal\\Orvantis";

class RegDefKeys : public FreshUserStore {
protected:
    RegDefKeys() { reg.SelectRoot(HKEY_CURRENT_USER); }

    // Makes the key (absolute path) with a "Tag" naming it.
    static void makeKey(const std::string& path)
    {
        TRegDef maker;
        maker.SelectRoot(HKEY_CURRENT_USER);
        ASSERT_TRUE(maker.OpenPath(path, true)) << path;
        maker.WriteText("Tag", path);
    }
    static bool keyExists(const std::string& path, RegRoot root = HKEY_CURRENT_USER)
    {
        TRegDef probe;
        probe.SelectRoot(root);
        return probe.OpenPath(path, false);
    }
    std::vector<std::string> subkeys()
    {
        std::vector<std::string> list{"left over"};
        reg.ListSubkeys(list);
        return list;
    }

    TRegDef reg;
};

TEST_F(RegDefKeys, CreateMakesEveryMissingKeyOnTheWay)
{
    EXPECT_FALSE(reg.OpenPath(Base + "\\A\\B\\C", false));
    ASSERT_TRUE(reg.OpenPath(Base + "\\A\\B\\C", true));
    EXPECT_EQ(reg.CurrentPath(), Base + "\\A\\B\\C");
    EXPECT_TRUE(keyExists(Base + "\\A"));
    EXPECT_TRUE(keyExists(Base + "\\A\\B"));
    // Opening an existing key with create neither fails nor duplicates it.
    ASSERT_TRUE(reg.OpenPath(Base + "\\A", true));
    EXPECT_EQ(subkeys(), std::vector<std::string>{"B"});
}

TEST_F(RegDefKeys, RelativePathsStartAtTheOpenKey)
{
    makeKey(Base + "\\A\\B");
    makeKey("\\B");                                                       // same name directly below the root
    ASSERT_TRUE(reg.OpenPath("SOFTWARE\\Sorvenhal\\Orvantis\\A", false)); // from the root: no key open
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Sorvenhal\\Orvantis\\A");
    ASSERT_TRUE(reg.OpenPath(Base + "\\A", false));
    ASSERT_TRUE(reg.OpenPath("B", false));
    EXPECT_EQ(reg.CurrentPath(), Base + "\\A\\B");
    EXPECT_EQ(reg.ReadText("Tag"), Base + "\\A\\B");
    ASSERT_TRUE(reg.OpenPath("New\\Deeper", true));
    EXPECT_EQ(reg.CurrentPath(), Base + "\\A\\B\\New\\Deeper");
    EXPECT_TRUE(keyExists(Base + "\\A\\B\\New\\Deeper"));
}

TEST_F(RegDefKeys, LeadingSeparatorIgnoresTheOpenKey)
{
    makeKey(Base + "\\A\\B");
    makeKey("\\B");
    ASSERT_TRUE(reg.OpenPath(Base + "\\A", false));
    ASSERT_TRUE(reg.OpenPath("\\B", false));
    EXPECT_EQ(reg.CurrentPath(), "\\B");
    EXPECT_EQ(reg.ReadText("Tag"), "\\B");
}

TEST_F(RegDefKeys, FailedOpenKeepsTheCurrentKeyAndCreatesNothing)
{
    makeKey(Base + "\\A");
    ASSERT_TRUE(reg.OpenPath(Base + "\\A", false));
    EXPECT_FALSE(reg.OpenPath("Missing\\Deeper", false));
    EXPECT_FALSE(reg.OpenPath(Base + "\\Missing", false));
    EXPECT_EQ(reg.CurrentPath(), Base + "\\A");
    EXPECT_EQ(reg.ReadText("Tag"), Base + "\\A");
    EXPECT_FALSE(keyExists(Base + "\\A\\Missing"));
    EXPECT_FALSE(keyExists(Base + "\\Missing"));
}

TEST_F(RegDefKeys, PathsWithEmptyComponentsNameNoKey)
{
    makeKey(Base + "\\A");
    EXPECT_FALSE(reg.OpenPath(Base + "\\\\A", true));
    EXPECT_FALSE(reg.OpenPath(Base + "\\A\\", true));
    EXPECT_FALSE(reg.RemoveKey(Base + "\\A\\"));
    EXPECT_TRUE(keyExists(Base + "\\A"));
    EXPECT_EQ(reg.CurrentPath(), "");
}

TEST_F(RegDefKeys, CloseCurrentLeavesNoKey)
{
    makeKey(Base + "\\A");
    ASSERT_TRUE(reg.OpenPath(Base + "\\A", false));
    reg.CloseCurrent();
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_EQ(reg.ReadTextOr("Tag", "none"), "none");
    EXPECT_THROW(reg.WriteText("Tag", "x"), StoreError);
}

TEST_F(RegDefKeys, SelectRootClosesTheKeyOnlyWhenTheRootChanges)
{
    makeKey(Base + "\\A");
    ASSERT_TRUE(reg.OpenPath(Base + "\\A", false));
    reg.SelectRoot(HKEY_CURRENT_USER);
    EXPECT_EQ(reg.CurrentPath(), Base + "\\A");
    EXPECT_EQ(reg.ReadText("Tag"), Base + "\\A");
    reg.SelectRoot(HKEY_CLASSES_ROOT);
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_EQ(reg.ReadTextOr("Tag", "none"), "none");
}

TEST_F(RegDefKeys, RootsAreSeparate)
{
    reg.SelectRoot(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.OpenPath(".ASC", true));
    reg.WriteText("", "Orvantis.Data");
    EXPECT_FALSE(keyExists(".ASC", HKEY_CURRENT_USER));
    EXPECT_TRUE(keyExists("\\.asc", HKEY_CLASSES_ROOT));
}

TEST_F(RegDefKeys, RemoveKeyTakesTheWholeSubtreeAndKeepsTheCurrentKey)
{
    makeKey(Base + "\\Keep");
    makeKey(Base + "\\Gone\\X\\Y\\Z");
    makeKey(Base + "\\Gone\\W");
    makeKey(Base + "\\GoneToo");
    ASSERT_TRUE(reg.OpenPath(Base + "\\Keep", false));
    EXPECT_TRUE(reg.RemoveKey(Base + "\\gone"));
    EXPECT_EQ(reg.CurrentPath(), Base + "\\Keep");
    EXPECT_EQ(reg.ReadText("Tag"), Base + "\\Keep");
    EXPECT_FALSE(keyExists(Base + "\\Gone"));
    EXPECT_FALSE(keyExists(Base + "\\Gone\\X\\Y\\Z"));
    EXPECT_TRUE(keyExists(Base + "\\GoneToo"));
    // Made again, the key comes back empty.
    ASSERT_TRUE(reg.OpenPath(Base + "\\Gone", true));
    EXPECT_EQ(subkeys(), std::vector<std::string>{});
    EXPECT_EQ(reg.ReadTextOr("Tag", "none"), "none");
}

TEST_F(RegDefKeys, RemoveKeyResolvesPathsAsOpenPathDoes)
{
    makeKey(Base + "\\A\\B\\C");
    makeKey("\\B");
    ASSERT_TRUE(reg.OpenPath(Base + "\\A", false));
    EXPECT_FALSE(reg.RemoveKey("Missing"));
    EXPECT_FALSE(reg.RemoveKey(""));   // never the open key itself
    EXPECT_FALSE(reg.RemoveKey("\\")); // nor a root
    EXPECT_TRUE(reg.RemoveKey("B"));
    EXPECT_FALSE(keyExists(Base + "\\A\\B"));
    EXPECT_TRUE(keyExists(Base + "\\A"));
    EXPECT_TRUE(keyExists("\\B"));
    EXPECT_FALSE(reg.RemoveKey("B"));
}

TEST_F(RegDefKeys, RemovedOpenKeyReadsNothingAndRefusesWrites)
{
    makeKey(Base + "\\A");
    ASSERT_TRUE(reg.OpenPath(Base + "\\A", false));
    TRegDef other; // another copy of the program removes the key meanwhile
    other.SelectRoot(HKEY_CURRENT_USER);
    ASSERT_TRUE(other.RemoveKey(Base + "\\A"));
    ASSERT_TRUE(other.OpenPath(Base + "\\Later", true)); // made after the removal
    EXPECT_EQ(reg.ReadTextOr("Tag", "none"), "none");
    try {
        reg.WriteText("Tag", "again");
        FAIL() << "no StoreError";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Tag'");
    }
    EXPECT_FALSE(keyExists(Base + "\\A"));
    EXPECT_EQ(other.ReadTextOr("Tag", "none"), "none");
    EXPECT_FALSE(reg.OpenPath("Sub", true));
}

TEST_F(RegDefKeys, ListSubkeysEmptiesTheListFirst)
{
    makeKey(Base + "\\Leaf");
    ASSERT_TRUE(reg.OpenPath(Base + "\\Leaf", false));
    EXPECT_EQ(subkeys(), std::vector<std::string>{});
    reg.CloseCurrent();
    EXPECT_EQ(subkeys(), std::vector<std::string>{});
}

TEST_F(RegDefKeys, ListSubkeysGivesImmediateSubkeysInCaseInsensitiveOrder)
{
    for (const char* name : {"beta", "Alpha", "GAMMA", "alphabet", "Delta\\Deeper", "_under", "0zero"}) {
        makeKey(Base + "\\List\\" + name);
    }
    ASSERT_TRUE(reg.OpenPath(Base + "\\List", false));
    EXPECT_EQ(subkeys(), (std::vector<std::string>{"0zero", "_under", "Alpha", "alphabet", "beta", "Delta", "GAMMA"}));
}

TEST_F(RegDefKeys, KeyNamesIgnoreCaseAndKeepTheirFirstCase)
{
    makeKey(Base + "\\MixedCase");
    makeKey(Base + "\\MIXEDCASE\\Child");
    ASSERT_TRUE(reg.OpenPath("\\software\\SORVENHAL\\orvantis", false));
    EXPECT_EQ(subkeys(), std::vector<std::string>{"MixedCase"});
    ASSERT_TRUE(reg.OpenPath("mixedcase", false));
    EXPECT_EQ(subkeys(), std::vector<std::string>{"Child"});
}

} // namespace
