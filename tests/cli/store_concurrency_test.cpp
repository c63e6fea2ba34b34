// Several copies of the program using the store at the same time, each a
// separate process with TRegDef objects of its own, and another program that
// holds the store's write lock.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/association_commands.h"
#include "store/associations.h"
#include "store/key_store.h"
#include "store/reg_def.h"
#include "store_busy_pauses.h"
#include "temp_config_home.h"

namespace {

constexpr int Copies = 8;
constexpr int Writes = 200;
constexpr int SharedValues = 4;
constexpr int TextRepeats = 300; // long values, so a torn one would show

const std::string Base = "\\SOFTWARE\\Sorvenhal\\Orvantis\\Concurrency";

std::string copyKey(int copy)
{
    return Base + "\\Copy" + std::to_string(copy);
}

std::string sharedText(int copy, int write)
{
    std::string unit = "copy " + std::to_string(copy) + " write " + std::to_string(write) + "|";
    std::string text;
    for (int i = 0; i < TextRepeats; ++i) {
        text += unit;
    }
    return text;
}

// Whether `text` is exactly what some copy wrote into shared value `slot`.
bool isWrittenSharedText(const std::string& text, int slot)
{
    int copy = -1;
    int write = -1;
    if (std::sscanf(text.c_str(), "copy %d write %d|", &copy, &write) != 2) {
        return false;
    }
    return write % SharedValues == slot && text == sharedText(copy, write);
}

// One copy's work; its exit status tells what went wrong.
int runCopy(int copy)
{
    try {
        for (int i = 0; i < Writes; ++i) {
            TRegDef reg; // one per step, as every event handler makes its own
            reg.SelectRoot(HKEY_CURRENT_USER);
            if (!reg.OpenPath(copyKey(copy), true)) {
                return 2;
            }
            reg.WriteNumber("Value" + std::to_string(i), copy * 1000 + i);
            if (!reg.OpenPath(Base + "\\Shared", true)) {
                return 3;
            }
            reg.WriteText("Shared" + std::to_string(i % SharedValues), sharedText(copy, i));
            int other = (i + 1) % SharedValues;
            std::string seen = reg.ReadText("Shared" + std::to_string(other));
            if (!seen.empty() && !isWrittenSharedText(seen, other)) {
                return 4;
            }
            if (i % 25 == 0) { // make and remove a subtree while the others write
                std::string scratch = Base + "\\Scratch\\Copy" + std::to_string(copy);
                if (!reg.OpenPath(scratch + "\\Deep\\Deeper", true) || !reg.RemoveKey(scratch)) {
                    return 5;
                }
            }
        }
        return 0;
    } catch (const StoreError&) {
        return 1;
    }
}

class StoreConcurrency : public TempConfigHome {
protected:
    // Starts `count` children running `work`; expects each to exit with 0.
    static void expectChildrenSucceed(int count, int (*work)(int child))
    {
        std::vector<pid_t> children;
        for (int child = 0; child < count; ++child) {
            pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                _exit(work(child));
            }
            children.push_back(pid);
        }
        for (pid_t pid : children) {
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        }
    }
};

TEST_F(StoreConcurrency, CopiesWritingAtOnceLoseNothing)
{
    // The store does not exist yet: the copies also race to create it.
    expectChildrenSucceed(Copies, runCopy);

    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    for (int copy = 0; copy < Copies; ++copy) {
        ASSERT_TRUE(reg.OpenPath(copyKey(copy), false));
        for (int i = 0; i < Writes; ++i) {
            EXPECT_EQ(reg.ReadNumberOr("Value" + std::to_string(i), -1), copy * 1000 + i) << copy << " " << i;
        }
    }
    ASSERT_TRUE(reg.OpenPath(Base + "\\Shared", false));
    for (int slot = 0; slot < SharedValues; ++slot) {
        EXPECT_TRUE(isWrittenSharedText(reg.ReadText("Shared" + std::to_string(slot)), slot)) << slot;
    }
    ASSERT_TRUE(reg.OpenPath(Base + "\\Scratch", false));
    std::vector<std::string> leftOver{"x"};
    reg.ListSubkeys(leftOver);
    EXPECT_TRUE(leftOver.empty());
}

constexpr int Rounds = 150;
std::string raceCalFile; // set before the children start

// Half the children associate the serial, the others forget it. Forgetting
// may find nothing to forget; nothing else may fail.
int associateOrForget(int child)
{
    const bool associating = child % 2 == 0;
    const std::vector<std::string> command =
        associating ? std::vector<std::string>{"orvantis-cli", "associate", "RACE", raceCalFile}
                    : std::vector<std::string>{"orvantis-cli", "forget", "RACE"};
    for (int round = 0; round < Rounds; ++round) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = runAssociationCommand(command, out, err);
        if (status != AssociationCommandDone && (associating || status != AssociationCommandFailed)) {
            std::cerr << err.str();
            return 1;
        }
    }
    return 0;
}

TEST_F(StoreConcurrency, AssociateRacingForgetOnOneSerialNeverFails)
{
    const std::filesystem::path calFile = tempRoot() / "RACE.CAL";
    std::ofstream(calFile) << "[ID]\n";
    raceCalFile = calFile.string();
    expectChildrenSucceed(4, associateOrForget);
    const std::string left = lookupCalFile("RACE");
    EXPECT_TRUE(left.empty() || left == calFile.string()) << left;
}

// Another program holding the store's write lock: a child process with a
// connection of its own in a write transaction until it is told to commit,
// or stopped.
class StoreWriter {
public:
    explicit StoreWriter(const std::filesystem::path& store)
    {
        int ready[2];
        int release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = fork();
        if (pid_ == 0) {
            close(release[1]);
            sqlite3* db = nullptr;
            if (sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
                sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK ||
                write(ready[1], "r", 1) != 1) {
                _exit(1);
            }
            char byte = 0;
            if (read(release[0], &byte, 1) != 1) {
                _exit(3); // the test ended without a word
            }
            _exit(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK ? 0 : 2);
        }
        close(ready[1]);
        close(release[0]);
        release_ = release[1];
        char byte = 0;
        holding_ = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
    }
    ~StoreWriter()
    {
        stop();
        close(release_);
    }
    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;

    bool holding() const { return holding_; }
    // Ends the writer; its lock goes with it.
    void stop()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    // Tells the writer to commit, then waits until it has ended by itself;
    // whether it committed.
    bool commit()
    {
        int status = 0;
        const bool committed = write(release_, "c", 1) == 1 && waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status) &&
                               WEXITSTATUS(status) == 0;
        pid_ = -1;
        return committed;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool holding_ = false;
};

class BusyStore : public StoreConcurrency {
protected:
    BusyStore() : previousWait(setUserStoreBusyTimeout(Wait))
    {
        calFile = tempRoot() / "BUSY.CAL";
        std::ofstream(calFile) << "[ID]\n";
    }
    ~BusyStore() override { setUserStoreBusyTimeout(previousWait); }

    // Runs a command with its pauses for a busy store counted from zero;
    // onFirstPause runs when it first waits.
    int run(const std::vector<std::string>& args, std::function<void()> onFirstPause = {})
    {
        out.str("");
        err.str("");
        pauses.restart(std::move(onFirstPause));
        return runAssociationCommand(args, out, err);
    }

    static constexpr std::chrono::milliseconds Wait{600};
    std::chrono::milliseconds previousWait;
    std::filesystem::path calFile;
    std::ostringstream out;
    std::ostringstream err;
    StoreBusyPauses pauses;
};

TEST_F(BusyStore, WritesWaitThenNameTheBusyStoreWhileReadsGoOn)
{
    ASSERT_TRUE(storeCalFile("0123", calFile.string()));
    StoreWriter writer(storeFile());
    ASSERT_TRUE(writer.holding());
    const std::string busy = "orvantis-cli: the store " + storeFile().string() +
                             " is busy: another program kept it locked for writing (database is locked)\n";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"orvantis-cli", "associate", "0123", calFile.string()}, {"orvantis-cli", "forget", "0123"}}) {
        EXPECT_EQ(run(args), AssociationCommandStoreUnusable) << args[1];
        EXPECT_EQ(err.str(), busy);
        // The whole wait, once: not given up early, not waited out again.
        EXPECT_GE(pauses.total(), Wait) << args[1];
        EXPECT_LT(pauses.total(), 2 * Wait) << args[1];
    }
    EXPECT_EQ(run({"orvantis-cli", "associations"}), AssociationCommandDone);
    EXPECT_EQ(out.str(), "0123 -> " + calFile.string() + "\n");
    EXPECT_EQ(pauses.count(), 0); // readers are never held up by a writer
    writer.stop();
    EXPECT_EQ(run({"orvantis-cli", "forget", "0123"}), AssociationCommandDone) << err.str();
}

TEST_F(BusyStore, WriteLockReleasedWithinTheWaitIsWaitedFor)
{
    setUserStoreBusyTimeout(std::chrono::seconds(10));
    ASSERT_TRUE(storeCalFile("0123", "/old"));
    StoreWriter writer(storeFile());
    ASSERT_TRUE(writer.holding());
    // The hold ends while the command waits for it.
    bool committed = false;
    EXPECT_EQ(run({"orvantis-cli", "associate", "0123", calFile.string()}, [&] { committed = writer.commit(); }),
              AssociationCommandDone)
        << err.str();
    EXPECT_TRUE(committed);
    EXPECT_GE(pauses.count(), 1);
    EXPECT_EQ(lookupCalFile("0123"), calFile.string());
}

} // namespace
