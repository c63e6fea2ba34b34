// Reading NetCDF outputs in a build without the NetCDF library.

#include "readback/output_source.h"

std::unique_ptr<OutputSource> netcdfSpectra(const std::string& path, OutputHeader&, std::vector<double>&)
{
    throw OutputReadError("Cannot read " + path + ": NetCDF files cannot be read by this build");
}
