#pragma once

// Opens the null device on any of descriptors 0, 1 and 2 that the converter was
// started without, so that no file it opens later takes their place and
// receives the log.
void openMissingStandardDescriptors();

// Lets what is written to stdout and stderr reach them byte for byte, as a
// batch child's log must reach its parent, which translates line ends once.
void writeStandardStreamsAsBytes();
