#include "cli/stdout_log.h"

#include <cstdio>

void logToStdout(const char* text)
{
    std::fputs(text, stdout);
}

void reportFailure(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}
