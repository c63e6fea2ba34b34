#include "test_files.h"

#include "core/log.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

std::vector<std::string> loggedTexts;
std::vector<std::string> shownErrors;

void keepText(const char* text) { loggedTexts.emplace_back(text); }
void keepError(const char* text) { shownErrors.emplace_back(text); }

} // namespace

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvantis-core-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::string path = path_ + "/" + name;
    FileHandle file(std::fopen(path.c_str(), "wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        throw std::runtime_error("cannot write " + path);
    return path;
}

MemoryStream::MemoryStream(std::string bytes) : bytes_(std::move(bytes))
{
    file_.reset(fmemopen(bytes_.data(), bytes_.size(), "rb"));
    if (!file_)
        throw std::runtime_error("fmemopen failed");
}

std::string MemoryStream::rest() const
{
    std::string rest;
    for (int c = std::getc(file_.get()); c != EOF; c = std::getc(file_.get()))
        rest.push_back(static_cast<char>(c));
    return rest;
}

LogCapture::LogCapture(int16_t verbose)
{
    clear();
    logSink = keepText;
    verboseLog = verbose;
    setErrorBoxHook(keepError);
}

LogCapture::~LogCapture()
{
    logSink = nullptr;
    verboseLog = 0;
    setErrorBoxHook(nullptr);
}

const std::vector<std::string>& LogCapture::texts() const { return loggedTexts; }
const std::vector<std::string>& LogCapture::errorBoxes() const { return shownErrors; }

std::string LogCapture::joined() const
{
    std::string all;
    for (const std::string& text : loggedTexts)
        all += text;
    return all;
}

void LogCapture::clear()
{
    loggedTexts.clear();
    shownErrors.clear();
}
