#include "calibration/cal_file.h"
#include "calibration/cal_table.h"
#include "calibration/cal_text.h"

#include <cstdio>
#include <ctime>
#include <iterator>
#include <optional>
#include <string>

namespace {

// Section-name patterns; the leading X stands for the channel letter.
constexpr const char* WAVE_SECTION = "X WAVE";
constexpr const char* CHANNEL_SECTION = "X";
constexpr const char* NL_SECTION = "X NLTABLE";
constexpr const char* TIME_SECTION = "X TIME";
constexpr const char* SECTION_PATTERNS[] = {WAVE_SECTION, CHANNEL_SECTION, NL_SECTION, TIME_SECTION};

// Numbers a line does not supply stay at these values.
constexpr float MISSING_IMMERSION = 1.0f;

// Local time of day as a fraction of a day.
double timeOfDay()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    const double seconds =
        local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(now.tv_nsec) / 1e9;
    return seconds / 86400.0;
}

std::string sectionName(const char* pattern, char letter)
{
    std::string name = pattern;
    name[0] = letter;
    return name;
}

int readInt(const std::string& line)
{
    int value = 0;
    std::sscanf(line.c_str(), "%d", &value);
    return value;
}

float readFloat(const std::string& line)
{
    float value = 0.0f;
    std::sscanf(line.c_str(), "%f", &value);
    return value;
}

void readRange(const std::string& line, int16_t& first, int16_t& last)
{
    int a = 0;
    int b = 0;
    std::sscanf(line.c_str(), "%d,%d", &a, &b);
    first = static_cast<int16_t>(a);
    last = static_cast<int16_t>(b);
}

// The section's line at position, or the next one when that is blank; s
// counts the blank lines passed.
const std::string& lineSkippingBlank(const TCalFile& file, const std::string& section, int position, int& s)
{
    const std::string& line = file.SectionLine(section, position);
    if (!line.empty())
        return line;
    ++s;
    return file.SectionLine(section, position + 1);
}

bool startsNumber(const std::string& line)
{
    return !line.empty() && std::string("+-.0123456789").find(line[0]) != std::string::npos;
}

class ChannelLoader {
public:
    ChannelLoader(const TCalFile& file, char letter, bool ignoreImmersion, const Log& log)
        : file_(file), log_(log), letter_(letter), ignoreImmersion_(ignoreImmersion),
          channel_(sectionName(CHANNEL_SECTION, letter))
    {}

    // Builds the slot from scratch: every record starts at zero, so a number
    // a line does not supply stays 0.
    CalSlot load()
    {
        slot_.cal = std::make_unique<ChannelCal>();
        readIdentification();
        readWaveCoefs();
        readChannelHeader();
        readPixelLines();
        readNLTable();
        readIntTimeCals();
        return std::move(slot_);
    }

private:
    void readIdentification()
    {
        readToken(file_.SectionLine("ID", 0), cal().serial);
        log_.debug("Serial number: %s\n", cal().serial);
    }

    void readWaveCoefs()
    {
        const std::string wave = sectionName(WAVE_SECTION, letter_);
        float* c = cal().waveCoefs;
        for (int m = 0; m < 3; ++m)
            c[m] = readFloat(file_.SectionLine(wave, m));
        log_.debug("Calibration Coefficients: %f, %f, %f.\n", c[0], c[1], c[2]);
    }

    void readChannelHeader()
    {
        ChannelCal& c = cal();
        readToken(file_.SectionLine(channel_, 0), c.name);
        log_.debug("Channel name:%s\n", c.name);
        readToken(file_.SectionLine(channel_, 1), c.units);
        log_.debug("Units: %s\n", c.units);
        std::sscanf(file_.SectionLine(channel_, 2).c_str(), "%f\n", &c.calScale);
        log_.debug("Scale: %f\n", c.calScale);
        readRange(file_.SectionLine(channel_, 3), c.DoFirstPix, c.DoLastPix);
        log_.debug("DoFirstPix: %d DoLastPix: %d\n", c.DoFirstPix, c.DoLastPix);
        readRange(file_.SectionLine(channel_, 4), c.DtFirstPix, c.DtLastPix);
        log_.debug("DtFirstPix: %d DtLastPix: %d\n", c.DtFirstPix, c.DtLastPix);
        c.firstCalPix = static_cast<int16_t>(readInt(file_.SectionLine(channel_, 5)));
        log_.debug("firstCalPix: %d\n", c.firstCalPix);
    }

    void readPixelLines()
    {
        ChannelCal& c = cal();
        // One pixel per line position after the six header lines, interior
        // blank lines included; the blank ones are taken off afterwards.
        c.lastCalPix = static_cast<int16_t>(file_.SectionLineCount(channel_) + c.firstCalPix - 7);
        const int count = c.lastCalPix - c.firstCalPix + 1;
        if (count > 0) {
            slot_.pixelCals = std::make_unique<PixelCal[]>(static_cast<std::size_t>(count));
            slot_.pixelCalCount = count;
        }
        int p = c.firstCalPix;
        int s = 0;
        // p - firstCalPix stays below count: p + s <= lastCalPix and s >= 0.
        while (p + s <= c.lastCalPix) {
            readPixelLine(lineSkippingBlank(file_, channel_, p + s - c.firstCalPix + 6, s),
                          slot_.pixelCals[static_cast<std::size_t>(p - c.firstCalPix)]);
            if (p % 100 == 99)
                log_.debug(".");
            ++p;
        }
        log_.debug("%d\n", p - 1);
        c.lastCalPix = static_cast<int16_t>(c.lastCalPix - s);
        log_.debug("lastCalPix: %d\n", c.lastCalPix);
    }

    void readPixelLine(const std::string& line, PixelCal& entry)
    {
        int code = 0;
        float coefficient = 0.0f;
        float immersion = MISSING_IMMERSION;
        std::sscanf(line.c_str(), "%d,%f,%f,%f", &code, &entry.darkWeight, &coefficient, &immersion);
        if (ignoreImmersion_)
            immersion = 1.0f;
        entry.adjustCode = static_cast<int16_t>(code);
        entry.calCoef = static_cast<float>((double{immersion} * cal().calScale) * coefficient);
    }

    void readNLTable()
    {
        const std::string section = sectionName(NL_SECTION, letter_);
        NLTable& nl = slot_.nl;
        readRange(file_.SectionLine(section, 0), nl.start, nl.step);
        nl.count = static_cast<int16_t>(file_.SectionLineCount(section) - 1);
        if (nl.count > 0)
            nl.values = std::make_unique<float[]>(static_cast<std::size_t>(nl.count));
        int k = 0;
        int s = 0;
        while (k + s < nl.count) {
            nl.values[static_cast<std::size_t>(k)] = readFloat(lineSkippingBlank(file_, section, k + s + 1, s));
            ++k;
        }
        nl.count = static_cast<int16_t>(nl.count - s);
        nl.max = static_cast<int16_t>(nl.start + nl.step * nl.count - nl.step / 2);
        log_.debug("lin array read.\n");
    }

    void readIntTimeCals()
    {
        const std::string section = sectionName(TIME_SECTION, letter_);
        float* i = slot_.intTimeCals.i;
        const int32_t lines = file_.SectionLineCount(section);
        // Elements from the first line that is not a number on stay 0.
        for (int m = 0; m < lines && m < 6; ++m) {
            const std::string& line = file_.SectionLine(section, m);
            if (!startsNumber(line))
                break;
            i[m] = readFloat(line);
            log_.debug("intTimeCals.i[%d] = %.5g\n", m, i[m]);
        }
        log_.debug("Int time cal read.\n");
    }

    ChannelCal& cal() { return *slot_.cal; }

    const TCalFile& file_;
    const Log& log_;
    const char letter_;
    const bool ignoreImmersion_;
    const std::string channel_;
    CalSlot slot_;
};

int countSections(const TCalFile& file, char letter, const Log& log)
{
    int found = 0;
    for (const char* pattern : SECTION_PATTERNS) {
        const std::string name = sectionName(pattern, letter);
        if (file.HasSection(name)) {
            ++found;
            log.debug("Data found for %s.\n", name.c_str());
        } else {
            log.debug("No data found for %s.\n", name.c_str());
        }
    }
    return found;
}

// The number of channels that became usable.
int loadChannels(CalTable& table, const TCalFile& file, bool ignoreImmersion, const Log& log)
{
    constexpr int allSections = std::size(SECTION_PATTERNS);
    int loaded = 0;
    for (int c = 0; c < MAX_CHANNELS; ++c) {
        const char letter = static_cast<char>('A' + c);
        const int found = countSections(file, letter, log);
        if (found == allSections) {
            table[c] = ChannelLoader(file, letter, ignoreImmersion, log).load();
            const ChannelCal& cal = *table[c].cal;
            log.message("Serial# %s, Channel %c, %s calibration loaded.\n", cal.serial, letter, cal.name);
            loaded += table.slotLoaded(c) ? 1 : 0;
        } else if (found > 0) {
            log.error("ERROR: incomplete calibration data found; skipping channel %c\n", letter);
        }
    }
    return loaded;
}

} // namespace

int16_t loadCalFile(CalTable& table, const char* fileName, bool ignoreImmersion, const Log& log)
{
    std::optional<TCalFile> file;
    file.emplace(fileName, log);
    const double start = timeOfDay();
    const int loaded = loadChannels(table, *file, ignoreImmersion, log);
    file.reset(); // ends the hold on the file; the reported time includes it
    log.message("Calibration load took %lf seconds\n", (timeOfDay() - start) * 86400.0);
    // A file without one usable channel is no calibration file: most likely
    // a data file or some other file chosen by mistake.
    if (loaded == 0) {
        log.error("No channel calibration found in %s\n", fileName);
        return 1;
    }
    return 0;
}
