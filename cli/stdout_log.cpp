#include "cli/stdout_log.h"

#include "cli/log_stream.h"

#include <cstdio>
#include <cstring>

void logToStdout(const char* text)
{
    writeLog(stdout, text, std::strlen(text));
}

void reportFailure(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}
