#include "conversion/netcdf/pixel_set_variables.h"

#include "calibration/cal_table.h"
#include "conversion/netcdf/nc_file.h"
#include "core/pixel_count.h"

#include "conversion/netcdf/nc_library.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// A chunk of `values` holds about this many bytes: large enough to deflate
// well, small enough that the gathered block keeps memory flat.
constexpr std::size_t CHUNK_BYTES = 256 * 1024;

std::string numbered(const char* name, int number)
{
    return number == 1 ? std::string(name) : std::string(name) + "_" + std::to_string(number);
}

int defineVariable(int file, const std::string& name, nc_type type, int dimensions, const int* ids)
{
    int id = -1;
    ncCheck(ncLibrary().nc_def_var(file, name.c_str(), type, dimensions, ids, &id), name.c_str());
    return id;
}

// What the level made of the values: its long name and units (empty when
// not known) and a comment.
struct LevelMeaning {
    std::string longName;
    std::string units;
};

LevelMeaning levelMeaning(int level, const CalTable& calibration, int channel)
{
    switch (level) {
    case 0: return {"raw counts", "count"};
    case 1: return {"pixel adjusted counts", "count"};
    case 2: return {"dark adjusted counts", "count"};
    case 3: return {"dark adjusted, linearized counts per unit of integration time", ""};
    default: break;
    }
    const ChannelCal* cal = calibration.channelCal(channel);
    if (!cal)
        return {"calibrated values", ""};
    return {std::string("calibrated ") + cal->name, cal->units};
}

void describeValues(int file, int values, int level, const CalTable& calibration, int channel,
                    const std::string& coordinates)
{
    const LevelMeaning meaning = levelMeaning(level, calibration, channel);
    putTextAttribute(file, values, "long_name", meaning.longName);
    if (!meaning.units.empty())
        putTextAttribute(file, values, "units", meaning.units);
    else
        putTextAttribute(file, values, "comment",
                         "Units unknown: the instrument's data files do not state the integration time's unit.");
    putIntAttribute(file, values, "processing_level", level);
    putTextAttribute(file, values, "coordinates", coordinates);
    const float fill = std::numeric_limits<float>::quiet_NaN();
    ncCheck(ncLibrary().nc_put_att_float(file, values, "_FillValue", NC_FLOAT, 1, &fill), "_FillValue");
}

int defineValues(int file, int number, const int dimensions[2], std::size_t blockRows, std::size_t count)
{
    const int values = defineVariable(file, numbered("values", number), NC_FLOAT, 2, dimensions);
    const std::size_t chunk[2] = {blockRows, count};
    storeCompressed(file, values, chunk);
    // Two chunks of cache: one being filled, one being written out.
    ncCheck(ncLibrary().nc_set_var_chunk_cache(file, values, 2 * blockRows * count * sizeof(float), 7, 1.0f),
            "chunk cache");
    return values;
}

void writePixels(int file, int pixelNumbers, int wavelengths, const SpectrumRecord& record, const CalTable& calibration,
                 int channel)
{
    const auto count = static_cast<std::size_t>(storedPixelCount(record));
    std::vector<short> numbers(count);
    std::vector<double> nanometres(count);
    for (std::size_t k = 0; k < count; ++k) {
        numbers[k] = pixelNumber(record.firstPix, record.pixInc, static_cast<int>(k));
        if (wavelengths >= 0)
            nanometres[k] = calibration.pixelWavelength(channel, numbers[k]);
    }
    const std::size_t start = 0;
    ncCheck(ncLibrary().nc_put_vara_short(file, pixelNumbers, &start, &count, numbers.data()), "pixel_number");
    if (wavelengths >= 0)
        ncCheck(ncLibrary().nc_put_vara_double(file, wavelengths, &start, &count, nanometres.data()), "wavelength");
}

int defineWavelength(int file, int number, int pixelDimension, const ChannelCal& cal)
{
    const int wavelength = defineVariable(file, numbered("wavelength", number), NC_DOUBLE, 1, &pixelDimension);
    putTextAttribute(file, wavelength, "standard_name", "radiation_wavelength");
    putTextAttribute(file, wavelength, "long_name", "wavelength from the calibration's polynomial");
    putTextAttribute(file, wavelength, "units", "nm");
    const float* c = cal.waveCoefs;
    const double coefficients[3] = {c[0], c[1], c[2]};
    putDoublesAttribute(file, wavelength, "polynomial_coefficients", coefficients, 3);
    return wavelength;
}

} // namespace

PixelSetVariables definePixelSet(int file, int number, const SpectrumRecord& record, const CalTable& calibration,
                                 int channel, int level, int spectrumDimension)
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
    ncCheck(ncLibrary().nc_redef(file), "defining a pixel set");
    int pixel = -1;
    ncCheck(ncLibrary().nc_def_dim(file, numbered("pixel", number).c_str(), count, &pixel), "pixel dimension");
    const int pixelNumbers = defineVariable(file, numbered("pixel_number", number), NC_SHORT, 1, &pixel);
    putTextAttribute(file, pixelNumbers, "long_name", "detector pixel number");
    putTextAttribute(file, pixelNumbers, "units", "1");
    const bool known = calibration.slotLoaded(channel);
    const int wavelengths = known ? defineWavelength(file, number, pixel, *calibration[channel].cal) : -1;
    const int dimensions[2] = {spectrumDimension, pixel};
    set.values = defineValues(file, number, dimensions, set.blockRows, count);
    const std::string coordinates =
        numbered("pixel_number", number) + (known ? " " + numbered("wavelength", number) : std::string());
    describeValues(file, set.values, level, calibration, channel, coordinates);
    ncCheck(ncLibrary().nc_enddef(file), "defining a pixel set");
    writePixels(file, pixelNumbers, wavelengths, record, calibration, channel);
    return set;
}
