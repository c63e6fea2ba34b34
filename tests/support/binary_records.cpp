#include "binary_records.h"

#include <cstring>

void putBigEndian(std::string& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putFloatBigEndian(std::string& out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putBigEndian(out, bits, 4);
}

std::string recordHeader(const RecordFields& f)
{
    std::string out("\x0F\x5A", 2);
    putBigEndian(out, static_cast<uint32_t>(f.time), 4);
    putFloatBigEndian(out, f.temp);
    putFloatBigEndian(out, f.volts);
    putFloatBigEndian(out, f.depth);
    putBigEndian(out, static_cast<uint16_t>(f.process), 2);
    putBigEndian(out, static_cast<uint16_t>(f.N), 2);
    putFloatBigEndian(out, f.scale);
    putFloatBigEndian(out, f.Do);
    putFloatBigEndian(out, f.Dt);
    putBigEndian(out, static_cast<uint32_t>(f.intTime), 4);
    putBigEndian(out, static_cast<uint16_t>(f.firstPix), 2);
    putBigEndian(out, static_cast<uint16_t>(f.pixInc), 2);
    putBigEndian(out, static_cast<uint16_t>(f.numPix), 2);
    return out;
}

std::string rawRecord(RecordFields f, const std::vector<uint16_t>& counts)
{
    f.process = 0;
    f.numPix = static_cast<int16_t>(counts.size());
    std::string out = recordHeader(f);
    for (const uint16_t count : counts)
        putBigEndian(out, count, 2);
    return out;
}

std::string floatRecord(RecordFields f, const std::vector<float>& values)
{
    f.process = 3;
    f.numPix = static_cast<int16_t>(values.size());
    std::string out = recordHeader(f);
    for (const float value : values)
        putFloatBigEndian(out, value);
    return out;
}

std::string instrumentBytes(const SpectrumRecord& r, const float* values)
{
    const RecordFields fields{r.time, r.temp, r.volts,   r.depth,    r.process, r.N,     r.scale,
                              r.Do,   r.Dt,   r.intTime, r.firstPix, r.pixInc,  r.numPix};
    std::string bytes = recordHeader(fields).substr(2);
    for (int k = 0; k < r.numPix; ++k) {
        if (r.process == 0)
            putBigEndian(bytes, static_cast<uint16_t>(static_cast<int16_t>(values[k])), 2);
        else
            putFloatBigEndian(bytes, values[k]);
    }
    return bytes;
}
