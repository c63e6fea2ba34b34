#pragma once
// The variables of one pixel set of a NetCDF output: its dimension with its
// coordinate (`wavelength`, in nm, with a loaded calibration; else `pixel`,
// the detector pixel numbers), the pixel numbers beside the wavelengths, and
// the 2-D variable of the spectra that have this set. The first set's names
// are plain; the n-th set's end in "_n".

#include "calibration/cal_table.h"
#include "conversion/dataset_sink.h"
#include "core/spectrum_record.h"

#include <cstddef>
#include <string>
#include <vector>

struct PixelSetVariables {
    int16_t firstPix = 0;
    int16_t pixInc = 0;
    int16_t numPix = 0;
    std::size_t valueCount = 0; // values per spectrum held
    int values = -1;            // no variable for a set without values
    std::size_t blockRows = 1;  // spectra per chunk of `values`
    // Positions of the values whose pixels the calibration has no entry
    // for: adjusted spectra hold no value there.
    std::vector<std::size_t> uncalibrated;

    bool holds(const SpectrumRecord& record) const
    {
        return record.firstPix == firstPix && record.pixInc == pixInc && record.numPix == numPix;
    }
};

// What the values of a file are: their variable's name, the level and the
// channel whose calibration gives wavelengths, names and units.
struct ValuesMeaning {
    std::string name;
    int level = 0;
    const CalTable* calibration = nullptr;
    int channel = 0;
};

// Defines the variables of the set of `record`, numbered `number` from 1,
// and writes its coordinates. The file is in data mode before and after;
// throws NcError.
PixelSetVariables definePixelSet(DatasetSink& file, int number, const SpectrumRecord& record, const ValuesMeaning& meaning,
                                 int spectrumDimension);
