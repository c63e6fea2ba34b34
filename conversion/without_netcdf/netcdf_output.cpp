// The NetCDF output of a build without the NetCDF library: it names the
// missing library instead of writing anything.

#include "conversion/netcdf_output.h"

#include <cerrno>

class NetcdfOutput::Writer {};

namespace {

constexpr const char* NOT_AVAILABLE = "NetCDF output is not available in this build";

} // namespace

NetcdfOutput::NetcdfOutput() = default;
NetcdfOutput::~NetcdfOutput() = default;

bool NetcdfOutput::available()
{
    return false;
}

bool NetcdfOutput::create(const std::string&, const NetcdfProvenance&)
{
    return fail(NOT_AVAILABLE, ENOSYS);
}

bool NetcdfOutput::createInMemory(MemoryDataset&, const NetcdfProvenance&)
{
    return fail(NOT_AVAILABLE, ENOSYS);
}

bool NetcdfOutput::append(const SpectrumRecord&, const float*)
{
    return fail(NOT_AVAILABLE, ENOSYS);
}

bool NetcdfOutput::finish()
{
    return fail(NOT_AVAILABLE, ENOSYS);
}
