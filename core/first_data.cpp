#include "core/first_data.h"

#include "core/text_line.h"

#include <cctype>

namespace {

bool isTextDataStart(int c)
{
    return c == '.' || c == '-' || std::isdigit(c);
}

// Consumes blanks and tabs; true when nothing but the line end follows.
bool restOfLineBlank(std::FILE* input)
{
    int c;
    do
        c = std::fgetc(input);
    while (c == ' ' || c == '\t');
    if (c == EOF)
        return true;
    std::ungetc(c, input);
    return c == '\r' || c == '\n';
}

} // namespace

DataKind findFirstData(std::FILE* input, const Log& log)
{
    std::rewind(input);
    char line[256];
    for (;;) {
        const int c = std::fgetc(input);
        if (c == EOF)
            return DataKind::None;
        std::ungetc(c, input);
        if (isTextDataStart(c))
            return DataKind::Text;
        if (c == 0x0F)
            return DataKind::Binary;
        if (c == '\r' || c == '\n') {
            std::fgetc(input);
            continue;
        }
        if ((c == ' ' || c == '\t') && restOfLineBlank(input))
            continue;
        if (readTextLine(line, sizeof line, input))
            log.debug("scan line: %s\n", line);
    }
}
