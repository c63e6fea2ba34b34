#include "conversion/netcdf/file_attributes.h"

#include "calibration/cal_table.h"
#include "conversion/netcdf/nc_file.h"
#include "core/file_path.h"
#include "conversion/conversion_options.h"
#include "orvantis_version.h"


#include <filesystem>

namespace {

// The calibration file's modification time, empty when it cannot be read.
std::string modificationTime(const std::string& path)
{
    std::error_code error;
    const auto written = std::filesystem::last_write_time(pathFromUtf8(path), error);
    if (error)
        return {};
    return isoUtc(std::chrono::floor<std::chrono::milliseconds>(std::chrono::file_clock::to_sys(written)));
}

std::string history(const std::string& created, const std::string& command)
{
    return created + " " + (command.empty() ? std::string("Orvantis ") + ORVANTIS_VERSION : command);
}

void putCalibrationAttributes(DatasetSink& file, const NetcdfProvenance& p)
{
    putTextAttribute(file, DatasetSink::GLOBAL, "calibration_file", p.calFile);
    if (const std::string modified = modificationTime(p.calFile); !modified.empty())
        putTextAttribute(file, DatasetSink::GLOBAL, "calibration_file_modified", modified);
    const ChannelCal* cal = p.calibration ? p.calibration->channelCal(p.channel) : nullptr;
    if (!cal)
        return;
    putTextAttribute(file, DatasetSink::GLOBAL, "calibration_channel_name", cal->name);
    putTextAttribute(file, DatasetSink::GLOBAL, "calibration_units", cal->units);
}

// The file's name without its folders: where it was on the converting
// machine means nothing to whoever reads the output.
std::string fileNameOf(const std::string& path)
{
    return utf8FromPath(pathFromUtf8(path).filename());
}

} // namespace

std::string levelName(int level)
{
    const char* text = processLevelText(level);
    if (!text)
        return {};
    std::string name = text;
    const auto open = name.find('(');
    const auto close = name.rfind(')');
    return open == std::string::npos || close == std::string::npos ? name : name.substr(open + 1, close - open - 1);
}

void putFileAttributes(DatasetSink& file, const NetcdfProvenance& p)
{
    const std::string letter(1, p.channel >= 0 && p.channel < MAX_CHANNELS ? static_cast<char>('A' + p.channel) : '?');
    const std::string created = isoUtc(std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
    const std::string source = fileNameOf(p.sourceFile);
    putTextAttribute(file, DatasetSink::GLOBAL, "Conventions", "CF-1.8, ACDD-1.3");
    putTextAttribute(file, DatasetSink::GLOBAL, "title", "Tidelume #" + p.serial + " channel " + letter + " spectra");
    putTextAttribute(file, DatasetSink::GLOBAL, "summary",
                     "Spectra of channel " + letter + " of Tidelume hyperspectral radiometer #" + p.serial +
                         ", converted from " + source + " at processing level " + std::to_string(p.level) + " (" +
                         levelName(p.level) + ").");
    putTextAttribute(file, DatasetSink::GLOBAL, "keywords", "hyperspectral radiometry, spectra, Tidelume");
    putTextAttribute(file, DatasetSink::GLOBAL, "instrument", "Tidelume hyperspectral radiometer");
    putTextAttribute(file, DatasetSink::GLOBAL, "instrument_serial", p.serial);
    putTextAttribute(file, DatasetSink::GLOBAL, "channel_letter", letter);
    putIntAttribute(file, DatasetSink::GLOBAL, "channel_index", p.channel);
    const ChannelCal* cal = p.calibration ? p.calibration->channelCal(p.channel) : nullptr;
    putTextAttribute(file, DatasetSink::GLOBAL, "channel_name", cal ? std::string(cal->name) : p.channelName);
    putTextAttribute(file, DatasetSink::GLOBAL, "data_file_channel_name", p.channelName);
    putCalibrationAttributes(file, p);
    putTextAttribute(file, DatasetSink::GLOBAL, "source_file", source);
    // ACDD wants the level as text; the number stays on the spectra's variable.
    putTextAttribute(file, DatasetSink::GLOBAL, "processing_level", std::to_string(p.level) + " (" + levelName(p.level) + ")");
    putTextAttribute(file, DatasetSink::GLOBAL, "processing_level_text", levelName(p.level));
    putTextAttribute(file, DatasetSink::GLOBAL, "software_name", "Orvantis");
    putTextAttribute(file, DatasetSink::GLOBAL, "software_version", ORVANTIS_VERSION);
    putTextAttribute(file, DatasetSink::GLOBAL, "history", history(created, p.command));
    putTextAttribute(file, DatasetSink::GLOBAL, "date_created", created);
    // Last, so that what the user says wins over what the program guessed.
    for (const auto& [name, value] : p.metadata.attributes)
        putTextAttribute(file, DatasetSink::GLOBAL, name.c_str(), value);
}
