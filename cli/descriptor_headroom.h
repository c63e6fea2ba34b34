#pragma once

// Whether this process can still open count more file descriptors: tries by
// opening that many and closing them again.
bool descriptorsAvailable(int count);
