#include "conversion/netcdf/nc_file.h"

#include "conversion/netcdf/nc_library.h"

#include <cerrno>
#include <cstring>

void ncCheck(int status, const char* what)
{
    if (status == NC_NOERR)
        return;
    // The library passes system errors on as positive numbers; its own
    // errors (an HDF5 write that failed, say) leave the reason in errno.
    const int systemError = status > 0 ? status : errno != 0 ? errno : EIO;
    throw NcError(std::string(what) + ": " + ncLibrary().nc_strerror(status), systemError);
}

NcFile::NcFile(const std::string& path)
{
    errno = 0;
    const int status = ncLibrary().nc_create(path.c_str(), NC_CLOBBER | NC_NETCDF4 | NC_CLASSIC_MODEL, &id_);
    // The library answers a full disk with EACCES; errno keeps the system's
    // own reason.
    const int systemError = errno;
    if (status > 0 && systemError != 0 && systemError != status)
        throw NcError(std::string("creating the file: ") + std::strerror(systemError), systemError);
    ncCheck(status, "creating the file");
}

NcFile::~NcFile()
{
    if (id_ >= 0)
        ncLibrary().nc_close(id_);
}

void NcFile::close()
{
    const int id = id_;
    id_ = -1;
    errno = 0;
    ncCheck(ncLibrary().nc_close(id), "closing the file");
}

void putTextAttribute(int file, int variable, const char* name, const std::string& text)
{
    ncCheck(ncLibrary().nc_put_att_text(file, variable, name, text.size(), text.c_str()), name);
}

void putIntAttribute(int file, int variable, const char* name, int value)
{
    ncCheck(ncLibrary().nc_put_att_int(file, variable, name, NC_INT, 1, &value), name);
}

void putDoublesAttribute(int file, int variable, const char* name, const double* values, int count)
{
    ncCheck(ncLibrary().nc_put_att_double(file, variable, name, NC_DOUBLE, static_cast<std::size_t>(count), values),
            name);
}

namespace {

// Measured on 20,000 spectra of 256 values: level 1 against 2 (see README).
constexpr int DEFLATE_LEVEL = 1;

} // namespace

void storeCompressed(int file, int variable, const std::size_t* chunkSizes)
{
    ncCheck(ncLibrary().nc_def_var_chunking(file, variable, NC_CHUNKED, chunkSizes), "chunking");
    ncCheck(ncLibrary().nc_def_var_deflate(file, variable, 1, 1, DEFLATE_LEVEL), "deflating");
}
