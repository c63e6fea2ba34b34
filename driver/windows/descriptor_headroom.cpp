#include "driver/descriptor_headroom.h"

// The C library's descriptors are bounded only by memory here; a file that
// cannot be opened later fails on its own with the system's reason.
int jobsWithinDescriptors(int jobs)
{
    return jobs;
}
