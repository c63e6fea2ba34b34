#include "app/viewer_recordings.h"

#include "driver/conversion_driver.h"
#include "calibration/cal_file.h"
#include "core/identify.h"
#include "readback/output_reader.h"
#include "store/associations.h"
#include "store/key_store.h"
#include "conversion/output_name.h"

#include <QTemporaryDir>

namespace {

// The driver's questions answered without asking anyone: the association
// is read, never chosen nor stored, and every text is kept for the refusal.
class RecordingFrontEnd final : public DriverFrontEnd {
public:
    explicit RecordingFrontEnd(const RecordingOptions& options) : options_(options) {}

    ConversionOptions options() override
    {
        ConversionOptions options;
        options.level = static_cast<int8_t>(options_.level);
        return options;
    }
    Log::Sink logSink() override
    {
        return [this](const char* text) { log_ += text; };
    }
    Log::Sink errorBox() override { return logSink(); }
    std::optional<std::string> associatedCalFile(const std::string& serial) override
    {
        try {
            return lookupCalFile(serial);
        } catch (const KeyStoreError& error) {
            failure_ = error.what();
            return std::nullopt;
        }
    }
    void rememberCalFile(const std::string&, const std::string&) override {}
    std::optional<std::string> chooseCalFile(const std::string&) override { return std::nullopt; }
    void reportFailure(const std::string& text) override { failure_ = text; }
    void reportUnknownSerial(const std::string&, const std::string& text) override
    {
        failure_ = text + " Associate one in the main window or give one with --cal CALFILE.";
    }
    void reportSkipped(const std::string& reason) override { failure_ = reason; }
    bool useForeignCalibration(const ForeignCalibration&) override { return options_.calAnySerial; }

    // Why the recording was not converted.
    std::string refusal(const std::string& path) const
    {
        const std::string why = failure_.empty() ? log_ : failure_;
        return path + " could not be converted for viewing: " + why;
    }

private:
    const RecordingOptions& options_;
    std::string log_;
    std::string failure_;
};

} // namespace

namespace {

ViewerInput convertRecording(const std::string& path, const RecordingOptions& options)
{
    RecordingFrontEnd frontEnd(options);
    ConversionDriver driver(frontEnd);
    if (!options.calFile.empty() && !driver.useFixedCalFile(options.calFile))
        throw OutputReadError(frontEnd.refusal(path));
    driver.startRun({path});
    std::variant<FileOutcome, PreparedFile> prepared = driver.prepare(path);
    auto* file = std::get_if<PreparedFile>(&prepared);
    if (!file)
        throw OutputReadError(frontEnd.refusal(path));
    auto folder = std::make_shared<QTemporaryDir>();
    if (!folder->isValid())
        throw OutputReadError(path + " could not be converted for viewing: " + folder->errorString().toStdString());
    const std::string beside = outputFileName(path, options.level, OutputForm::Text);
    file->conversion.outputPath =
        folder->filePath(QString::fromStdString(beside.substr(fileNameStart(beside)))).toStdString();
    if (!ConversionDriver::convertPrepared(*file).written())
        throw OutputReadError(frontEnd.refusal(path));
    return {file->conversion.outputPath, folder};
}

} // namespace

ViewerInput viewerInputFor(const std::string& path, const RecordingOptions& options)
{
    if (!identifiesAsDataFile(path.c_str()))
        return {path, {}};
    try {
        return convertRecording(path, options);
    } catch (const CalFileOpenError& error) {
        throw OutputReadError(path + " could not be converted for viewing: " + error.what());
    }
}
