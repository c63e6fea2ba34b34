#include "damaged_text.h"

#include "fuzz_support.h"

#include <array>
#include <vector>

namespace {

// Lines that start like a number but not like a spectrum.
constexpr std::array<const char*, 6> JUNK = {"123", "-", ".", "2020-01-01 12:00 power glitch", "-7.5,1,2", "0x1F"};

// A format 2 line. The fixed header values and a time beyond any pixel count
// keep a cut line that reads on into this one from ever fitting it exactly:
// the field that would become its pixel count cannot match what is left.
std::string spectrumLine(int time, int numPix, ByteSource& bytes)
{
    std::string line = std::to_string(time) + ",12.46,11.2,3.456,0,1,1,0,0,100,0,1," + std::to_string(numPix);
    for (int k = 0; k < numPix; ++k)
        line += "," + std::to_string(bytes.take() * 37 % 10007);
    return line;
}

// The line cut short, at least its last value gone (a cut inside the last
// value leaves a whole spectrum): at any character, or right after a comma.
std::string cutLine(const std::string& line, unsigned where, bool afterComma)
{
    std::vector<std::size_t> commas;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == ',')
            commas.push_back(i);
    if (afterComma)
        return line.substr(0, commas[where % commas.size()] + 1);
    return line.substr(0, 1 + where % commas.back());
}

} // namespace

DamagedText buildDamagedText(const uint8_t* data, std::size_t size)
{
    ByteSource bytes(data, size);
    const int numPix = 1 + static_cast<int>(bytes.take() % 16);
    const char* lineEnd = bytes.take() % 2 != 0 ? "\n" : "\r\n";
    DamagedText text;
    text.clean = text.damaged = std::string("Tidelume Radiometer: TDL0001") + lineEnd + "Channel 1" + lineEnd;
    std::string lastGood = spectrumLine(9999, numPix, bytes);
    int spectra = 0;
    // The file's layout is judged on its first spectrum line, which a cut
    // line would misjudge: the data start with a whole spectrum.
    bool wholeNext = true;
    while (!bytes.empty()) {
        const unsigned kind = bytes.take() % 9;
        // A line cut after a comma reads on into the next line; a bare number
        // or another cut line there would make it a spectrum legally
        // continued, which no reader can tell. A whole spectrum follows it.
        if (kind < 4 || wholeNext) {
            lastGood = spectrumLine(10000 + spectra++, numPix, bytes);
            text.clean += lastGood + lineEnd;
            text.damaged += lastGood + lineEnd;
            wholeNext = false;
        } else if (kind == 4) {
            text.damaged += std::string(JUNK[bytes.take() % JUNK.size()]) + lineEnd;
        } else if (kind == 8) {
            // The first of two lines run together is lost; the second too
            // when its time was glued to the first one's last value.
            const std::string first = spectrumLine(10000 + spectra++, numPix, bytes);
            const bool glued = bytes.take() % 2 != 0;
            lastGood = spectrumLine(10000 + spectra++, numPix, bytes);
            text.damaged += first + (glued ? "" : ",") + lastGood + lineEnd;
            if (!glued)
                text.clean += lastGood + lineEnd;
            text.lost += glued ? 2 : 1;
        } else {
            const std::string cut = cutLine(lastGood, bytes.take(), kind == 5);
            text.damaged += cut + lineEnd;
            if (cut.find(',') != std::string::npos) // else a bare number: no spectrum
                ++text.lost;
            wholeNext = cut.back() == ',';
        }
    }
    return text;
}
