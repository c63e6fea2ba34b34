// Several copies of the program writing to the store at the same time, each
// a separate process with TRegDef objects of its own.

#include <cstdio>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/reg_def.h"
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

class StoreConcurrency : public TempConfigHome {};

TEST_F(StoreConcurrency, CopiesWritingAtOnceLoseNothing)
{
    // The store does not exist yet: the copies also race to create it.
    std::vector<pid_t> children;
    for (int copy = 0; copy < Copies; ++copy) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            _exit(runCopy(copy));
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }

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

} // namespace
