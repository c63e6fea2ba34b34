#include "core/identify.h"

#include "core/file_handle.h"
#include "core/log.h"
#include "core/number_scan.h"
#include "core/regular_file.h"
#include "core/text_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>

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

// What the header lines name; with a log, reported as identification does.
struct Identity {
    char serial[sizeof DataIdentity::serial] = "";
    char chanName[sizeof DataIdentity::channelName] = "";
    const Log* report = nullptr;
};

bool readSerialNumber(char* line, std::FILE* stream, Identity& identity)
{
    readTextLine(line, LINE_SIZE, stream);
    const bool qualifies = qualifiesAsFirstLine(line);
    if (identity.report)
        identity.report->debug("First line: %s\n", line);
    copyWordAfter(qualifies ? findSeparator(line, ',', ':') : nullptr, identity.serial);
    if (identity.serial[0] == '\0')
        return false;
    if (identity.report)
        identity.report->message("Data S/N: %s\n", identity.serial);
    return true;
}

// line still holds the first line, which stands when no later line is read.
void readChannelName(char* line, std::FILE* stream, Identity& identity)
{
    readChannelLine(line, stream);
    if (identity.report)
        identity.report->debug("Channel line: %s\n", line);
    copyWordAfter(findSeparator(line, ' ', ':'), identity.chanName);
    if (identity.report && identity.chanName[0] != '\0')
        identity.report->message("Data Chan Name: %s\n", identity.chanName);
}

// The channel number is read from the start of the name as "%d" reads it;
// the index is one less, and names a channel only when not negative.
std::optional<int32_t> channelIndexFromName(const Identity& identity)
{
    StringChars name(identity.chanName);
    int64_t number;
    if (!scanInteger(name, number))
        return std::nullopt;
    return static_cast<int32_t>(static_cast<int64_t>(low32(number)) - 1);
}

// Reads the header lines of an open data file; false when they do not
// identify one. What was read stays in identity either way.
bool readIdentity(std::FILE* file, Identity& identity)
{
    char line[LINE_SIZE] = "";
    if (!readSerialNumber(line, file, identity))
        return false;
    readChannelName(line, file, identity);
    return true;
}

} // namespace

int identifyDataFile(const char* path, const Log& log, DataIdentity& result)
{
    log.debug("opening %s\n", path);
    FileHandle file(openRegularFile(path));
    if (!file) {
        const int error = errno;
        log.error("Error %d opening input file %s: %s\n", error, path, openErrorText(error).c_str());
        return 0;
    }
    log.debug("file open\n");
    log.message("%s ", path);

    Identity identity;
    identity.report = &log;
    const bool named = readIdentity(file.get(), identity);
    std::memcpy(result.serial, identity.serial, sizeof result.serial);
    if (!named)
        return 0;
    std::memcpy(result.channelName, identity.chanName, sizeof result.channelName);
    log.debug("Closing %s\n", path);
    file.reset();

    const std::optional<int32_t> index = channelIndexFromName(identity);
    if (!index)
        return 0;
    result.channel = *index;
    if (result.channel < 0)
        return 0;
    log.message("Data Chan Letter: %c\n", static_cast<unsigned char>('A' + static_cast<uint32_t>(result.channel)));
    return 1;
}

bool identifiesAsDataFile(const char* path)
{
    const FileHandle file(openRegularFile(path));
    Identity identity;
    if (!file || !readIdentity(file.get(), identity))
        return false;
    const std::optional<int32_t> index = channelIndexFromName(identity);
    return index && *index >= 0;
}

bool sameSerial(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}
