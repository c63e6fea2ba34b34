// The calibration reader and other programs' locks on the file.

#include "cal_file_fixture.h"
#include "calibration/cal_file_open.h"
#include "foreign_lock.h"

#include <gtest/gtest.h>

namespace {

TEST_F(SectionReader, ReadersShareTheFileAndAWritersHoldIsWaitedOut)
{
    const std::string path = write("[ID]\n12345\n");
    ForeignLock reader(path);
    ASSERT_TRUE(reader.canLock());
    EXPECT_EQ(openErrorOf(path), "");
    reader.unlock();

    ForeignLock writer(path);
    ASSERT_TRUE(writer.lock());
    const std::string reason = openErrorOf(path);
    EXPECT_NE(reason.find(path), std::string::npos) << reason;
    EXPECT_NE(reason.find("locked by another program"), std::string::npos) << reason;

    // A hold that ends while the reader waits lets it through: it ends at
    // the reader's first pause, after an attempt that found it.
    int pauses = 0;
    const auto releaseOnFirstPause = [&] {
        if (pauses++ == 0)
            writer.unlock();
    };
    EXPECT_NO_THROW(openCalFileShared(path, 1 << 20, releaseOnFirstPause));
    EXPECT_EQ(pauses, 1);
}

TEST_F(SectionReader, KeepsWritersOffWhileItExists)
{
    const std::string path = write("[ID]\n12345\n");
    ForeignLock other(path);
    {
        const TCalFile file(path, Log{});
        EXPECT_FALSE(other.lock());
        EXPECT_TRUE(other.canLock());
        other.unlock();
    }
    EXPECT_TRUE(other.lock());
}

} // namespace
