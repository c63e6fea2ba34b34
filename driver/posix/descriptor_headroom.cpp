#include "driver/descriptor_headroom.h"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

namespace {

// Descriptors a conversion may hold at once (input, output, its lock and
// temporary, the transposition's temporary, the NetCDF library's), and what
// preparing a file opens (data file, calibration file, the store and its
// journal), with room to spare.
constexpr int DescriptorsPerConversion = 10;
constexpr int DescriptorsForPreparing = 10;

// Descriptors opened only to be counted, closed on every way out.
class TrialDescriptors {
public:
    TrialDescriptors() = default;
    TrialDescriptors(const TrialDescriptors&) = delete;
    TrialDescriptors& operator=(const TrialDescriptors&) = delete;
    ~TrialDescriptors()
    {
        for (const int fd : fds_)
            close(fd);
    }

    bool openOneMore()
    {
        const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        fds_.push_back(fd);
        return true;
    }

private:
    std::vector<int> fds_;
};

// Whether this process can still open count more file descriptors: tries by
// opening that many and closing them again.
bool descriptorsAvailable(int count)
{
    TrialDescriptors trial;
    for (int i = 0; i < count; ++i)
        if (!trial.openOneMore())
            return false;
    return true;
}

} // namespace

int jobsWithinDescriptors(int jobs)
{
    int fitting = jobs < 1 ? 1 : jobs;
    while (fitting > 1 && !descriptorsAvailable(fitting * DescriptorsPerConversion + DescriptorsForPreparing))
        --fitting;
    return fitting;
}
