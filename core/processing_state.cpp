#include "core/processing_state.h"

int8_t processLevel = 0;
int transposeOutput = 0;
int binaryOutput = 0;
int netcdfOutput = 0;
char delimiter = ',';
char dataSerial[32] = "";
char dataChanName[32] = "";
int32_t chanIndex = 0;

const char* processLevelText(int level)
{
    static const char* const texts[] = {
        " (raw)\n",      " (pixel adjusted cal)\n", " (dark adjusted cal)\n", " (dark adjusted, time normalized cal)\n",
        " (full cal)\n",
    };
    return level >= 0 && level <= 4 ? texts[level] : nullptr;
}
