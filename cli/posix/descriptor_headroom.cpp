#include "cli/descriptor_headroom.h"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

namespace {

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

} // namespace

bool descriptorsAvailable(int count)
{
    TrialDescriptors trial;
    for (int i = 0; i < count; ++i)
        if (!trial.openOneMore())
            return false;
    return true;
}
