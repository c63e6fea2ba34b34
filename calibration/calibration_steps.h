#pragma once
// The steps of spectrum calibration. Each works on a spectrum's pixel buffer
// of MAX_PIXELS values, value k belonging to pixel number firstPix + k * pixInc
// (16-bit). Buffer positions at or past numPix, and positions outside the
// buffer, read as 0.0, so nothing left from an earlier spectrum enters a
// result; the steps leave them as they are, since nothing reads them later.
// Steps that take a CalSlot need it loaded. Arithmetic is in double, rounded
// to float where a value is stored.

#include "calibration/cal_table.h"
#include "core/pixel_count.h"
#include "core/spectrum_record.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

// Mean of the values of pixel numbers first..last (pixInc 1), the running sum
// rounded to float after each addition; 0.0 when first lies below firstPix or
// the range is empty.
double darkMean(const float* pixels, const SpectrumRecord& record, int16_t first, int16_t last);

// Replaces each of the numPix values as the adjustment code of its pixel
// says, computing from the unadjusted values (kept in a copy of its own);
// values without a code become 0. Only for pixInc 1.
void adjustPixels(float* pixels, const SpectrumRecord& record, const CalSlot& slot);

// Truncates toward zero and keeps the low 16 bits as a signed number; values
// that are not finite give 0.
int16_t truncateToInt16(float value);

// The middle of the values after truncating each with truncateToInt16.
template <std::size_t N>
float medianOf(const float (&values)[N])
{
    int16_t whole[N];
    std::transform(values, values + N, whole, truncateToInt16);
    // Odd-even transposition sort: compare-exchanges without data-dependent
    // branches, which suits the three or five values of a median.
    for (std::size_t pass = 0; pass < N; ++pass) {
        for (std::size_t i = pass % 2; i + 1 < N; i += 2) {
            const int16_t low = std::min(whole[i], whole[i + 1]);
            whole[i + 1] = std::max(whole[i], whole[i + 1]);
            whole[i] = low;
        }
    }
    return whole[N / 2];
}

// Subtracts each calibrated pixel's dark value, Do + darkWeight * (Dt - Do),
// with a ceiling of 32760.
void subtractDark(float* pixels, const SpectrumRecord& record, const CalSlot& slot);

// Adds the non-linearity correction nearest to each of the numPix values; a
// table without entries leaves them unchanged.
void applyNLTable(float* pixels, const SpectrumRecord& record, const NLTable& nl);

// Divides each of the numPix values j by intTime + i0 + i1*j + ... + i5*j^5.
void normalizeTime(float* pixels, const SpectrumRecord& record, const IntTimeCal& coefs);

// Multiplies each calibrated pixel by its calibration coefficient.
void applyCalCoefs(float* pixels, const SpectrumRecord& record, const CalSlot& slot);
