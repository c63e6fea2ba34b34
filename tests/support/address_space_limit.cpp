#include "address_space_limit.h"

#include <unistd.h>

#include <fstream>

bool limitAddressSpaceGrowth(rlim_t room)
{
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    if (!(statm >> pages))
        return false;
    const rlimit limit{pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + room, RLIM_INFINITY};
    return setrlimit(RLIMIT_AS, &limit) == 0;
}
