#include "core/binary_resync.h"

#include "core/binary_record_layout.h"

bool confirmedRecordAt(std::FILE* stream, long offset)
{
    unsigned char header[RECORD_HEADER_SIZE];
    if (std::fseek(stream, offset, SEEK_SET) != 0 || std::fread(header, 1, sizeof header, stream) != sizeof header)
        return false;
    const std::size_t length = declaredRecordLength(header);
    // The record's last byte must be there, and whatever follows it read.
    if (length == 0 || std::fseek(stream, offset + static_cast<long>(length) - 1, SEEK_SET) != 0 ||
        getc_unlocked(stream) == EOF)
        return false;
    unsigned char next[RECORD_HEADER_SIZE];
    const std::size_t following = std::fread(next, 1, sizeof next, stream);
    return following == 0 || (following == sizeof next && declaredRecordLength(next) != 0);
}

long findConfirmedRecord(std::FILE* stream, long from, long before)
{
    if (std::fseek(stream, from, SEEK_SET) != 0)
        return -1;
    int c;
    for (long offset = from; (before < 0 || offset < before) && (c = getc_unlocked(stream)) != EOF; ++offset) {
        if (c != RECORD_MARKER)
            continue;
        if (confirmedRecordAt(stream, offset))
            return offset;
        if (std::fseek(stream, offset + 1, SEEK_SET) != 0)
            return -1;
    }
    return -1;
}
