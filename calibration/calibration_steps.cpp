#include "calibration/calibration_steps.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr float DARK_CEILING = 32760.0f;
constexpr double ONE_THIRD = 1.0 / 3.0;

// The first numPix values of a buffer; any other position reads as 0.0.
class SpectrumValues {
public:
    SpectrumValues(const float* values, const SpectrumRecord& record)
        : values_(values), count_(storedPixelCount(record))
    {}
    float operator[](int k) const { return k >= 0 && k < count_ ? values_[k] : 0.0f; }

private:
    const float* values_;
    int count_;
};

// The farthest neighbour an adjustment code reads, on either side.
constexpr int NEIGHBOURS = 2;

// The adjusted value at s[0], from s[-NEIGHBOURS] to s[NEIGHBOURS].
float adjustedValue(int16_t code, const float* s)
{
    switch (code) {
    case 1: return s[0];
    case 2: return static_cast<float>((double{s[0]} + s[-1]) * 0.5);
    case 3: return static_cast<float>((double{s[0]} + s[1]) * 0.5);
    case 4: return s[-1] > s[0] ? s[-1] : s[0];
    case 5: return s[0] > s[1] ? s[0] : s[1];
    case 6: return s[-1];
    case 7: return s[1];
    case 8: return static_cast<float>((double{s[-1]} + s[0] + s[1]) * ONE_THIRD);
    case 9: {
        const float window[] = {s[-1], s[0], s[1]};
        return medianOf(window);
    }
    case 10: {
        const float window[] = {s[-2], s[-1], s[0], s[1], s[2]};
        return medianOf(window);
    }
    default: return 0.0f;
    }
}

// Calls visit(k, entry) for each of the numPix values whose pixel has a
// calibration entry, in order, up to the first pixel past the last
// calibrated one; other values are left to the caller.
template <typename Visit>
void forEachCalibratedValue(const SpectrumRecord& record, const CalSlot& slot, Visit visit)
{
    const int count = storedPixelCount(record);
    const int firstPix = record.firstPix;
    const ChannelCal& cal = *slot.cal;
    if (record.pixInc == 1 && firstPix + count - 1 <= std::numeric_limits<int16_t>::max()) {
        // Pixel numbers rise without wrapping, so the values with an entry
        // form one run, and so do their entries.
        const int begin = std::max(0, cal.firstCalPix - firstPix);
        const int end =
            std::min({count, cal.lastCalPix - firstPix + 1, cal.firstCalPix + slot.pixelCalCount - firstPix});
        if (begin >= end)
            return;
        const PixelCal* entry = &slot.pixelCals[static_cast<std::size_t>(begin + firstPix - cal.firstCalPix)];
        for (int k = begin; k < end; ++k, ++entry)
            visit(k, *entry);
        return;
    }
    for (int k = 0; k < count; ++k) {
        const int16_t p = pixelNumber(record.firstPix, record.pixInc, k);
        if (p > cal.lastCalPix)
            return;
        if (const PixelCal* entry = slot.pixelEntry(p))
            visit(k, *entry);
    }
}

int nlEntry(const NLTable& nl, double x)
{
    const int half = nl.step / 2;
    if (x < nl.start + half)
        return 0;
    if (x >= nl.max)
        return nl.count - 1;
    const double entry = (x - nl.start + half) / nl.step;
    // A value that is not a number passes both tests above; neither it nor a
    // table whose 16-bit max wrapped may index outside the entries.
    if (!(entry >= 0.0))
        return 0;
    if (entry >= nl.count)
        return nl.count - 1;
    return static_cast<int>(entry);
}

// intTime + i0 + i1*j + ... + i5*j^5, rounded to double at each step. The
// powers of j are exact up to j^4; j^5 is the exact power rounded once.
double effectiveIntTime(int32_t intTime, const float* i, int j)
{
    double t = static_cast<double>(intTime) + i[0];
    double power = 1.0;
    for (int m = 1; m <= 5; ++m) {
        power *= j;
        t = power * i[m] + t;
    }
    return t;
}

// The divisors of the first count buffer positions. They are kept while the
// integration time and the coefficients stay the same, and only as many are
// worked out as spectra have needed so far.
const double* timeDivisors(int32_t intTime, const IntTimeCal& coefs, int count)
{
    struct Cache {
        int32_t intTime = 0;
        IntTimeCal coefs;
        int computed = 0;
        double divisors[MAX_PIXELS];
    };
    thread_local Cache cache;
    if (cache.intTime != intTime || std::memcmp(cache.coefs.i, coefs.i, sizeof coefs.i) != 0) {
        cache.intTime = intTime;
        cache.coefs = coefs;
        cache.computed = 0;
    }
    for (; cache.computed < count; ++cache.computed)
        cache.divisors[cache.computed] = effectiveIntTime(intTime, coefs.i, cache.computed);
    return cache.divisors;
}

} // namespace

double darkMean(const float* pixels, const SpectrumRecord& record, int16_t first, int16_t last)
{
    if (first < record.firstPix || last < first)
        return 0.0;
    const SpectrumValues values(pixels, record);
    float sum = 0.0f;
    for (int p = first; p <= last; ++p)
        sum = static_cast<float>(double{sum} + values[p - record.firstPix]);
    return double{sum} / (last - first + 1);
}

void adjustPixels(float* pixels, const SpectrumRecord& record, const CalSlot& slot)
{
    const int count = storedPixelCount(record);
    // The unadjusted values with NEIGHBOURS zeros on either side, so that
    // every neighbour outside the spectrum reads as 0.0 without a test.
    float padded[MAX_PIXELS + 2 * NEIGHBOURS];
    std::fill_n(padded, NEIGHBOURS, 0.0f);
    std::copy_n(pixels, count, padded + NEIGHBOURS);
    std::fill_n(padded + NEIGHBOURS + count, NEIGHBOURS, 0.0f);
    const float* source = padded + NEIGHBOURS;

    std::fill_n(pixels, count, 0.0f);
    forEachCalibratedValue(record, slot, [&](int k, const PixelCal& entry) {
        // Nearly every pixel keeps its value: that code is taken here, the
        // others through the full choice.
        pixels[k] = entry.adjustCode == 1 ? source[k] : adjustedValue(entry.adjustCode, source + k);
    });
}

int16_t truncateToInt16(float value)
{
    constexpr float INT32_LIMIT = 2147483648.0f;
    if (std::fabs(value) < INT32_LIMIT)
        return static_cast<int16_t>(static_cast<int32_t>(value));
    if (!std::isfinite(value))
        return 0;
    // Floats this large are whole numbers, and fmod keeps their low 16 bits exactly.
    return static_cast<int16_t>(static_cast<int32_t>(std::fmod(value, 65536.0)));
}

void subtractDark(float* pixels, const SpectrumRecord& record, const CalSlot& slot)
{
    const double Do = record.Do;
    const float D = static_cast<float>(double{record.Dt} - Do);
    forEachCalibratedValue(record, slot, [&](int k, const PixelCal& entry) {
        const float result = static_cast<float>(pixels[k] - (double{entry.darkWeight} * D + Do));
        pixels[k] = result >= DARK_CEILING ? DARK_CEILING : result;
    });
}

void applyNLTable(float* pixels, const SpectrumRecord& record, const NLTable& nl)
{
    if (nl.count <= 0 || !nl.values)
        return;
    const int count = storedPixelCount(record);
    for (int k = 0; k < count; ++k) {
        const float x = pixels[k];
        pixels[k] = static_cast<float>(double{nl.values[static_cast<std::size_t>(nlEntry(nl, x))]} + x);
    }
}

void normalizeTime(float* pixels, const SpectrumRecord& record, const IntTimeCal& coefs)
{
    const int count = storedPixelCount(record);
    const double* divisors = timeDivisors(record.intTime, coefs, count);
    for (int j = 0; j < count; ++j)
        pixels[j] = static_cast<float>(pixels[j] / divisors[j]);
}

void applyCalCoefs(float* pixels, const SpectrumRecord& record, const CalSlot& slot)
{
    forEachCalibratedValue(record, slot, [&](int k, const PixelCal& entry) {
        pixels[k] = static_cast<float>(double{pixels[k]} * entry.calCoef);
    });
}
