#pragma once
// The variables of one pixel set of a NetCDF output: its pixel dimension,
// `pixel_number` and, with a loaded calibration, `wavelength` along it, and
// the 2-D `values` of the spectra that have this set. The first set's names
// are plain; the n-th set's end in "_n".

#include "calibration/cal_table.h"
#include "core/spectrum_record.h"

#include <cstddef>

struct PixelSetVariables {
    int16_t firstPix = 0;
    int16_t pixInc = 0;
    int16_t numPix = 0;
    std::size_t valueCount = 0; // values per spectrum held
    int values = -1;            // no variable for a set without values
    std::size_t blockRows = 1;  // spectra per chunk of `values`

    bool holds(const SpectrumRecord& record) const
    {
        return record.firstPix == firstPix && record.pixInc == pixInc && record.numPix == numPix;
    }
};

// Defines the variables of the set of `record`, numbered `number` from 1,
// and writes its pixel numbers and the wavelengths of the channel's
// calibration. The file is in data mode
// before and after; throws NcError.
PixelSetVariables definePixelSet(int file, int number, const SpectrumRecord& record, const CalTable& calibration,
                                 int channel, int level, int spectrumDimension);
