#include "core/text_line.h"

#include "core/line_end.h"

namespace {

bool isTextSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int firstNonSpace(std::FILE* stream)
{
    int c;
    do
        c = getc_unlocked(stream);
    while (isTextSpace(c));
    return c;
}

// After a CR or LF, the other one of the pair belongs to the same line end.
void consumePartner(std::FILE* stream, int lineEnd)
{
    const int partner = lineEnd == '\r' ? '\n' : '\r';
    const int next = getc_unlocked(stream);
    if (next != partner && next != EOF)
        std::ungetc(next, stream);
}

} // namespace

char* readTextLine(char* buffer, int size, std::FILE* stream)
{
    if (size < 2)
        return nullptr;
    int c = firstNonSpace(stream);
    if (c == EOF)
        return nullptr;
    const int capacity = size - 2;
    int length = 0;
    while (c != EOF && !isLineEnd(c)) {
        if (length == capacity) {
            c = skipToLineEnd(stream);
            break;
        }
        buffer[length++] = static_cast<char>(c);
        c = getc_unlocked(stream);
    }
    buffer[length] = '\n';
    buffer[length + 1] = '\0';
    if (isLineEnd(c))
        consumePartner(stream, c);
    return buffer;
}
