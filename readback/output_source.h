#pragma once
// The spectra of one output layout, one after the other, for OutputReader.

#include "readback/output_reader.h"
#include "readback/output_lines.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OutputSource {
public:
    virtual ~OutputSource() = default;
    virtual bool next(OutputSpectrum& spectrum) = 0;
    virtual std::int64_t position() const = 0;
    virtual void seek(std::int64_t position) = 0;
    virtual ValueMarks takeValueMarks() { return {}; }
};

// Rows of the normal layout; `lines` stands after the column header line.
std::unique_ptr<OutputSource> normalRows(OutputLines lines, char delimiter);

// The transposed table, read whole since a spectrum is a column of it;
// `lines` stands after its first row, timeRow. Fills in the wavelengths of
// its rows.
std::unique_ptr<OutputSource> transposedTable(OutputLines lines, char delimiter, std::string timeRow,
                                              std::vector<double>& wavelengths, const TableReading& reading);

// Binary records from the start of the file.
std::unique_ptr<OutputSource> binaryRecords(const std::string& path);

// The spectra of a NetCDF output; fills in the header and wavelengths from
// the file's attributes and variables. A build without the NetCDF library
// throws OutputReadError saying so.
std::unique_ptr<OutputSource> netcdfSpectra(const std::string& path, OutputHeader& header,
                                            std::vector<double>& wavelengths);
