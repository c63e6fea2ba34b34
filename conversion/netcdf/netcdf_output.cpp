#include "conversion/netcdf_output.h"

#include "conversion/memory_dataset.h"
#include "conversion/netcdf/file_attributes.h"
#include "conversion/netcdf/nc_file.h"
#include "conversion/netcdf/pixel_set_variables.h"
#include "conversion/netcdf/row_chunk.h"
#include "conversion/netcdf/variable_names.h"
#include "core/record_fields.h"

#include "conversion/netcdf/nc_library.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <string>
#include <vector>

namespace {

// Spectra per chunk of the per-spectrum variables.
constexpr std::size_t FIELD_CHUNK = 4096;

// More pixel sets than any real file has; each costs a dimension and three
// variables, so a file that keeps changing fails instead of growing without end.
constexpr int MAX_PIXEL_SETS = 64;

void putWithUnits(DatasetSink& file, int variable, const char* units, const char* longName, const char* comment)
{
    putTextAttribute(file, variable, "long_name", longName);
    if (units)
        putTextAttribute(file, variable, "units", units);
    if (comment)
        putTextAttribute(file, variable, "comment", comment);
}

ValueType valueType(BinaryType type)
{
    return type == BinaryType::Float32 ? ValueType::Float
           : type == BinaryType::Int32 ? ValueType::Int
                                       : ValueType::Short;
}

int defineSeries(DatasetSink& file, int timeDimension, const std::string& name, ValueType type)
{
    const int id = file.defineVariable(name, type, {timeDimension});
    file.storeInChunks(id, {FIELD_CHUNK}, 0);
    return id;
}

// The spectra's coordinate: the moment of each spectrum when the user gave
// the epoch and unit of the instrument's stamps, else the stamps themselves.
int defineTime(DatasetSink& file, int timeDimension, const TimeUnits& units)
{
    const int time = defineSeries(file, timeDimension, "time", units.given() ? ValueType::Double : ValueType::Int);
    if (!units.given()) {
        putWithUnits(file, time, nullptr, "time stamp recorded by the instrument",
                     "The instrument's data files state neither the unit nor the epoch of this time stamp.");
        return time;
    }
    putTextAttribute(file, time, "standard_name", "time");
    putTextAttribute(file, time, "long_name", "time of the spectrum");
    putTextAttribute(file, time, "units", cfTimeUnits(units));
    putTextAttribute(file, time, "calendar", "standard");
    putTextAttribute(file, time, "axis", "T");
    return time;
}

// The depth as the user knows it: with its unit it is CF's depth, positive downward.
void describeDepth(DatasetSink& file, int depth, const std::string& units)
{
    putTextAttribute(file, depth, "standard_name", "depth");
    putTextAttribute(file, depth, "long_name", "depth");
    putTextAttribute(file, depth, "units", units);
    putTextAttribute(file, depth, "positive", "down");
}

} // namespace

class NetcdfOutput::Writer {
public:
    // Writes into `file`, which it owns when `owned` holds it.
    Writer(DatasetSink& file, std::unique_ptr<DatasetSink> owned, const NetcdfProvenance& provenance)
        : owned_(std::move(owned)),
          file_(file), meaning_{dataVariableName(provenance.level, *provenance.calibration, provenance.channel),
                                provenance.level, provenance.calibration, provenance.channel},
          timeUnits_(provenance.metadata.time)
    {
        DatasetSink& id = file_;
        putFileAttributes(id, provenance);
        timeDimension_ = id.defineDimension("time", DatasetSink::UNLIMITED);
        time_ = defineTime(id, timeDimension_, timeUnits_);
        defineFields(provenance.metadata.depthUnits);
        pixelSet_ = defineSeries(id, timeDimension_, meaning_.name + "_pixel_set", ValueType::Short);
        const std::string explanation = "1: its values are in `" + meaning_.name + "`; n above 1: in `" +
                                        meaning_.name + "_n`. The other sets' variables hold fill values in its row.";
        putWithUnits(id, pixelSet_, "1", "pixel set of the spectrum", explanation.c_str());
        id.endDefinitions();
    }

    void append(const SpectrumRecord& record, const float* pixels)
    {
        const int set = pixelSetOf(record);
        if (set != block_.pixelSet() || block_.full()) {
            writeBlock();
            block_.start(set, sets_[set].valueCount, sets_[set].blockRows);
        }
        float* row = block_.add(record, pixels);
        // Adjusting zeroes what the calibration cannot give: no value, not a measured zero.
        if (record.process >= 1)
            for (const std::size_t k : sets_[set].uncalibrated)
                row[k] = std::numeric_limits<float>::quiet_NaN();
    }

    void finish()
    {
        writeBlock();
        if (timeUnits_.given() && written_ > 0) {
            file_.beginDefinitions();
            putTextAttribute(file_, DatasetSink::GLOBAL, "time_coverage_start", isoMoment(timeUnits_, firstStamp_));
            putTextAttribute(file_, DatasetSink::GLOBAL, "time_coverage_end", isoMoment(timeUnits_, lastStamp_));
            file_.endDefinitions();
        }
        file_.close();
    }

private:
    void defineFields(const std::string& depthUnits)
    {
        for (std::size_t f = 0; f < fieldVariables_.size(); ++f) {
            const FieldVariable& field = datasetFields()[f]->dataset;
            const int id = defineSeries(file_, timeDimension_, meaning_.name + "_" + field.name,
                                        valueType(datasetFields()[f]->type));
            fieldVariables_[f] = id;
            if (f == DEPTH_VARIABLE && !depthUnits.empty())
                describeDepth(file_, id, depthUnits);
            else
                putWithUnits(file_, id, field.units, field.longName, field.comment);
        }
    }

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
        sets_.push_back(definePixelSet(file_, number, record, meaning_, timeDimension_));
        return number - 1;
    }

    void writeBlock()
    {
        const std::size_t rows = block_.rows();
        if (rows == 0)
            return;
        const PixelSetVariables& set = sets_[block_.pixelSet()];
        if (set.values >= 0)
            file_.write(set.values, written_, rows, block_.values());
        for (std::size_t f = 0; f < fieldVariables_.size(); ++f)
            writeField(f, rows);
        writeTime(rows);
        const std::vector<short> numbers(rows, static_cast<short>(block_.pixelSet() + 1));
        file_.write(pixelSet_, written_, rows, numbers.data());
        written_ += rows;
        block_.start(-1, 0, 0);
    }

    // Real fields go as floats, so that an infinity stays one instead of
    // failing a conversion from double; integer fields fit their variables.
    void writeField(std::size_t f, std::size_t rows)
    {
        const std::vector<double>& column = block_.field(f);
        const int variable = fieldVariables_[f];
        if (datasetFields()[f]->type != BinaryType::Float32) {
            file_.write(variable, written_, rows, column.data());
            return;
        }
        const std::vector<float> reals(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(rows));
        file_.write(variable, written_, rows, reals.data());
    }

    void writeTime(std::size_t rows)
    {
        const std::vector<double>& stamps = block_.field(TIME_VARIABLE);
        if (written_ == 0)
            firstStamp_ = lastStamp_ = stamps[0];
        std::vector<double> times(stamps.begin(), stamps.begin() + static_cast<std::ptrdiff_t>(rows));
        for (double& t : times) {
            firstStamp_ = std::min(firstStamp_, t);
            lastStamp_ = std::max(lastStamp_, t);
            if (timeUnits_.given())
                t *= timeUnits_.secondsPerTick;
        }
        file_.write(time_, written_, rows, times.data());
    }

    std::unique_ptr<DatasetSink> owned_;
    DatasetSink& file_;
    ValuesMeaning meaning_;
    TimeUnits timeUnits_;
    int timeDimension_ = -1;
    int time_ = -1;
    int pixelSet_ = -1;
    std::array<int, RECORD_FIELDS> fieldVariables_{};
    std::vector<PixelSetVariables> sets_;
    SpectrumBlock block_;
    std::size_t written_ = 0; // spectra in the file
    double firstStamp_ = 0;   // the earliest and latest, for the time coverage
    double lastStamp_ = 0;
};
NetcdfOutput::NetcdfOutput() = default;
NetcdfOutput::~NetcdfOutput()
{
    const std::unique_lock lock = libraryLock();
    writer_.reset();
}

// The library (HDF5 below it) serves one thread at a time; a dataset in
// memory needs no lock.
std::unique_lock<std::mutex> NetcdfOutput::libraryLock() const
{
    return inMemory_ ? std::unique_lock<std::mutex>() : std::unique_lock(ncLibraryLock());
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
    const std::unique_lock lock = libraryLock();
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
    inMemory_ = false;
    return guarded([&] {
        auto file = std::make_unique<NcFile>(path);
        DatasetSink& sink = *file;
        writer_ = std::make_unique<Writer>(sink, std::move(file), provenance);
    });
}

bool NetcdfOutput::createInMemory(MemoryDataset& dataset, const NetcdfProvenance& provenance)
{
    inMemory_ = true;
    return guarded([&] { writer_ = std::make_unique<Writer>(dataset, nullptr, provenance); });
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
