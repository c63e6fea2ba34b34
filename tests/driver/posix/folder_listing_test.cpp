// Folders that cannot be listed, for their permissions or for want of a
// descriptor, are failures that name them; they never make the run's list
// of data files quietly shorter.

#include "driver/data_files.h"
#include "temp_dir.h"
#include "unprivileged_child.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The list as lines: the files, then "failed: " and each failure's text.
std::string asText(const DataFileList& list)
{
    std::string text;
    for (const std::string& file : list.files)
        text += file + "\n";
    for (const ListingFailure& failure : list.failures)
        text += "failed: " + failure.text + "\n";
    return text;
}

// Lists the paths in a child that permissions bind and that can open only
// `spare` more descriptors (any number when negative).
std::string listedInChild(const std::vector<std::string>& paths, int spare = -1)
{
    return runInChildForText([&] {
        if (spare >= 0) {
            const int lowestFree = open("/dev/null", O_RDONLY);
            close(lowestFree);
            const rlimit limit{static_cast<rlim_t>(lowestFree + spare), static_cast<rlim_t>(lowestFree + spare)};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        return asText(dataFilesOf(paths));
    });
}

std::string unreadable(const fs::path& folder, int error)
{
    return "failed: " + folder.string() + ": the folder cannot be read: " + std::strerror(error) +
           "; the data files in it are not converted\n";
}

class FolderListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"season/c1", "season/c2", "season/c3/a/b/c/d", "closed"})
            fs::create_directories(dir.path() / folder);
        for (const char* name : {"season/c1/A.ASC", "season/c2/B.ASC", "season/c3/a/b/c/d/C.bin", "closed/D.ASC"})
            dir.write(name, "x");
    }

    fs::path season() const { return dir.path() / "season"; }

    TempDir dir;
};

TEST_F(FolderListing, FolderThatCannotBeReadIsNamedWithItsReasonAndTheRestIsListed)
{
    const fs::path c2 = season() / "c2";
    const fs::path closed = dir.path() / "closed";
    fs::permissions(c2, fs::perms::none);
    fs::permissions(closed, fs::perms::none);
    const std::string listed = listedInChild({season().string(), closed.string()});
    fs::permissions(c2, fs::perms::owner_all);
    fs::permissions(closed, fs::perms::owner_all);
    EXPECT_EQ(listed, (season() / "c1/A.ASC").string() + "\n" + (season() / "c3/a/b/c/d/C.bin").string() + "\n" +
                          unreadable(c2, EACCES) + unreadable(closed, EACCES));
}

// A folder is read whole before the next is opened: one descriptor lists
// any depth, and none fails the folder rather than listing nothing.
TEST_F(FolderListing, ShortOfDescriptorsTheListingFailsRatherThanShrinks)
{
    const std::string whole = asText(dataFilesOf({season().string()}));
    ASSERT_EQ(whole, (season() / "c1/A.ASC").string() + "\n" + (season() / "c2/B.ASC").string() + "\n" +
                         (season() / "c3/a/b/c/d/C.bin").string() + "\n");
    EXPECT_EQ(listedInChild({season().string()}, 1), whole);
    EXPECT_EQ(listedInChild({season().string()}, 0), unreadable(season(), EMFILE));
}

} // namespace
