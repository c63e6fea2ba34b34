#pragma once
// A front end for the driver that answers from a script and records what
// the driver asked and said, in order.

#include "driver/conversion_driver.h"
#include "driver/file_log.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

class FakeFrontEnd : public DriverFrontEnd {
public:
    ConversionOptions conversionOptions;
    std::map<std::string, std::string> associations; // serial -> calibration file
    std::optional<std::string> chosenCalFile;        // what the user picks
    std::vector<std::string> lookups;                // serials looked up
    std::vector<std::string> remembered;             // "serial=file"
    std::vector<std::string> failures;
    std::vector<std::string> skipped;
    std::vector<std::string> warnings;
    bool allowForeign = false; // the answer to using another instrument's calibration
    int foreignAsked = 0;

    ConversionOptions options() override { return conversionOptions; }
    Log::Sink logSink() override;
    Log::Sink errorBox() override;
    std::optional<std::string> associatedCalFile(const std::string& serial) override;
    void rememberCalFile(const std::string& serial, const std::string& calFile) override;
    std::optional<std::string> chooseCalFile(const std::string& serial) override;
    void reportFailure(const std::string& text) override;
    void reportSkipped(const std::string& reason) override;
    void reportWarning(const std::string& text) override { warnings.push_back(text); }
    bool useForeignCalibration(const ForeignCalibration&) override
    {
        ++foreignAsked;
        return allowForeign;
    }

    // Everything logged, error boxes and failures included, as one text.
    const std::string& log() const { return log_; }
    void clearLog() { log_.clear(); }
    // From now on the texts go to this file's log instead (null: back here).
    void writeTo(FileLog* file) { file_ = file; }

private:
    std::string log_;
    FileLog* file_ = nullptr;
};
