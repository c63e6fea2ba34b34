#include "conversion/netcdf_output.h"

#include "conversion/netcdf/file_attributes.h"
#include "conversion/netcdf/nc_file.h"
#include "conversion/netcdf/pixel_set_variables.h"
#include "conversion/netcdf/row_chunk.h"
#include "conversion/netcdf/record_variables.h"

#include "conversion/netcdf/nc_library.h"

#include <array>
#include <cerrno>
#include <string>
#include <vector>

namespace {

// Spectra per chunk of the per-spectrum variables.
constexpr std::size_t FIELD_CHUNK = 4096;

// More pixel sets than any real file has; each costs a dimension and three
// variables, so a file that keeps changing fails instead of growing without end.
constexpr int MAX_PIXEL_SETS = 64;

void putWithUnits(int file, int variable, const char* units, const char* longName, const char* comment)
{
    putTextAttribute(file, variable, "long_name", longName);
    if (units)
        putTextAttribute(file, variable, "units", units);
    if (comment)
        putTextAttribute(file, variable, "comment", comment);
}

int defineSeries(int file, int spectrumDimension, const char* name, nc_type type)
{
    int id = -1;
    ncCheck(ncLibrary().nc_def_var(file, name, type, 1, &spectrumDimension, &id), name);
    storeCompressed(file, id, &FIELD_CHUNK);
    return id;
}

} // namespace

class NetcdfOutput::Writer {
public:
    Writer(const std::string& path, const NetcdfProvenance& provenance)
        : file_(path), calibration_(provenance.calibration), channel_(provenance.channel), level_(provenance.level)
    {
        const int id = file_.id();
        putFileAttributes(id, provenance);
        ncCheck(ncLibrary().nc_def_dim(id, "spectrum", NC_UNLIMITED, &spectrum_), "spectrum dimension");
        for (std::size_t f = 0; f < fieldVariables_.size(); ++f) {
            const SpectrumField& field = spectrumFields()[f];
            fieldVariables_[f] = defineSeries(id, spectrum_, field.name, field.real ? NC_FLOAT : field.integerType);
            putWithUnits(id, fieldVariables_[f], field.units, field.longName, field.comment);
        }
        pixelSet_ = defineSeries(id, spectrum_, "pixel_set", NC_SHORT);
        putWithUnits(id, pixelSet_, "1", "pixel set of the spectrum",
                     "1: its values are in `values`; n above 1: in `values_n`. The other sets' value variables "
                     "hold fill values in its row.");
        ncCheck(ncLibrary().nc_enddef(id), "defining the file");
    }

    void append(const SpectrumRecord& record, const float* pixels)
    {
        const int set = pixelSetOf(record);
        if (set != block_.pixelSet() || block_.full()) {
            writeBlock();
            block_.start(set, sets_[set].valueCount, sets_[set].blockRows);
        }
        block_.add(record, pixels);
    }

    void finish()
    {
        writeBlock();
        file_.close();
    }

private:
    // The index of the record's pixel set, defined now when it is new.
    int pixelSetOf(const SpectrumRecord& record)
    {
        if (block_.pixelSet() >= 0 && sets_[block_.pixelSet()].holds(record))
            return block_.pixelSet();
        for (std::size_t s = 0; s < sets_.size(); ++s)
            if (sets_[s].holds(record))
                return static_cast<int>(s);
        if (sets_.size() == MAX_PIXEL_SETS)
            throw NcError("more than " + std::to_string(MAX_PIXEL_SETS) + " pixel sets in one file", EFBIG);
        const int number = static_cast<int>(sets_.size()) + 1;
        sets_.push_back(definePixelSet(file_.id(), number, record, *calibration_, channel_, level_, spectrum_));
        return number - 1;
    }

    void writeBlock()
    {
        const std::size_t rows = block_.rows();
        if (rows == 0)
            return;
        const int id = file_.id();
        const PixelSetVariables& set = sets_[block_.pixelSet()];
        if (set.values >= 0) {
            const std::size_t start[2] = {written_, 0};
            const std::size_t count[2] = {rows, set.valueCount};
            ncCheck(ncLibrary().nc_put_vara_float(id, set.values, start, count, block_.values()), "values");
        }
        for (std::size_t f = 0; f < fieldVariables_.size(); ++f)
            writeField(f, rows);
        const std::vector<short> numbers(rows, static_cast<short>(block_.pixelSet() + 1));
        ncCheck(ncLibrary().nc_put_vara_short(id, pixelSet_, &written_, &rows, numbers.data()), "pixel_set");
        written_ += rows;
        block_.start(-1, 0, 0);
    }

    // Real fields go as floats, so that an infinity stays one instead of
    // failing a conversion from double; integer fields fit their variables.
    void writeField(std::size_t f, std::size_t rows)
    {
        const std::vector<double>& column = block_.field(f);
        const int variable = fieldVariables_[f];
        const char* name = spectrumFields()[f].name;
        if (!spectrumFields()[f].real) {
            ncCheck(ncLibrary().nc_put_vara_double(file_.id(), variable, &written_, &rows, column.data()), name);
            return;
        }
        const std::vector<float> reals(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(rows));
        ncCheck(ncLibrary().nc_put_vara_float(file_.id(), variable, &written_, &rows, reals.data()), name);
    }

    NcFile file_;
    const CalTable* calibration_;
    int channel_;
    int level_;
    int spectrum_ = -1;
    int pixelSet_ = -1;
    std::array<int, SPECTRUM_FIELD_COUNT> fieldVariables_{};
    std::vector<PixelSetVariables> sets_;
    SpectrumBlock block_;
    std::size_t written_ = 0; // spectra in the file
};

NetcdfOutput::NetcdfOutput() = default;
NetcdfOutput::~NetcdfOutput()
{
    const std::lock_guard lock(ncLibraryLock());
    writer_.reset();
}

bool NetcdfOutput::available()
{
    return true;
}

// Runs one step of the writer; a failure closes the file, whose contents
// are then of no use, and is kept.
template <class Step>
bool NetcdfOutput::guarded(Step step)
{
    const std::lock_guard lock(ncLibraryLock());
    errno = 0; // a failure inside HDF5 leaves its reason here
    try {
        step();
        return true;
    } catch (const NcError& error) {
        writer_.reset();
        return fail(error.what(), error.systemError());
    }
}

bool NetcdfOutput::create(const std::string& path, const NetcdfProvenance& provenance)
{
    return guarded([&] { writer_ = std::make_unique<Writer>(path, provenance); });
}

bool NetcdfOutput::append(const SpectrumRecord& record, const float* pixels)
{
    if (!writer_)
        return fail("the file is not open", EBADF);
    return guarded([&] { writer_->append(record, pixels); });
}

bool NetcdfOutput::finish()
{
    if (!writer_)
        return fail("the file is not open", EBADF);
    return guarded([&] {
        writer_->finish();
        writer_.reset();
    });
}
