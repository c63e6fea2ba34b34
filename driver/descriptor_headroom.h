#pragma once

// How many of `jobs` conversions can run at once with the file descriptors
// this process can still open, at least one: short of them, fewer files
// convert at once, so that no file fails for want of a descriptor that a
// one-by-one run would have had. Measured before any conversion starts.
int jobsWithinDescriptors(int jobs);
