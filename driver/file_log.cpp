#include "driver/file_log.h"

#include "core/temporary_file.h"

#include <sys/types.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// What a text costs held in memory besides its characters: the string's
// own fields, its place in the list and the allocator's share.
constexpr std::size_t TextOverhead = 64;

// A text in the scratch file: its kind, its length, its characters.
using TextLength = std::uint64_t;

} // namespace

FileLog::~FileLog()
{
    const std::lock_guard lock(shared_.mutex_);
    forgetHeld();
}

void FileLog::add(bool error, std::string text)
{
    std::unique_lock lock(shared_.mutex_);
    if (!printer_ && shared_.bytes_ > HeldLogBytes && heldBytes_ >= SpilledLogBytes && !spill() &&
        std::this_thread::get_id() != shared_.printerThread_)
        shared_.printing_.wait(lock, [this] { return printer_ != nullptr; });
    if (printer_) {
        (*printer_)(error, text);
        return;
    }
    const std::size_t cost = text.capacity() + TextOverhead;
    held_.push_back({error, std::move(text)});
    heldBytes_ += cost;
    shared_.bytes_ += cost;
}

bool FileLog::spill()
{
    if (!spilled_)
        spilled_.reset(openTemporaryFile());
    if (!spilled_)
        return false;
    std::string block;
    for (const Text& held : held_) {
        const TextLength length = held.text.size();
        block += held.error ? '1' : '0';
        block.append(reinterpret_cast<const char*>(&length), sizeof length);
        block += held.text;
    }
    // A write that failed part of the way is written over by the next one.
    std::FILE* file = spilled_.get();
    if (fseeko(file, spilledEnd_, SEEK_SET) != 0 || std::fwrite(block.data(), 1, block.size(), file) != block.size() ||
        std::fflush(file) != 0)
        return false;
    spilledEnd_ += static_cast<off_t>(block.size());
    forgetHeld();
    return true;
}

void FileLog::printSpilled(const TextPrinter& printer)
{
    if (!spilled_)
        return;
    std::FILE* file = spilled_.get();
    bool whole = fseeko(file, 0, SEEK_SET) == 0;
    for (off_t at = 0; whole && at < spilledEnd_;) {
        char kind = 0;
        TextLength length = 0;
        whole = std::fread(&kind, 1, 1, file) == 1 && std::fread(&length, sizeof length, 1, file) == 1;
        std::string text(whole ? length : 0, '\0');
        whole = whole && std::fread(text.data(), 1, text.size(), file) == text.size();
        if (whole)
            printer(kind == '1', text);
        at += static_cast<off_t>(1 + sizeof length + text.size());
    }
    if (!whole)
        printer(true, std::string("The rest of this file's log could not be read back from its scratch file: ") +
                          std::strerror(errno) + "\n");
    spilled_.reset();
}

void FileLog::printFromNowOn(const TextPrinter& printer)
{
    const std::lock_guard lock(shared_.mutex_);
    printer_ = &printer;
    printSpilled(printer);
    for (const Text& text : held_)
        printer(text.error, text.text);
    forgetHeld();
    shared_.printing_.notify_all();
}

void FileLog::forgetHeld()
{
    shared_.bytes_ -= heldBytes_;
    heldBytes_ = 0;
    held_.clear();
    held_.shrink_to_fit();
}
