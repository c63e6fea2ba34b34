// The spectra of a NetCDF output, read back in blocks: one library call per
// variable and block rather than per spectrum, which would be slow in HDF5.

#include "core/record_fields.h"
#include "readback/output_source.h"

#include "conversion/netcdf/nc_file.h"
#include "conversion/netcdf/nc_library.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t BLOCK = 1024; // spectra read at once
constexpr int MAX_SETS = 1024;      // more than any writer makes; a damaged file may claim any number

// An open file, closed however the reader ends, a failed construction too.
struct OpenFile {
    int id = -1;
    OpenFile() = default;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile()
    {
        if (id >= 0)
            ncLibrary().nc_close(id);
    }
};

class NetcdfSpectra : public OutputSource {
public:
    NetcdfSpectra(const std::string& path, OutputHeader& header, std::vector<double>& wavelengths) : path_(path)
    {
        check(ncLibrary().nc_open(path.c_str(), NC_NOWRITE, &file_.id), "it cannot be opened as NetCDF");
        // Files of earlier versions named the spectra's dimension `spectrum`.
        int spectrumDimension = -1;
        if (ncLibrary().nc_inq_dimid(file_.id, "time", &spectrumDimension) != NC_NOERR)
            check(ncLibrary().nc_inq_dimid(file_.id, "spectrum", &spectrumDimension), "it has no time dimension");
        check(ncLibrary().nc_inq_dimlen(file_.id, spectrumDimension, &count_), "it has no time dimension");
        readHeader(header);
        findVariables();
        readWavelengths(wavelengths);
    }

    bool next(OutputSpectrum& spectrum) override
    {
        if (next_ >= count_)
            return false;
        if (next_ < blockStart_ || next_ >= blockStart_ + blockSize_)
            readBlock(next_);
        const std::size_t row = next_ - blockStart_;
        spectrum.record = SpectrumRecord{};
        spectrum.record.channel = static_cast<int16_t>(channel_);
        for (std::size_t f = 0; f < fields_.size(); ++f)
            recordFields()[f].store(spectrum.record, fields_[f][row]);
        const std::size_t set = static_cast<std::size_t>(sets_[row]);
        const std::size_t count = static_cast<std::size_t>(std::max<int>(0, spectrum.record.numPix));
        const bool hasValues = set <= valueIds_.size() && valueIds_[set - 1] >= 0;
        if (count > (hasValues ? pixels_[set - 1] : 0))
            fail("spectrum " + std::to_string(next_ + 1) + " has more values than its pixel set holds");
        spectrum.values.clear();
        if (hasValues) {
            const auto first = values_[set - 1].begin() + static_cast<std::ptrdiff_t>(row * pixels_[set - 1]);
            spectrum.values.assign(first, first + static_cast<std::ptrdiff_t>(count));
        }
        ++next_;
        return true;
    }

    std::int64_t position() const override { return static_cast<std::int64_t>(next_); }
    void seek(std::int64_t position) override { next_ = static_cast<std::size_t>(std::max<std::int64_t>(0, position)); }

private:
    [[noreturn]] void fail(const std::string& why) const { throw OutputReadError("Cannot read " + path_ + ": " + why); }

    void check(int status, const char* why) const
    {
        if (status != NC_NOERR)
            fail(std::string(why) + " (" + ncLibrary().nc_strerror(status) + ")");
    }

    std::string text(const char* name) const
    {
        std::size_t length = 0;
        if (ncLibrary().nc_inq_attlen(file_.id, NC_GLOBAL, name, &length) != NC_NOERR)
            return {};
        std::string value(length, '\0');
        check(ncLibrary().nc_get_att_text(file_.id, NC_GLOBAL, name, value.data()), name);
        return value;
    }

    void readHeader(OutputHeader& header)
    {
        header.serial = text("instrument_serial");
        header.programVersion = text("software_version");
        header.sourceFile = text("source_file");
        header.calibrationFile = text("calibration_file");
        header.channelName = text("calibration_channel_name");
        if (header.channelName.empty())
            header.channelName = text("channel_name");
        header.channelUnits = text("calibration_units");
        if (ncLibrary().nc_get_att_int(file_.id, NC_GLOBAL, "channel_index", &channel_) != NC_NOERR)
            channel_ = -1;
    }

    int variable(const std::string& name) const
    {
        int id = -1;
        check(ncLibrary().nc_inq_varid(file_.id, name.c_str(), &id), ("it has no variable " + name).c_str());
        return id;
    }

    // The number of the pixel set whose values a variable holds, or 0: its
    // `pixel_set` attribute, or in files of earlier versions its name
    // (values, values_2, ...).
    int pixelSetOf(int id, const std::string& name) const
    {
        if (const int set = labelledPixelSet(id))
            return set;
        if (name == "values")
            return 1;
        if (!name.starts_with("values_") || name.size() == 7 || name.size() > 10 ||
            name.find_first_not_of("0123456789", 7) != std::string::npos)
            return 0;
        return std::stoi(name.substr(7));
    }

    int labelledPixelSet(int id) const
    {
        int set = 0;
        return ncLibrary().nc_get_att_int(file_.id, id, "pixel_set", &set) == NC_NOERR ? set : 0;
    }

    // The values variable of each pixel set and its width; a set whose
    // spectra have no values has none. The per-spectrum variables carry the
    // first set's name as a prefix; earlier versions had none.
    void findVariables()
    {
        int variables = 0;
        check(ncLibrary().nc_inq_nvars(file_.id, &variables), "its variables cannot be listed");
        std::string prefix;
        for (int id = 0; id < variables; ++id) {
            char name[NC_MAX_NAME + 1] = {};
            check(ncLibrary().nc_inq_varname(file_.id, id, name), "its variables cannot be listed");
            const int set = pixelSetOf(id, name);
            if (set > 0 && set <= MAX_SETS)
                addValues(static_cast<std::size_t>(set), id, name);
            if (set == 1 && labelledPixelSet(id) == 1)
                prefix = std::string(name) + "_";
        }
        if (valueIds_.empty() || valueIds_.front() < 0)
            fail("it has no values variable");
        for (const RecordField& field : recordFields())
            fieldIds_.push_back(variable(prefix + field.dataset.name));
        setId_ = variable(prefix + "pixel_set");
        fields_.resize(fieldIds_.size());
        values_.resize(valueIds_.size());
    }

    void addValues(std::size_t set, int id, const std::string& name)
    {
        int rank = 0;
        check(ncLibrary().nc_inq_varndims(file_.id, id, &rank), name.c_str());
        if (rank != 2)
            fail(name + " is not a table of spectra");
        int dimensions[2] = {};
        check(ncLibrary().nc_inq_vardimid(file_.id, id, dimensions), name.c_str());
        if (valueIds_.size() < set) {
            valueIds_.resize(set, -1);
            pixels_.resize(set, 0);
        }
        valueIds_[set - 1] = id;
        check(ncLibrary().nc_inq_dimlen(file_.id, dimensions[1], &pixels_[set - 1]), name.c_str());
    }

    void readWavelengths(std::vector<double>& wavelengths) const
    {
        int id = -1;
        if (ncLibrary().nc_inq_varid(file_.id, "wavelength", &id) != NC_NOERR)
            return; // no calibration: the viewer plots against pixel numbers
        wavelengths.resize(pixels_.front());
        check(ncLibrary().nc_get_var_double(file_.id, id, wavelengths.data()), "wavelength");
    }

    void readBlock(std::size_t start)
    {
        blockStart_ = start;
        blockSize_ = std::min(BLOCK, count_ - start);
        for (std::size_t f = 0; f < fieldIds_.size(); ++f) {
            fields_[f].resize(blockSize_);
            check(ncLibrary().nc_get_vara_double(file_.id, fieldIds_[f], &start, &blockSize_, fields_[f].data()),
                  recordFields()[f].dataset.name);
        }
        sets_.resize(blockSize_);
        check(ncLibrary().nc_get_vara_int(file_.id, setId_, &start, &blockSize_, sets_.data()), "pixel_set");
        for (const int set : sets_)
            if (set < 1)
                fail("a spectrum names pixel set " + std::to_string(set));
        for (std::size_t s = 0; s < valueIds_.size(); ++s) {
            if (valueIds_[s] < 0)
                continue;
            const std::size_t origin[2] = {start, 0};
            const std::size_t extent[2] = {blockSize_, pixels_[s]};
            values_[s].resize(blockSize_ * pixels_[s]);
            check(ncLibrary().nc_get_vara_float(file_.id, valueIds_[s], origin, extent, values_[s].data()), "values");
        }
    }

    std::string path_;
    OpenFile file_;
    int channel_ = -1;
    std::size_t count_ = 0;
    std::size_t next_ = 0;
    std::vector<int> fieldIds_;
    int setId_ = -1;
    std::vector<int> valueIds_;
    std::vector<std::size_t> pixels_;
    std::size_t blockStart_ = 0, blockSize_ = 0;
    std::vector<std::vector<double>> fields_;
    std::vector<int> sets_;
    std::vector<std::vector<float>> values_;
};

} // namespace

std::unique_ptr<OutputSource> netcdfSpectra(const std::string& path, OutputHeader& header,
                                            std::vector<double>& wavelengths)
{
    try {
        return std::make_unique<NetcdfSpectra>(path, header, wavelengths);
    } catch (const NcError& unloadable) {
        throw OutputReadError("Cannot read " + path + ": " + unloadable.what());
    }
}
