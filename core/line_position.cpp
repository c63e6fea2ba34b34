#include "core/line_position.h"

#include "core/line_end.h"

namespace {

// The first character from the position on that `passed` does not pass
// over (EOF at the end); the position is kept. EOF too when the position
// cannot be told.
template <typename Passed>
int firstCharacterPast(std::FILE* stream, Passed passed)
{
    std::fpos_t here;
    if (std::fgetpos(stream, &here) != 0)
        return EOF;
    int c;
    do
        c = getc_unlocked(stream);
    while (c != EOF && passed(c));
    std::fsetpos(stream, &here);
    return c;
}

} // namespace

bool restOfLineHoldsText(std::FILE* stream)
{
    const int c = firstCharacterPast(stream, [](int x) { return x == ' ' || x == '\t'; });
    return c != EOF && !isLineEnd(c);
}

bool lineEndSince(std::FILE* stream, const std::fpos_t& start)
{
    std::fpos_t here;
    const long end = std::ftell(stream);
    if (end < 0 || std::fgetpos(stream, &here) != 0 || std::fsetpos(stream, &start) != 0)
        return false;
    bool found = false;
    for (long left = end - std::ftell(stream); left > 0 && !found; --left)
        found = isLineEnd(getc_unlocked(stream));
    std::fsetpos(stream, &here);
    return found;
}

long skipLineFrom(std::FILE* stream, const std::fpos_t& start)
{
    const long offset = std::fsetpos(stream, &start) == 0 ? std::ftell(stream) : -1;
    skipToLineEnd(stream);
    return offset;
}

bool onlyWhiteSpaceLeft(std::FILE* stream)
{
    std::fpos_t here;
    if (std::fgetpos(stream, &here) != 0)
        return false;
    return firstCharacterPast(stream, [](int x) {
               return x == ' ' || x == '\t' || x == '\v' || x == '\f' || isLineEnd(x);
           }) == EOF;
}

long offsetOf(std::FILE* stream, const std::fpos_t& at)
{
    std::fpos_t here;
    if (std::fgetpos(stream, &here) != 0)
        return -1;
    const long offset = std::fsetpos(stream, &at) == 0 ? std::ftell(stream) : -1;
    std::fsetpos(stream, &here);
    return offset;
}
