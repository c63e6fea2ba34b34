#include "conversion/netcdf_output.h"

bool NetcdfOutput::fail(const std::string& text, int systemError)
{
    if (error_.empty()) {
        error_ = text;
        systemError_ = systemError;
    }
    return false;
}
