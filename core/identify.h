#pragma once

// Reads the header lines of a data file and leaves the serial number, channel
// name and channel index in the processing state. 1 when identified, else 0.
int identifyDataFile(const char* path);

// Whether the file's header lines identify it as a data file, as
// identifyDataFile would; quiet, and the processing state is left alone.
bool identifiesAsDataFile(const char* path);
