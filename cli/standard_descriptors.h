#pragma once

// Opens the null device on any of descriptors 0, 1 and 2 that the converter was
// started without, so that no file it opens later takes their place and
// receives the log.
void openMissingStandardDescriptors();
