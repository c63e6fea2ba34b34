#include "core/identify.h"

#include "core/file_handle.h"
#include "core/log.h"
#include "core/number_scan.h"
#include "core/processing_state.h"
#include "core/text_line.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr int LINE_SIZE = 256;

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The serial number line starts with a letter; "Export" lines and lines
// starting with anything else are not instrument headers.
bool qualifiesAsFirstLine(const char* line)
{
    return isAsciiLetter(line[0]) && line[0] != 'E' && line[0] != 'e';
}

// The first `preferred` character, or only when there is none, the first `other`.
const char* findSeparator(const char* line, char preferred, char other)
{
    const char* found = std::strchr(line, preferred);
    return found != nullptr ? found : std::strchr(line, other);
}

// The word after a separator: its following blanks skipped, up to the next
// blank, CR, LF or the end, cut to what the field holds. Tabs belong to it.
template <std::size_t N>
void copyWordAfter(const char* separator, char (&word)[N])
{
    std::size_t length = 0;
    if (separator != nullptr) {
        const char* p = separator + 1;
        while (*p == ' ')
            ++p;
        while (length < N - 1 && p[length] != '\0' && p[length] != ' ' && p[length] != '\r' && p[length] != '\n')
            ++length;
        std::memcpy(word, p, length);
    }
    word[length] = '\0';
}

// The first later line starting with 'C'; failing that, the last line read.
void readChannelLine(char* line, std::FILE* stream)
{
    while (readTextLine(line, LINE_SIZE, stream) != nullptr && line[0] != 'C' && !std::feof(stream)) {
    }
}

bool readSerialNumber(char* line, std::FILE* stream)
{
    readTextLine(line, LINE_SIZE, stream);
    const bool qualifies = qualifiesAsFirstLine(line);
    logDebug("First line: %s\n", line);
    copyWordAfter(qualifies ? findSeparator(line, ',', ':') : nullptr, dataSerial);
    if (dataSerial[0] == '\0')
        return false;
    logMessage("Data S/N: %s\n", dataSerial);
    return true;
}

// line still holds the first line, which stands when no later line is read.
void readChannelName(char* line, std::FILE* stream)
{
    readChannelLine(line, stream);
    logDebug("Channel line: %s\n", line);
    copyWordAfter(findSeparator(line, ' ', ':'), dataChanName);
    if (dataChanName[0] != '\0')
        logMessage("Data Chan Name: %s\n", dataChanName);
}

// The channel number is read from the start of the name as "%d" reads it.
bool channelIndexFromName()
{
    StringChars name(dataChanName);
    int64_t number;
    if (!scanInteger(name, number))
        return false;
    const int64_t index = static_cast<int64_t>(low32(number)) - 1;
    chanIndex = static_cast<int32_t>(index);
    return index >= 0;
}

} // namespace

int identifyDataFile(const char* path)
{
    logDebug("opening %s\n", path);
    FileHandle file(std::fopen(path, "rb"));
    if (!file) {
        logError("Error %d opening input file %s\n", errno, path);
        return 0;
    }
    logDebug("file open\n");
    logMessage("%s ", path);

    char line[LINE_SIZE] = "";
    if (!readSerialNumber(line, file.get()))
        return 0;
    readChannelName(line, file.get());
    logDebug("Closing %s\n", path);
    file.reset();

    if (!channelIndexFromName())
        return 0;
    logMessage("Data Chan Letter: %c\n", static_cast<unsigned char>('A' + static_cast<uint32_t>(chanIndex)));
    return 1;
}
