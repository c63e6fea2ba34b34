#include "log_capture.h"

#include "conversion/default_context.h"

#include <algorithm>

namespace {

// The log callback and the error box are plain functions, so they reach the
// capture that installed them through this.
LogCapture* activeCapture = nullptr;

} // namespace

LogCapture::LogCapture(int16_t verbose) : verbose_(verbose != 0)
{
    activeCapture = this;
    logSink = &LogCapture::sink;
    verboseLog = verbose;
    setErrorBoxHook(&LogCapture::box);
}

LogCapture::~LogCapture()
{
    logSink = nullptr;
    verboseLog = 0;
    setErrorBoxHook(nullptr);
    activeCapture = nullptr;
}

Log LogCapture::log()
{
    Log log;
    log.sink = [this](const char* text) { texts_.emplace_back(text); };
    log.errorBox = [this](const char* text) { errorBoxes_.emplace_back(text); };
    log.verbose = verbose_;
    return log;
}

void LogCapture::sink(const char* text)
{
    activeCapture->texts_.emplace_back(text);
}

void LogCapture::box(const char* text)
{
    activeCapture->errorBoxes_.emplace_back(text);
}

std::string LogCapture::joined() const
{
    return concatenated(texts_);
}

int LogCapture::count(const std::string& text) const
{
    return static_cast<int>(std::count(texts_.begin(), texts_.end(), text));
}

void LogCapture::clear()
{
    texts_.clear();
    errorBoxes_.clear();
}

std::string concatenated(const std::vector<std::string>& texts)
{
    std::string all;
    for (const std::string& text : texts)
        all += text;
    return all;
}
