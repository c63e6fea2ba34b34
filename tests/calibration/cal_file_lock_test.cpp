// The calibration reader and other programs' locks on the file.

#include "cal_file_fixture.h"
#include "foreign_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

    // A hold that ends while the reader waits lets it through.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        writer.unlock();
    });
    EXPECT_EQ(openErrorOf(path), "");
    release.join();
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
