#include "core/binary_resync.h"

#include "core/binary_record_layout.h"
#include "core/line_end.h"

AfterRecord whatFollows(std::FILE* stream)
{
    int c = getc_unlocked(stream);
    for (int i = 0; i < RECORD_LINE_END_SIZE && isLineEnd(c); ++i)
        c = getc_unlocked(stream);
    if (c == EOF)
        return AfterRecord::End;
    if (c != RECORD_MARKER)
        return AfterRecord::Other;
    unsigned char header[RECORD_HEADER_SIZE] = {RECORD_MARKER};
    if (std::fread(header + 1, 1, sizeof header - 1, stream) != sizeof header - 1)
        return AfterRecord::CutHeader;
    return declaredRecordLength(header) != 0 ? AfterRecord::NextHeader : AfterRecord::Other;
}

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
    const AfterRecord after = whatFollows(stream);
    return after == AfterRecord::NextHeader || after == AfterRecord::End;
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
