#include "netcdf/nc_reader.h"

#include <gtest/gtest.h>
#include <netcdf.h>

namespace {

void check(int status, const std::string& step)
{
    if (status != NC_NOERR)
        ADD_FAILURE() << step << ": " << nc_strerror(status);
}

} // namespace

NcReader::NcReader(const std::string& path)
{
    check(nc_open(path.c_str(), NC_NOWRITE, &id_), "opening " + path);
}

NcReader::~NcReader()
{
    if (id_ >= 0)
        nc_close(id_);
}

int NcReader::variable(const std::string& name) const
{
    if (name.empty())
        return NC_GLOBAL;
    int id = -1;
    check(nc_inq_varid(id_, name.c_str(), &id), "variable " + name);
    return id;
}

bool NcReader::hasVariable(const std::string& name) const
{
    int id = -1;
    return nc_inq_varid(id_, name.c_str(), &id) == NC_NOERR;
}

std::size_t NcReader::dimensionLength(const std::string& name) const
{
    int dimension = -1;
    std::size_t length = 0;
    check(nc_inq_dimid(id_, name.c_str(), &dimension), "dimension " + name);
    check(nc_inq_dimlen(id_, dimension, &length), "dimension " + name);
    return length;
}

bool NcReader::isUnlimited(const std::string& name) const
{
    int dimension = -1;
    int unlimited = -2;
    check(nc_inq_dimid(id_, name.c_str(), &dimension), "dimension " + name);
    check(nc_inq_unlimdim(id_, &unlimited), "unlimited dimension");
    return dimension == unlimited;
}

std::vector<double> NcReader::doubles(const std::string& name) const
{
    const int id = variable(name);
    int dimensions = 0;
    check(nc_inq_varndims(id_, id, &dimensions), name);
    if (dimensions != 1) {
        ADD_FAILURE() << name << " has " << dimensions << " dimensions";
        return {};
    }
    int dimension = -1;
    std::size_t length = 0;
    check(nc_inq_vardimid(id_, id, &dimension), name);
    check(nc_inq_dimlen(id_, dimension, &length), name);
    std::vector<double> values(length);
    check(nc_get_var_double(id_, id, values.data()), name);
    return values;
}

std::vector<float> NcReader::row(const std::string& name, std::size_t row) const
{
    const int id = variable(name);
    int dimensions[2] = {-1, -1};
    std::size_t length = 0;
    check(nc_inq_vardimid(id_, id, dimensions), name);
    check(nc_inq_dimlen(id_, dimensions[1], &length), name);
    std::vector<float> values(length);
    const std::size_t start[2] = {row, 0};
    const std::size_t count[2] = {1, length};
    check(nc_get_vara_float(id_, id, start, count, values.data()), name);
    return values;
}

bool NcReader::hasAttribute(const std::string& name, const std::string& attribute) const
{
    std::size_t length = 0;
    return nc_inq_attlen(id_, variable(name), attribute.c_str(), &length) == NC_NOERR;
}

std::string NcReader::text(const std::string& name, const std::string& attribute) const
{
    std::size_t length = 0;
    const int id = variable(name);
    if (nc_inq_attlen(id_, id, attribute.c_str(), &length) != NC_NOERR)
        return {};
    std::string value(length, '\0');
    check(nc_get_att_text(id_, id, attribute.c_str(), value.data()), attribute);
    return value;
}

float NcReader::floatAttribute(const std::string& name, const std::string& attribute) const
{
    float value = 0;
    check(nc_get_att_float(id_, variable(name), attribute.c_str(), &value), attribute);
    return value;
}

std::vector<std::string> NcReader::variables() const
{
    int count = 0;
    check(nc_inq_nvars(id_, &count), "variables");
    std::vector<std::string> names;
    for (int v = 0; v < count; ++v) {
        char name[NC_MAX_NAME + 1];
        check(nc_inq_varname(id_, v, name), "variable name");
        names.emplace_back(name);
    }
    return names;
}
