// A dataset written into memory against the same spectra written to a
// NetCDF file and read back through the library; and a stretch of its
// rows against the whole.

#include "netcdf/nc_reader.h"

#include "calibration/cal_table.h"
#include "conversion/memory_dataset.h"
#include "conversion/netcdf_output.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

struct Spectrum {
    SpectrumRecord record{};
    std::vector<float> values;
};

// Spectra of two pixel sets in random turns, with NaN and infinities among
// the values.
std::vector<Spectrum> randomSpectra(std::mt19937& random, int count)
{
    std::vector<Spectrum> spectra;
    std::uniform_real_distribution<float> value(-1e6f, 1e6f);
    for (int i = 0; i < count; ++i) {
        Spectrum s;
        const bool second = random() % 4 == 0;
        s.record.time = 1000 + 10 * i;
        s.record.intTime = 100 + i;
        s.record.temp = value(random);
        s.record.depth = static_cast<float>(i) / 4;
        s.record.process = 4;
        s.record.N = 1;
        s.record.firstPix = second ? 20 : 0;
        s.record.pixInc = 1;
        s.record.numPix = second ? 3 : 5;
        for (int k = 0; k < s.record.numPix; ++k)
            s.values.push_back(random() % 17 == 0   ? std::numeric_limits<float>::quiet_NaN()
                               : random() % 19 == 0 ? -std::numeric_limits<float>::infinity()
                                                    : value(random));
        spectra.push_back(std::move(s));
    }
    return spectra;
}

NetcdfProvenance provenanceOf(const CalTable& calibration)
{
    NetcdfProvenance p;
    p.sourceFile = "CAST001A.ASC";
    p.serial = "TDL0417";
    p.level = 4;
    p.calibration = &calibration;
    return p;
}

template <class Create>
void write(const std::vector<Spectrum>& spectra, NetcdfOutput& output, Create create)
{
    ASSERT_TRUE(create()) << output.error();
    for (const Spectrum& s : spectra)
        ASSERT_TRUE(output.append(s.record, s.values.data())) << output.error();
    ASSERT_TRUE(output.finish()) << output.error();
}

std::vector<float> rowOf(const DatasetVariable& variable, std::size_t row)
{
    std::vector<float> values(variable.rowLength);
    std::memcpy(values.data(), variable.values.data() + row * variable.rowLength * sizeof(float),
                values.size() * sizeof(float));
    return values;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

template <typename T>
double load(const unsigned char* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return static_cast<double>(value);
}

double valueAt(const DatasetVariable& variable, std::size_t i)
{
    const unsigned char* at = variable.values.data() + i * variable.values.elementSize();
    switch (variable.type) {
    case ValueType::Short: return load<int16_t>(at);
    case ValueType::Int: return load<int32_t>(at);
    case ValueType::Float: return load<float>(at);
    case ValueType::Double: return load<double>(at);
    }
    return 0;
}

} // namespace

TEST(MemoryDataset, HoldsWhatTheFileHoldsAndAStretchOfRowsIsThoseRowsOfTheWhole)
{
    TempDir dir;
    std::mt19937 random(20261209);
    const CalTable noCalibration;
    for (int round = 0; round < 6; ++round) {
        const std::vector<Spectrum> spectra = randomSpectra(random, 1 + static_cast<int>(random() % 300));
        const std::string path = dir.file("memory.nc");
        NetcdfOutput file;
        write(spectra, file, [&] { return file.create(path, provenanceOf(noCalibration)); });
        MemoryDataset whole;
        NetcdfOutput memory;
        write(spectra, memory, [&] { return memory.createInMemory(whole, provenanceOf(noCalibration)); });

        const NcReader nc(path);
        EXPECT_EQ(nc.variables().size(), whole.variables().size());
        for (const DatasetVariable& v : whole.variables()) {
            SCOPED_TRACE(v.name);
            ASSERT_TRUE(nc.hasVariable(v.name));
            if (v.dimensions.size() == 1) {
                const std::vector<double> fromFile = nc.doubles(v.name);
                ASSERT_EQ(fromFile.size(), v.values.size());
                for (std::size_t i = 0; i < fromFile.size(); ++i)
                    EXPECT_EQ(fromFile[i], valueAt(v, i)) << i;
                continue;
            }
            ASSERT_EQ(v.values.size(), spectra.size() * v.rowLength); // rows of other sets filled
            for (std::size_t row = 0; row < spectra.size(); ++row)
                EXPECT_TRUE(sameBits(nc.row(v.name, row), rowOf(v, row))) << row;
        }

        const std::size_t first = random() % spectra.size();
        const SpectraRows stretch{first, 1 + random() % (spectra.size() - first)};
        MemoryDataset part(stretch);
        NetcdfOutput partial;
        write(spectra, partial, [&] { return partial.createInMemory(part, provenanceOf(noCalibration)); });
        for (std::size_t i = 0; i < whole.variables().size(); ++i) {
            const DatasetVariable& all = whole.variables()[i];
            const DatasetVariable& some = part.variables()[i];
            if (all.dimensions.size() == 1) {
                EXPECT_EQ(
                    std::memcmp(all.values.data(), some.values.data(), all.values.size() * all.values.elementSize()),
                    0);
                continue;
            }
            ASSERT_EQ(some.values.size(), stretch.count * all.rowLength) << all.name;
            for (std::size_t row = 0; row < stretch.count; ++row)
                EXPECT_TRUE(sameBits(rowOf(some, row), rowOf(all, first + row))) << all.name << " row " << row;
        }
    }
}
