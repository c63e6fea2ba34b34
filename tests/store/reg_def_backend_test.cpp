// TRegDef over a backend that fails on demand: what reaches the caller.

#include <gtest/gtest.h>

#include "store/key_store.h"
#include "store/reg_def.h"

namespace {

const StoreFault Broken{StoreFaultKind::Damaged, "/cfg/store.sqlite", "database disk image is malformed"};

// One key (id 7) below either root, or none when `keyMissing` is set; every
// operation after `failing` is set raises, as a damaged store would.
class FlakyStore final : public KeyStore {
public:
    bool failing = false;
    bool keyMissing = false;
    std::vector<KeyId> closed;
    std::vector<std::string> updateSteps;

    KeyId rootKey(RegRoot root) override { return root == HKEY_CURRENT_USER ? 1 : 2; }
    std::optional<KeyId> openKey(KeyId, const KeyNames&, bool) override
    {
        return failIfAsked(keyMissing ? std::nullopt : std::optional<KeyId>(7));
    }
    void closeKey(KeyId key) noexcept override { closed.push_back(key); }
    std::vector<std::string> subkeyNames(KeyId) override { return failIfAsked(std::vector<std::string>{"Sub"}); }
    bool removeKeyTree(KeyId, const KeyNames&) override { return failIfAsked(true); }
    std::optional<RegValue> readValue(KeyId, const std::string&) override
    {
        return failIfAsked(RegValue{REG_DWORD, std::string("\x05\0\0\0", 4)});
    }
    void writeValue(KeyId, const std::string&, const RegValue&) override { failIfAsked(0); }
    bool removeValue(KeyId, const std::string&) override { return failIfAsked(true); }
    void beginUpdate() override { updateSteps.push_back(failIfAsked(std::string("begin"))); }
    void commitUpdate() override { updateSteps.push_back(failIfAsked(std::string("commit"))); }
    void rollbackUpdate() noexcept override { updateSteps.push_back("rollback"); }

private:
    template <typename T>
    T failIfAsked(T result)
    {
        if (failing) {
            throw KeyStoreError(Broken);
        }
        return result;
    }
};

bool isBroken(const StoreFault* fault)
{
    return fault && fault->kind == Broken.kind && fault->path == Broken.path && fault->detail == Broken.detail;
}

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
    EXPECT_TRUE(isBroken(reg.Fault()));
}

TEST_F(RegDefBackend, AbsentKeyIsNoFaultAndTheFirstFaultIsKept)
{
    store->keyMissing = true;
    EXPECT_FALSE(reg.OpenPath("\\A", false));
    EXPECT_EQ(reg.Fault(), nullptr);
    store->failing = true;
    EXPECT_FALSE(reg.OpenPath("\\A", false));
    store->failing = false;
    store->keyMissing = false;
    EXPECT_TRUE(reg.OpenPath("\\A", false));
    EXPECT_TRUE(isBroken(reg.Fault())); // what went wrong in this handler stays known
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
        EXPECT_TRUE(isBroken(e.cause()));
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
            EXPECT_TRUE(isBroken(e.cause()));
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
    EXPECT_TRUE(isBroken(reg.Fault()));
}

TEST_F(RegDefBackend, UpdateIsCommittedOnceOrRolledBackOnEveryOtherWayOut)
{
    {
        TRegDef committed(store);
        ASSERT_TRUE(committed.BeginUpdate());
        EXPECT_TRUE(committed.CommitUpdate());
        EXPECT_FALSE(committed.CommitUpdate()); // nothing left to commit
    }
    TRegDef(store).BeginUpdate(); // left without committing, as an error would
    {
        TRegDef failing(store);
        ASSERT_TRUE(failing.BeginUpdate());
        store->failing = true;
        EXPECT_FALSE(failing.CommitUpdate());
        EXPECT_TRUE(isBroken(failing.Fault()));
        EXPECT_FALSE(failing.BeginUpdate());
    } // rolled back once, not again at destruction
    EXPECT_EQ(store->updateSteps,
              (std::vector<std::string>{"begin", "commit", "begin", "rollback", "begin", "rollback"}));
}

TEST_F(RegDefBackend, EveryOpenedKeyIsClosedOnce)
{
    {
        TRegDef local(store);
        local.SelectRoot(HKEY_CURRENT_USER);
        ASSERT_TRUE(local.OpenPath("\\A", false));
        ASSERT_TRUE(local.OpenPath("\\B", false)); // closes A's key
        local.SelectRoot(HKEY_CLASSES_ROOT);       // closes B's key
        ASSERT_TRUE(local.OpenPath("C", false));
        local.CloseCurrent();
        local.CloseCurrent();
        ASSERT_TRUE(local.OpenPath("D", false));
    } // destruction closes D's key
    EXPECT_EQ(store->closed.size(), 4u);
}

} // namespace
