#include "conversion/progress.h"

ProgressCallback progressSink = nullptr;
