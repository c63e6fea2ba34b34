#include "conversion/netcdf_output.h"

#include <utility>

namespace {

std::string& commandText()
{
    static std::string command;
    return command;
}

} // namespace

bool NetcdfOutput::fail(const std::string& text, int systemError)
{
    if (error_.empty()) {
        error_ = text;
        systemError_ = systemError;
    }
    return false;
}

void setNetcdfCommand(std::string command)
{
    commandText() = std::move(command);
}

const std::string& netcdfCommand()
{
    return commandText();
}
