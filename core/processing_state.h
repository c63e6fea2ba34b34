#pragma once
// Module-level state of the processing side: the options of the file being
// converted and what identification found in the file identified last.

#include <cstdint>

extern int8_t processLevel;
extern int transposeOutput;
extern int binaryOutput;
extern char delimiter;
extern char dataSerial[32];
extern char dataChanName[32];
extern int32_t chanIndex;

// Text of each processing level as logged after "Processing level:    %d".
const char* processLevelText(int level);
