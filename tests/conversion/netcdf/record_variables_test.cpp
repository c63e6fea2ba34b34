// A record set member by member becomes one NetCDF variable per field,
// defined in the order files have always had, each holding its own member
// and read back into it.

#include "netcdf/nc_reader.h"

#include "conversion/netcdf_output.h"
#include "readback/output_reader.h"
#include "record_by_name.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(NetcdfRecordVariables, EachMemberIsItsOwnVariableInTheFilesOrderAndReadsBackIntoItself)
{
    const TempDir dir;
    const std::string path = dir.file("R.RAW.nc");
    const CalTable calibration;
    NetcdfProvenance provenance;
    provenance.calibration = &calibration;
    const SpectrumRecord record = recordByName();
    const std::vector<float> pixels(MAX_PIXELS, 1.5f);
    NetcdfOutput output;
    ASSERT_TRUE(output.create(path, provenance)) << output.error();
    ASSERT_TRUE(output.append(record, pixels.data())) << output.error();
    ASSERT_TRUE(output.finish()) << output.error();

    std::vector<std::string> expected;
    for (const FieldByName& field : FIELDS_BY_NAME)
        expected.push_back(std::string("counts_") + field.variable);
    std::vector<std::string> defined = NcReader(path).variables();
    std::erase_if(defined, [&](const std::string& name) { return std::ranges::count(expected, name) == 0; });
    EXPECT_EQ(defined, expected);

    OutputReader reader(path);
    OutputSpectrum read;
    ASSERT_TRUE(reader.next(read));
    const NcReader nc(path);
    for (const FieldByName& field : FIELDS_BY_NAME) {
        SCOPED_TRACE(field.member);
        EXPECT_EQ(nc.doubles(std::string("counts_") + field.variable), std::vector<double>{field.of(record)});
        EXPECT_EQ(field.of(read.record), field.of(record));
    }
}

} // namespace
