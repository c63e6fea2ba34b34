#pragma once
// What the viewer draws of an output file, gathered in one pass: the
// per-spectrum fields, the envelope of all spectra and a thinned-out set of
// whole spectra. Memory grows with the spectra only by their fields and
// file positions; any one spectrum is read again from the file on demand.

#include "readback/output_reader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SpectraOverview {
    std::string path;
    OutputLayout layout = OutputLayout::Binary;
    OutputHeader header;
    // The x value of each value of the first spectrum's pixel set: its
    // wavelength when the file states them all, else its pixel number.
    std::vector<double> x;
    bool calibrated = false;
    std::vector<SpectrumRecord> records;
    std::vector<std::int64_t> positions;
    // Lowest and highest value at each x over the spectra of the first
    // pixel set; spectra of another pixel set are counted, not drawn.
    std::vector<float> lower, upper;
    std::size_t otherPixelSets = 0;
    // Value columnIndex (the middle one) of every spectrum, NaN for those of
    // another pixel set: the first plot against spectrum number, without a
    // second pass over the file.
    std::size_t columnIndex = 0;
    std::vector<double> column;
    // Every stride-th spectrum of the first pixel set, whole.
    std::vector<std::size_t> sampleIndex;
    std::vector<std::vector<float>> samples;
    // Where the values of each row lie in a text output (in a transposed
    // one, each value row).
    ValueMarks marks;
    char delimiter = ',';
};

// Reads the file; at most about `samplesWanted` whole spectra are kept.
// Throws OutputReadError for a damaged file or one without spectra.
SpectraOverview readOverview(const std::string& path, std::size_t samplesWanted);

// Whether spectrum j can be drawn on the overview's x values.
bool drawable(const SpectraOverview& overview, std::size_t j);

// Reads single spectra and value columns of the overview's file again.
class SpectrumFetcher {
public:
    explicit SpectrumFetcher(const SpectraOverview& overview);
    // The values of spectrum j.
    const std::vector<float>& spectrum(std::size_t j);
    // Value k of every spectrum, NaN for those of another pixel set.
    std::vector<double> column(std::size_t k);

private:
    // Opened when first needed: the marks of a transposed table answer
    // without it, and opening it would read the table's label rows again.
    OutputReader& reader();

    const SpectraOverview& overview_;
    std::optional<OutputReader> reader_;
    OutputSpectrum spectrum_;
};
