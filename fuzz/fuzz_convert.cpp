// A whole conversion from arbitrary inputs: the first byte picks the options,
// the next two the length of the calibration file, and the rest is the data
// file. A conversion that fails leaves no output; one that succeeds, even in
// part, leaves an output of the right shape.
// With the first byte's top bit set, the rest describes good text spectra
// with damage between them instead: the damaged file must give the output of
// the good spectra alone, and report exactly the spectra that cut lines and
// lines run together lost.

#include "calibration/cal_table.h"
#include "core/identify.h"
#include "conversion/processing.h"
#include "conversion/default_context.h"
#include "damaged_text.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string logged;

void keepText(const char* text)
{
    logged += text;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (auto at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

int storedCount(long numPix)
{
    return static_cast<int>(std::clamp<long>(numPix, 0, MAX_PIXELS));
}

// Records of 48 bytes, each followed by its values, up to the last byte.
void checkBinary(const std::string& bytes)
{
    std::size_t position = 0;
    while (position < bytes.size()) {
        check(bytes.size() - position >= 48);
        const auto low = static_cast<unsigned char>(bytes[position + 46]);
        const auto high = static_cast<unsigned char>(bytes[position + 47]);
        const auto numPix = static_cast<int16_t>(low | high << 8);
        position += 48 + 4 * static_cast<std::size_t>(storedCount(numPix));
    }
    check(position == bytes.size());
}

// The pixel set a row names: its firstPix, pixInc and numPix fields.
std::vector<std::string> pixelSetOf(const std::vector<std::string>& fields)
{
    return {fields.begin() + 10, fields.begin() + 13};
}

// Every row has 13 fields and its own values; with one pixel set throughout
// (as the rows themselves name it) every row also has the column header's
// field count. False when the rows name more than one pixel set.
bool checkRows(const std::vector<std::string>& lines)
{
    const std::size_t headerFields = split(lines[4], ",").size();
    std::vector<std::string> firstSet;
    bool onePixelSet = true;
    std::vector<std::size_t> widths;
    for (std::size_t i = 5; i + 1 < lines.size(); ++i) {
        const std::vector<std::string> fields = split(lines[i], ",");
        check(fields.size() >= 13);
        check(fields.size() ==
              13 + static_cast<std::size_t>(storedCount(std::strtol(fields[12].c_str(), nullptr, 10))));
        if (firstSet.empty())
            firstSet = pixelSetOf(fields);
        onePixelSet = onePixelSet && pixelSetOf(fields) == firstSet;
        widths.push_back(fields.size());
    }
    if (onePixelSet)
        for (const std::size_t width : widths)
            check(width == headerFields);
    return onePixelSet;
}

// Thirteen label rows and one per value, all of one width.
void checkTable(const std::vector<std::string>& lines)
{
    check(lines.size() >= 4 + 13 + 1);
    const std::size_t width = split(lines[4], ",").size();
    for (std::size_t i = 4; i + 1 < lines.size(); ++i)
        check(split(lines[i], ",").size() == width);
}

// Told from the output alone, never from the log, whose text the data can
// write: a table asked for comes as rows only when the rows change their
// pixel set.
void checkText(const std::string& text, bool transposeAsked)
{
    const std::vector<std::string> lines = split(text, "\r\n");
    check(lines.size() >= 6 && lines.back().empty());
    if (transposeAsked && !lines[4].starts_with("Time,temp,")) {
        checkTable(lines);
        return;
    }
    const bool onePixelSet = checkRows(lines);
    check(!transposeAsked || !onePixelSet);
}

// How many spectra the log says were skipped as damaged: the total, or the
// last spectrum cut short when that was the only one. Only lines that start
// with the input's own path count: the data cannot write those.
int reportedLosses(const std::string& input)
{
    const std::string named = "\n" + input + ": ";
    const std::string text = "\n" + logged;
    if (text.find(named + "1 damaged spectrum was skipped\n") != std::string::npos)
        return 1;
    const auto start = text.find(named);
    for (auto at = start; at != std::string::npos; at = text.find(named, at + 1)) {
        const char* count = text.c_str() + at + named.size();
        char* end = nullptr;
        const long number = std::strtol(count, &end, 10);
        if (end != count && std::string_view(end).starts_with(" damaged spectra were skipped\n"))
            return static_cast<int>(number);
    }
    return text.find(named + "last spectrum cut short at byte ") != std::string::npos ? 1 : 0;
}

// Converts one text at level 0 (no calibration needed); the result, the
// output ("" when none) and the log.
int convertText(const ScratchFolder& folder, const std::string& text, int transpose, std::string& output)
{
    const std::string input = folder.write("D.ASC", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const std::string outputPath = folder.file("D.RAW");
    std::filesystem::remove(outputPath);
    freeCals();
    std::strcpy(dataSerial, "TDL0001");
    chanIndex = 0;
    logged.clear();
    const int result = calibrateFile(input.c_str(), "C.CAL", 0, transpose, 0, ',', 0, keepText);
    output = std::filesystem::exists(outputPath) ? readWhole(outputPath) : "";
    return result;
}

void checkDamagedText(const ScratchFolder& folder, const uint8_t* data, std::size_t size, int transpose)
{
    const DamagedText text = buildDamagedText(data, size);
    std::string clean;
    const int cleanResult = convertText(folder, text.clean, transpose, clean);
    std::string damaged;
    const int result = convertText(folder, text.damaged, transpose, damaged);
    check(damaged == clean);
    if (cleanResult != 0) { // no good spectrum: nothing to write either way
        check(result == 1);
        return;
    }
    check(result == (text.lost == 0 ? 0 : SPECTRA_SKIPPED));
    check(reportedLosses(folder.file("D.ASC")) == text.lost);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const ScratchFolder folder;
    if (size < 3)
        return 0;
    silenceLog();
    logged.clear();
    if (data[0] & 0x80) {
        checkDamagedText(folder, data + 1, size - 1, data[0] >> 3 & 1);
        return 0;
    }
    const int level = data[0] % 5;
    const int transpose = data[0] >> 3 & 1;
    const int binary = data[0] >> 4 & 1;
    const std::size_t calSize = std::min(static_cast<std::size_t>(data[1] | data[2] << 8), size - 3);
    const std::string cal = folder.write("T.CAL", data + 3, calSize);
    const std::string input = folder.write("F.ASC", data + 3 + calSize, size - 3 - calSize);
    freeCals();
    loadCalFile(cal.c_str(), 1, 0, keepText);
    if (identifyDataFile(input.c_str()) == 0 || chanIndex < 0 || chanIndex >= MAX_CHANNELS)
        return 0;
    const std::string output =
        folder.file(binary ? (level == 0 ? "F.BRW" : "F.BDT") : (level == 0 ? "F.RAW" : "F.DAT"));
    std::filesystem::remove(output);
    const int result =
        calibrateFile(input.c_str(), cal.c_str(), static_cast<int8_t>(level), transpose, binary, ',', 1, keepText);
    const bool written = result == 0 || result == STOPPED_EARLY || result == SPECTRA_SKIPPED;
    check(std::filesystem::exists(output) == written);
    if (!written)
        return 0;
    if (binary)
        checkBinary(readWhole(output));
    else
        checkText(readWhole(output), transpose != 0);
    freeCals();
    return 0;
}
