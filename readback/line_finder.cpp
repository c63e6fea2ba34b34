#include "readback/line_finder.h"

#include "conversion/file_window.h"

#include <cstring>

namespace {

// Takes the file's bytes in order and notes the lines they hold.
class Finder {
public:
    Finder(std::int64_t offset, long lineBefore, char delimiter)
        : lineStart_(offset), number_(lineBefore), delimiter_(delimiter)
    {}

    // The bytes from `at` on; false once a line after a blank one shows
    // that no more are wanted.
    bool take(const char* bytes, std::size_t size, std::int64_t at)
    {
        const char* p = bytes;
        const char* const end = bytes + size;
        while (p != end) {
            if (afterBlank_) {
                found_.lineAfterBlank = ++number_;
                return false;
            }
            p = inHead_ ? headEnd(p, end)
                        : static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (p == nullptr || p == end)
                break;
            if (*p == delimiter_) { // a delimiter ends the head; a line end is sought next
                inHead_ = false;
                ++p;
                continue;
            }
            endLine(at + (p - bytes), (p != bytes ? p[-1] : last_) == '\r');
            ++p;
        }
        last_ = end[-1];
        return true;
    }

    // What was found once the bytes up to `fileEnd` are taken.
    FoundLines finish(std::int64_t fileEnd)
    {
        if (!afterBlank_ && fileEnd > lineStart_) // a last line without a line end
            endLine(fileEnd, last_ == '\r');
        found_.lastLine = number_;
        return std::move(found_);
    }

private:
    // Adds the head's bytes up to a delimiter or a line end; where it stops.
    const char* headEnd(const char* p, const char* end)
    {
        const char* stop = p;
        while (stop != end && *stop != delimiter_ && *stop != '\n')
            ++stop;
        head_.append(p, stop);
        return stop;
    }

    // The line from lineStart_ ends at `lineEnd`, after a CR if crBefore.
    void endLine(std::int64_t lineEnd, bool crBefore)
    {
        if (crBefore && inHead_)
            head_.pop_back(); // the CR ended the head too
        const std::int64_t end = lineEnd - (crBefore ? 1 : 0);
        ++number_;
        if (end == lineStart_)
            afterBlank_ = true;
        else
            found_.lines.push_back({lineStart_, end, std::move(head_), !inHead_});
        head_.clear();
        inHead_ = true;
        lineStart_ = lineEnd + 1;
    }

    std::int64_t lineStart_;
    long number_;
    char delimiter_;
    FoundLines found_;
    std::string head_;
    bool inHead_ = true;
    bool afterBlank_ = false;
    char last_ = '\n'; // the byte before those taken
};

} // namespace

FoundLines findLines(std::FILE* file, std::int64_t offset, long lineBefore, char delimiter)
{
    Finder finder(offset, lineBefore, delimiter);
    FileWindow window(file);
    std::int64_t at = offset;
    for (std::size_t size; (size = window.available(at, FileWindow::BLOCK)) > 0;
         at += static_cast<std::int64_t>(size)) {
        const unsigned char* bytes = window.at(at, size);
        if (bytes == nullptr || !finder.take(reinterpret_cast<const char*>(bytes), size, at))
            break;
    }
    return finder.finish(at);
}
