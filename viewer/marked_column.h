#pragma once
// Values of a text output found through the value marks of the pass that
// opened it, in the file mapped into memory: a wavelength clicked on many
// thousand spectra, or a step to another spectrum of a transposed table, is
// answered without parsing every row again.

#include "viewer/viewer_overview.h"

#include <optional>
#include <vector>

// Value k of every spectrum, NaN for those of another pixel set; nothing
// when the overview has no marks of every row. Throws OutputReadError when
// the file no longer holds the rows it held.
std::optional<std::vector<double>> markedColumn(const SpectraOverview& overview, std::size_t k);

// The values of spectrum j of a transposed table; nothing for another
// layout or without marks. Throws as markedColumn.
std::optional<std::vector<float>> markedSpectrum(const SpectraOverview& overview, std::size_t j);
