// Damaged binary data files: every record the damage leaves whole is kept,
// no record is made up, and a record lost is reported.

#include "processing_fixture.h"

#include "binary_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int RECORDS = 4;
constexpr std::size_t VALUES = 32;
constexpr std::size_t LENGTH = 44 + 2 * VALUES;

// Raw records without a 0x0F byte but their markers and one count each, so
// that a marker turns up inside the values of every record.
std::string inputRecord(int i)
{
    RecordFields fields;
    fields.time = 1000 + i;
    std::vector<uint16_t> counts;
    for (std::size_t k = 0; k < VALUES; ++k)
        counts.push_back(static_cast<uint16_t>(0x2020 + 0x100 * (k % 16) + k + static_cast<std::size_t>(i)));
    counts[2] = 0x0F40;
    return rawRecord(fields, counts);
}

// Bytes removed at an offset of the records, and bytes put there instead.
struct Damage {
    std::size_t at;
    std::size_t removed;
    std::string inserted;

    bool leavesWhole(std::size_t start, std::size_t end) const { return at + removed <= start || at >= end; }
    // Where an input byte is in the damaged records; false when it is gone.
    bool locate(std::size_t& offset) const
    {
        if (offset < at)
            return true;
        if (offset < at + removed)
            return false;
        offset = offset - removed + inserted.size();
        return true;
    }
};

std::vector<Damage> damagesAt(std::size_t at)
{
    return {{at, 1, ""},
            {at, 7, ""},
            {at, 60, ""},
            {at, 200, ""},
            {at, 0, std::string(1, '\0')},
            {at, 0, std::string(7, '\xFF')},
            {at, 0, std::string(60, '\0')},
            {at, 2, "\xFF\xFF"},
            {at, 7, std::string(7, '\0')}};
}

// The records of the binary output, each as the instrument would store it
// from its time field on.
std::vector<std::string> outputRecords(const std::string& output)
{
    std::vector<std::string> records;
    std::vector<float> values(MAX_PIXELS);
    const auto* bytes = reinterpret_cast<const unsigned char*>(output.data());
    for (std::size_t at = 0; at + SPECTRUM_RECORD_SIZE <= output.size();) {
        const std::size_t count = static_cast<std::size_t>(decodeRecord(bytes + at).numPix);
        decodeFloatsLE(bytes + at + SPECTRUM_RECORD_SIZE, count, values.data());
        records.push_back(instrumentBytes(decodeRecord(bytes + at), values.data()));
        at += SPECTRUM_RECORD_SIZE + 4 * count;
    }
    return records;
}

// The records back to back, or each followed by a line end, as the
// instrument's files have them.
std::string recordsWith(const std::string& lineEnd)
{
    std::string records;
    for (int i = 0; i < RECORDS; ++i)
        records += inputRecord(i) + lineEnd;
    return records;
}

class DamagedBinary : public Processing {
protected:
    void SetUp() override
    {
        Processing::SetUp();
        output = dir.file("SET01A.BRW");
    }

    int convertBinary() { return convert(0, 0, 1); }

    bool logged(const std::string& text) const { return log.joined().find(text) != std::string::npos; }

    // Converts the records damaged: the records it reads must be the whole
    // ones, all of them, and those the damage hit as they now read from their
    // marker on, if that is left; a hit record not read must be reported.
    void convertDamaged(const std::string& records, std::size_t stride, const Damage& damage)
    {
        std::string damaged = records;
        damaged.replace(damage.at, damage.removed, damage.inserted);
        writeFile(input, HEADER_LINES + damaged);
        log.clear();
        const int result = convertBinary();
        const std::vector<std::string> read =
            outputRecords(std::filesystem::exists(output) ? readFile(output) : std::string());
        std::vector<std::string> whole;
        std::vector<std::size_t> hitMarkers;
        for (std::size_t start = 0; start < records.size(); start += stride) {
            std::size_t marker = start;
            if (damage.leavesWhole(start, start + LENGTH))
                whole.push_back(records.substr(start + 2, LENGTH - 2));
            else if (damage.locate(marker) && marker < damaged.size())
                hitMarkers.push_back(marker);
        }
        const auto readAt = [&](std::size_t marker, const std::string& r) {
            return marker + 2 + r.size() <= damaged.size() && damaged.compare(marker + 2, r.size(), r) == 0;
        };
        std::vector<std::string> wholeRead;
        for (const std::string& r : read) {
            if (std::find(whole.begin(), whole.end(), r) != whole.end())
                wholeRead.push_back(r);
            else
                EXPECT_TRUE(std::any_of(hitMarkers.begin(), hitMarkers.end(),
                                        [&](std::size_t marker) { return readAt(marker, r); }))
                    << "made up\n"
                    << log.joined();
        }
        EXPECT_EQ(wholeRead, whole) << log.joined();
        const bool lost = std::any_of(hitMarkers.begin(), hitMarkers.end(), [&](std::size_t marker) {
            return std::none_of(read.begin(), read.end(), [&](const std::string& r) { return readAt(marker, r); });
        });
        if (lost) {
            EXPECT_EQ(result, SPECTRA_SKIPPED) << log.joined();
            EXPECT_TRUE(logged(" is damaged and was skipped\n") || logged(": last spectrum cut short at byte "))
                << log.joined();
        }
    }
};

TEST_F(DamagedBinary, EveryWholeRecordIsKeptNoneMadeUpAndALossReported)
{
    constexpr std::size_t offsets[] = {0, 1, 20, 43, 44, 48, 80, LENGTH - 1, LENGTH};
    for (const std::string lineEnd : {"", "\r\n"}) {
        const std::string records = recordsWith(lineEnd);
        const std::size_t stride = LENGTH + lineEnd.size();
        for (int i = 0; i < RECORDS; ++i)
            for (const std::size_t within : offsets)
                for (const Damage& damage : damagesAt(static_cast<std::size_t>(i) * stride + within)) {
                    if (damage.at == 0 || damage.at >= records.size())
                        continue; // the first marker is where the data is found, before any record is read
                    SCOPED_TRACE(std::to_string(lineEnd.size()) + "-byte line ends, record " + std::to_string(i) +
                                 " byte " + std::to_string(within) + ": " + std::to_string(damage.removed) +
                                 " removed, " + std::to_string(damage.inserted.size()) + " put in");
                    convertDamaged(records, stride, damage);
                }
    }
}

TEST_F(DamagedBinary, RecordCutByTheEndOfTheFileIsOneErrorLine)
{
    const std::string records = recordsWith("\r\n");
    const std::size_t stride = LENGTH + 2;
    const std::string whole = HEADER_LINES + records.substr(0, 3 * stride);
    constexpr std::size_t kept[] = {1, 2, 20, 43, 44, LENGTH - 1};
    for (const std::size_t left : kept) {
        SCOPED_TRACE(left);
        writeFile(input, whole + records.substr(3 * stride, left));
        log.clear();
        EXPECT_EQ(convertBinary(), SPECTRA_SKIPPED);
        EXPECT_EQ(concatenated(log.errorBoxes()), input + ": last spectrum cut short at byte " +
                                                      std::to_string(whole.size()) +
                                                      " and skipped; 3 spectra written\n");
        EXPECT_EQ(outputRecords(readFile(output)).size(), 3u);
    }
}

} // namespace
