#pragma once
// Runs a conversion in a child process whose files may not grow past a
// limit, so that one write after another fails as on a full disk.

#include "log_capture.h"

#include <sys/resource.h>

#include <functional>
#include <string>
#include <utility>

// The child's result and log come back through the file `report`, written
// after the limit is lifted.
std::pair<int, std::string> convertWithFileSizeLimit(const std::function<int()>& conversion, rlim_t limit,
                                                     const LogCapture& log, const std::string& report);
