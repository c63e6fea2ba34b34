#pragma once
// The fields that go with one spectrum's values. Binary output files and the
// transposed output's temporary file hold these 48 bytes as they are,
// little-endian, so the struct is packed and every field's offset is
// checked: files written earlier, and on other systems, must read back alike.

#include <cstddef>
#include <cstdint>

constexpr int MAX_PIXELS = 2048;
constexpr int MAX_CHANNELS = 25;
constexpr std::size_t SPECTRUM_RECORD_SIZE = 48;

#pragma pack(push, 1)
struct SpectrumRecord {
    int16_t channel;
    int32_t time;
    uint8_t reserved[4];
    int32_t intTime;
    float temp;
    float depth;
    float volts;
    int16_t process;
    int16_t N;
    float scale;
    float Do;
    float Dt;
    int16_t firstPix;
    int16_t pixInc;
    int16_t numPix;
};
#pragma pack(pop)

static_assert(sizeof(SpectrumRecord) == SPECTRUM_RECORD_SIZE);
static_assert(offsetof(SpectrumRecord, channel) == 0);
static_assert(offsetof(SpectrumRecord, time) == 2);
static_assert(offsetof(SpectrumRecord, reserved) == 6);
static_assert(offsetof(SpectrumRecord, intTime) == 10);
static_assert(offsetof(SpectrumRecord, temp) == 14);
static_assert(offsetof(SpectrumRecord, depth) == 18);
static_assert(offsetof(SpectrumRecord, volts) == 22);
static_assert(offsetof(SpectrumRecord, process) == 26);
static_assert(offsetof(SpectrumRecord, N) == 28);
static_assert(offsetof(SpectrumRecord, scale) == 30);
static_assert(offsetof(SpectrumRecord, Do) == 34);
static_assert(offsetof(SpectrumRecord, Dt) == 38);
static_assert(offsetof(SpectrumRecord, firstPix) == 42);
static_assert(offsetof(SpectrumRecord, pixInc) == 44);
static_assert(offsetof(SpectrumRecord, numPix) == 46);

// Pixel number of value k: firstPix + k * pixInc, wrapping at 16 bits.
inline int16_t pixelNumber(int16_t firstPix, int16_t pixInc, int k)
{
    return static_cast<int16_t>(static_cast<uint16_t>(firstPix + k * pixInc));
}

inline bool samePixelSet(const SpectrumRecord& a, const SpectrumRecord& b)
{
    return a.firstPix == b.firstPix && a.pixInc == b.pixInc && a.numPix == b.numPix;
}

// Little-endian on-disk form of a record (reserved bytes written as zero).
void encodeRecord(const SpectrumRecord& record, unsigned char out[SPECTRUM_RECORD_SIZE]);
SpectrumRecord decodeRecord(const unsigned char in[SPECTRUM_RECORD_SIZE]);

// Little-endian 32-bit float encoding of pixel values.
void encodeFloatsLE(const float* values, std::size_t count, unsigned char* out);
void decodeFloatsLE(const unsigned char* in, std::size_t count, float* values);
