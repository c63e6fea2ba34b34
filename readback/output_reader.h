#pragma once
// Reads back the output files the converter writes: normal and transposed
// delimited text (.DAT, .RAW), binary records (.BDT, .BRW) and NetCDF
// (.nc, where the build has the NetCDF library). The form is
// told from the content, not the name. A file the converter cannot have
// written ends in an OutputReadError naming the file and the place.

#include "core/spectrum_record.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class OutputReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class OutputLayout { Normal, Transposed, Binary, NetCdf };

// The four header lines of a text output, or the same from the attributes
// of a NetCDF output; binary output has none.
struct OutputHeader {
    std::string serial;
    std::string programVersion;
    std::string sourceFile;
    std::string calibrationFile;
    std::string channelName;
    std::string channelUnits;
};

struct OutputSpectrum {
    SpectrumRecord record{}; // text outputs carry no channel: it reads as -1
    std::vector<float> values;
};

// Where the values of each row of a normal text output lie: the offset of
// every STEP-th value cell from the start of its row, noted in the pass
// that reads the file first, so that one value of every row can be found
// again without reading the rows whole. In a transposed table the rows are
// its value rows, and their cells the spectra.
struct ValueMarks {
    static constexpr std::size_t STEP = 16;
    std::vector<std::int64_t> rowStarts; // byte offset of each row
    std::vector<std::size_t> rowFirst;   // row j's marks are [rowFirst[j], rowFirst[j + 1])
    std::vector<std::uint32_t> marks;    // offsets within the row of values 0, STEP, 2 STEP, ...
};

// How a transposed table's value rows are read: a block of spectra at a
// time, the block's rows shared by threads in groups. The defaults suit
// large tables; small values give a small table the paths of a large one.
struct TableReading {
    std::size_t blockSpectra = 2048;
    unsigned readers = 0; // 0: one per core, at most 8
    // Sixteen floats fill a cache line of the block, so that threads do not
    // write into each other's lines.
    std::size_t rowGroup = 16;
};

class OutputSource;

class OutputReader {
public:
    // Opens the file and reads what precedes the spectra.
    explicit OutputReader(const std::string& path, const TableReading& reading = {});
    ~OutputReader();
    OutputReader(const OutputReader&) = delete;
    OutputReader& operator=(const OutputReader&) = delete;

    OutputLayout layout() const { return layout_; }
    // The column delimiter of a text output.
    char delimiter() const { return delimiter_; }
    const OutputHeader& header() const { return header_; }
    // The wavelength of each value of the first spectrum's pixel set as the
    // file states them, NaN where it says "?". Binary output states none.
    const std::vector<double>& wavelengths() const { return wavelengths_; }

    // Reads the next spectrum into `spectrum`; false after the last one.
    bool next(OutputSpectrum& spectrum);
    // Where the next spectrum starts, to come back to with seek().
    std::int64_t position() const;
    void seek(std::int64_t position);

    // Normal text: the marks of the rows read so far, from the first, when
    // nothing was sought yet. Transposed text: the marks of its value rows
    // once every spectrum was read. Empty for the other layouts. Leaves the
    // reader none.
    ValueMarks takeValueMarks();

private:
    OutputLayout layout_ = OutputLayout::Binary;
    char delimiter_ = ',';
    OutputHeader header_;
    std::vector<double> wavelengths_;
    std::unique_ptr<OutputSource> source_;
};
