#pragma once
// Identification of a data file by its header lines: the instrument's
// serial number and the optical channel the file holds.

#include "core/log.h"

#include <cstdint>
#include <string_view>

struct DataIdentity {
    char serial[32] = "";      // empty when none was found
    char channelName[32] = ""; // the word naming the channel, e.g. "1"
    int32_t channel = 0;       // zero-based: the channel number minus 1
};

// Reads the header lines of a data file into identity, reporting to log.
// 1 when identified, else 0. After a failure, identity.serial is empty when
// no serial number was found (the other fields are those read, if any).
int identifyDataFile(const char* path, const Log& log, DataIdentity& identity);

// Whether the file's header lines identify it as a data file, as
// identifyDataFile would; quiet.
bool identifiesAsDataFile(const char* path);

// Whether two serial numbers name one instrument: they agree but for the
// letter case, as the association store and the calibration files may differ
// in it.
bool sameSerial(std::string_view a, std::string_view b);
