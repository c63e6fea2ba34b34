#include "fake_front_end.h"

Log::Sink FakeFrontEnd::logSink()
{
    if (FileLog* file = file_)
        return [file](const char* text) { file->addLog(text); };
    return [this](const char* text) { log_ += text; };
}

Log::Sink FakeFrontEnd::errorBox()
{
    if (FileLog* file = file_)
        return [file](const char* text) { file->addError(std::string("[box] ") + text); };
    return [this](const char* text) { log_ += std::string("[box] ") + text; };
}

std::optional<std::string> FakeFrontEnd::associatedCalFile(const std::string& serial)
{
    lookups.push_back(serial);
    const auto found = associations.find(serial);
    return found == associations.end() ? std::string() : found->second;
}

void FakeFrontEnd::rememberCalFile(const std::string& serial, const std::string& calFile)
{
    remembered.push_back(serial + "=" + calFile);
}

std::optional<std::string> FakeFrontEnd::chooseCalFile(const std::string&)
{
    return chosenCalFile;
}

void FakeFrontEnd::reportFailure(const std::string& text)
{
    failures.push_back(text);
    if (file_)
        file_->addError("[failure] " + text + "\n");
    else
        log_ += "[failure] " + text + "\n";
}

void FakeFrontEnd::reportSkipped(const std::string& reason)
{
    skipped.push_back(reason);
}
