// TRegDef over a backend that fails on demand: what reaches the caller.

#include <gtest/gtest.h>

#include "platform/key_store.h"
#include "platform/reg_def.h"

namespace {

// One key (id 7) below either root; every operation after `failing` is set
// raises, as a damaged or vanished store would.
class FlakyStore final : public KeyStore {
public:
    bool failing = false;
    std::vector<KeyId> closed;

    KeyId rootKey(RegRoot root) override { return root == HKEY_CURRENT_USER ? 1 : 2; }
    std::optional<KeyId> openKey(KeyId, const KeyNames&, bool) override { return failIfAsked(7); }
    void closeKey(KeyId key) noexcept override { closed.push_back(key); }
    std::vector<std::string> subkeyNames(KeyId) override { return failIfAsked(std::vector<std::string>{"Sub"}); }
    bool removeKeyTree(KeyId, const KeyNames&) override { return failIfAsked(true); }
    std::optional<RegValue> readValue(KeyId, const std::string&) override
    {
        return failIfAsked(RegValue{REG_DWORD, std::string("\x05\0\0\0", 4)});
    }
    void writeValue(KeyId, const std::string&, const RegValue&) override { failIfAsked(0); }
    bool removeValue(KeyId, const std::string&) override { return failIfAsked(true); }

private:
    template <typename T> T failIfAsked(T result)
    {
        if (failing) {
            throw KeyStoreError("store broken");
        }
        return result;
    }
};

class RegDefBackend : public ::testing::Test {
protected:
    RegDefBackend() : store(std::make_shared<FlakyStore>()), reg(store) { reg.SelectRoot(HKEY_CURRENT_USER); }

    std::shared_ptr<FlakyStore> store;
    TRegDef reg;
};

TEST_F(RegDefBackend, FailingOpenReturnsFalseAndKeepsTheCurrentKey)
{
    ASSERT_TRUE(reg.OpenPath("\\A", false));
    store->failing = true;
    EXPECT_FALSE(reg.OpenPath("\\B", true));
    EXPECT_EQ(reg.CurrentPath(), "\\A");
    EXPECT_TRUE(store->closed.empty());
}

TEST_F(RegDefBackend, FailingReadRaisesOnlyFromReadText)
{
    ASSERT_TRUE(reg.OpenPath("\\A", false));
    EXPECT_EQ(reg.ReadNumberOr("N", 1), 5);
    store->failing = true;
    try {
        reg.ReadText("Name");
        FAIL() << "no StoreError";
    } catch (const StoreError& e) {
        EXPECT_STREQ(e.what(), "Failed to get data for 'Name'");
    }
    EXPECT_EQ(reg.ReadTextOr("Name", "d"), "d");
    EXPECT_EQ(reg.ReadNumberOr("N", 1), 1);
    EXPECT_TRUE(reg.ReadFlagOr("F", true));
}

TEST_F(RegDefBackend, FailingWritesRaiseWithTheValueName)
{
    ASSERT_TRUE(reg.OpenPath("\\A", false));
    store->failing = true;
    for (auto write : {+[](TRegDef& r) { r.WriteText("Text", "x"); }, +[](TRegDef& r) { r.WriteNumber("Text", 1); },
                       +[](TRegDef& r) { r.WriteFlag("Text", true); }}) {
        try {
            write(reg);
            ADD_FAILURE() << "no StoreError";
        } catch (const StoreError& e) {
            EXPECT_STREQ(e.what(), "Failed to set data for 'Text'");
        }
    }
}

TEST_F(RegDefBackend, FailingListAndRemovalsReportNothing)
{
    ASSERT_TRUE(reg.OpenPath("\\A", false));
    store->failing = true;
    std::vector<std::string> list{"old"};
    reg.ListSubkeys(list);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(reg.RemoveValue("N"));
    EXPECT_FALSE(reg.RemoveKey("B"));
}

TEST_F(RegDefBackend, EveryOpenedKeyIsClosedOnce)
{
    {
        TRegDef local(store);
        local.SelectRoot(HKEY_CURRENT_USER);
        ASSERT_TRUE(local.OpenPath("\\A", false));
        ASSERT_TRUE(local.OpenPath("\\B", false)); // closes A's key
        local.SelectRoot(HKEY_CLASSES_ROOT);        // closes B's key
        ASSERT_TRUE(local.OpenPath("C", false));
        local.CloseCurrent();
        local.CloseCurrent();
        ASSERT_TRUE(local.OpenPath("D", false));
    } // destruction closes D's key
    EXPECT_EQ(store->closed.size(), 4u);
}

} // namespace
