#include "driver/file_log.h"

#include <utility>

void FileLog::add(bool error, std::string text)
{
    const std::lock_guard lock(mutex_);
    if (printer_)
        (*printer_)(error, text);
    else
        held_.push_back({error, std::move(text)});
}

void FileLog::printFromNowOn(const TextPrinter& printer)
{
    const std::lock_guard lock(mutex_);
    printer_ = &printer;
    for (const Text& text : held_)
        printer(text.error, text.text);
    held_.clear();
    held_.shrink_to_fit();
}
