#include "cli/file_log.h"

#include "cli/log_stream.h"

void FileLog::addLog(const char* text)
{
    const std::lock_guard lock(mutex_);
    if (out_)
        print({false, text});
    else
        held_.push_back({false, text});
}

void FileLog::addError(const std::string& text)
{
    const std::lock_guard lock(mutex_);
    if (out_)
        print({true, text});
    else
        held_.push_back({true, text});
}

void FileLog::printFromNowOn(std::FILE* out, std::FILE* err)
{
    const std::lock_guard lock(mutex_);
    out_ = out;
    err_ = err;
    for (const Text& text : held_)
        print(text);
    held_.clear();
    held_.shrink_to_fit();
}

void FileLog::print(const Text& text)
{
    if (text.error) {
        std::fputs(text.text.c_str(), err_);
        std::fflush(err_);
    } else {
        writeLog(out_, text.text.data(), text.text.size());
    }
}
