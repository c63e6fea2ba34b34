#include "conversion/conversion_options.h"

const char* processLevelText(int level)
{
    static const char* const texts[] = {
        " (raw)\n",      " (pixel adjusted cal)\n", " (dark adjusted cal)\n", " (dark adjusted, time normalized cal)\n",
        " (full cal)\n",
    };
    return level >= 0 && level <= 4 ? texts[level] : nullptr;
}
