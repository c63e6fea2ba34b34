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

class OutputSource;

class OutputReader {
public:
    // Opens the file and reads what precedes the spectra.
    explicit OutputReader(const std::string& path);
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

private:
    OutputLayout layout_ = OutputLayout::Binary;
    char delimiter_ = ',';
    OutputHeader header_;
    std::vector<double> wavelengths_;
    std::unique_ptr<OutputSource> source_;
};
