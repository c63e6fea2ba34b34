#include "conversion/netcdf/pixel_set_variables.h"

#include "conversion/netcdf/nc_file.h"
#include "conversion/netcdf/variable_names.h"
#include "core/pixel_count.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string>
#include <vector>

namespace {

// A chunk of the values holds about this many bytes: large enough to
// deflate well, small enough that the gathered block keeps memory flat.
constexpr std::size_t CHUNK_BYTES = 256 * 1024;

int defineVariable(DatasetSink& file, const std::string& name, ValueType type, int dimension)
{
    return file.defineVariable(name, type, {dimension});
}

// What the level made of the values: a long name and units (empty when
// not known).
struct LevelText {
    std::string longName;
    std::string units;
};

LevelText levelText(const ValuesMeaning& m)
{
    switch (m.level) {
    case 0: return {"raw counts", "count"};
    case 1: return {"pixel adjusted counts", "count"};
    case 2: return {"dark adjusted counts", "count"};
    case 3: return {"dark adjusted, linearized counts per unit of integration time", ""};
    default: break;
    }
    const ChannelCal* cal = m.calibration->channelCal(m.channel);
    if (!cal)
        return {"calibrated values", ""};
    return {std::string("calibrated ") + cal->name, cal->units};
}

void describeValues(DatasetSink& file, int values, int number, const ValuesMeaning& m)
{
    const LevelText text = levelText(m);
    putTextAttribute(file, values, "long_name", text.longName);
    const ChannelCal* cal = m.calibration->channelCal(m.channel);
    if (m.level == 4 && cal)
        if (const char* standardName = standardNameOf(cal->name))
            putTextAttribute(file, values, "standard_name", standardName);
    if (!text.units.empty())
        putTextAttribute(file, values, "units", text.units);
    else
        putTextAttribute(file, values, "comment",
                         "Units unknown: the instrument's data files do not state the integration time's unit.");
    putIntAttribute(file, values, "processing_level", m.level);
    putIntAttribute(file, values, "pixel_set", number);
    const float fill = std::numeric_limits<float>::quiet_NaN();
    file.putAttribute(values, "_FillValue", fill);
}

int defineValues(DatasetSink& file, const std::string& name, const std::vector<int>& dimensions, std::size_t blockRows,
                 std::size_t count)
{
    const int values = file.defineVariable(name, ValueType::Float, dimensions);
    // Two chunks of cache: one being filled, one being written out.
    file.storeInChunks(values, {blockRows, count}, 2 * blockRows * count * sizeof(float));
    return values;
}

// The coefficient as the calibration holds it: the shortest text that reads back as the same float.
std::string coefficientText(float c)
{
    std::array<char, 32> text{};
    return {text.data(), std::to_chars(text.data(), text.data() + text.size(), c).ptr};
}

// How CalTable::pixelWavelength computes each wavelength, with the numbers it uses.
std::string polynomialComment(const float c[3])
{
    return "From the calibration's polynomial in the pixel number p: c0 + c1*p + c2*p^2 nm, c0 = " +
           coefficientText(c[0]) + ", c1 = " + coefficientText(c[1]) + ", c2 = " + coefficientText(c[2]) + ".";
}

int defineWavelength(DatasetSink& file, const std::string& name, int dimension, const ChannelCal& cal)
{
    const int wavelength = defineVariable(file, name, ValueType::Double, dimension);
    putTextAttribute(file, wavelength, "standard_name", "radiation_wavelength");
    putTextAttribute(file, wavelength, "long_name", "wavelength");
    putTextAttribute(file, wavelength, "units", "nm");
    putTextAttribute(file, wavelength, "comment", polynomialComment(cal.waveCoefs));
    const float* c = cal.waveCoefs;
    const double coefficients[3] = {c[0], c[1], c[2]};
    putDoublesAttribute(file, wavelength, "polynomial_coefficients", coefficients, 3);
    return wavelength;
}

int definePixelNumbers(DatasetSink& file, const std::string& name, int dimension)
{
    const int pixelNumbers = defineVariable(file, name, ValueType::Short, dimension);
    putTextAttribute(file, pixelNumbers, "long_name", "detector pixel number");
    putTextAttribute(file, pixelNumbers, "units", "1");
    return pixelNumbers;
}

std::vector<short> pixelNumbers(const SpectrumRecord& record, std::size_t count)
{
    std::vector<short> numbers(count);
    for (std::size_t k = 0; k < count; ++k)
        numbers[k] = pixelNumber(record.firstPix, record.pixInc, static_cast<int>(k));
    return numbers;
}

// The positions whose pixel the calibration gives no value for, as the
// adjustment step leaves them.
std::vector<std::size_t> uncalibratedPositions(const std::vector<short>& numbers, const CalSlot& slot)
{
    std::vector<std::size_t> positions;
    for (std::size_t k = 0; k < numbers.size(); ++k)
        if (numbers[k] > slot.cal->lastCalPix || !slot.pixelEntry(numbers[k]))
            positions.push_back(k);
    return positions;
}

void writeCoordinates(DatasetSink& file, int pixelVariable, int wavelengthVariable, const std::vector<short>& numbers,
                      const ValuesMeaning& m)
{
    const std::size_t count = numbers.size();
    file.write(pixelVariable, 0, count, numbers.data());
    if (wavelengthVariable < 0)
        return;
    std::vector<double> nanometres(count);
    for (std::size_t k = 0; k < count; ++k)
        nanometres[k] = m.calibration->pixelWavelength(m.channel, numbers[k]);
    file.write(wavelengthVariable, 0, count, nanometres.data());
}

} // namespace

PixelSetVariables definePixelSet(DatasetSink& file, int number, const SpectrumRecord& record, const ValuesMeaning& m,
                                 int spectrumDimension)
{
    PixelSetVariables set;
    set.firstPix = record.firstPix;
    set.pixInc = record.pixInc;
    set.numPix = record.numPix;
    const auto count = static_cast<std::size_t>(storedPixelCount(record));
    set.valueCount = count;
    if (count == 0) // a dimension of length 0 would be unlimited
        return set;
    set.blockRows = std::clamp<std::size_t>(CHUNK_BYTES / (count * sizeof(float)), 1, 4096);
    const bool known = m.calibration->slotLoaded(m.channel);
    const std::vector<short> numbers = pixelNumbers(record, count);
    if (known)
        set.uncalibrated = uncalibratedPositions(numbers, (*m.calibration)[m.channel]);
    file.beginDefinitions();
    // The dimension and its coordinate share their name, as CF tools expect.
    const std::string axis = numbered(known ? "wavelength" : "pixel", number);
    const int dimension = file.defineDimension(axis, count);
    const int wavelengths = known ? defineWavelength(file, axis, dimension, *(*m.calibration)[m.channel].cal) : -1;
    const std::string pixelName = known ? numbered(m.name + "_pixel_number", number) : axis;
    const int pixels = definePixelNumbers(file, pixelName, dimension);
    set.values = defineValues(file, numbered(m.name, number), {spectrumDimension, dimension}, set.blockRows, count);
    describeValues(file, set.values, number, m);
    // Beside the wavelengths the pixel numbers are an auxiliary coordinate, so
    // that tools keep them along the wavelength alone instead of along time.
    if (known)
        putTextAttribute(file, set.values, "coordinates", pixelName);
    file.endDefinitions();
    writeCoordinates(file, pixels, wavelengths, numbers, m);
    return set;
}
