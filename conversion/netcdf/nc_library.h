#pragma once
// The NetCDF C library, loaded the first time a NetCDF file is written or
// read rather than linked: linked, it would bring some forty shared
// libraries (HDF5, curl and theirs) into every start of the programs, NetCDF
// or not, at several milliseconds each time.

#include <netcdf.h>

#include <mutex>

// The library's functions that Orvantis calls, by their own names.
#define ORVANTIS_NC_FUNCTIONS(X)                                                                                       \
    X(nc_create)                                                                                                       \
    X(nc_open)                                                                                                         \
    X(nc_close) X(nc_redef) X(nc_enddef) X(nc_strerror) X(nc_def_dim) X(nc_def_var) X(nc_def_var_deflate)              \
        X(nc_def_var_chunking) X(nc_set_var_chunk_cache) X(nc_put_att_text) X(nc_put_att_int) X(nc_put_att_float)      \
            X(nc_put_att_double) X(nc_put_vara_short) X(nc_put_vara_float) X(nc_put_vara_double) X(nc_inq_dimid)       \
                X(nc_inq_dimlen) X(nc_inq_varid) X(nc_inq_nvars) X(nc_inq_varname) X(nc_inq_varndims)                  \
                    X(nc_inq_vardimid) X(nc_inq_attlen) X(nc_get_att_text) X(nc_get_att_int) X(nc_get_var_double)      \
                        X(nc_get_vara_double) X(nc_get_vara_float) X(nc_get_vara_int)

struct NcLibrary {
#define ORVANTIS_NC_POINTER(name) decltype(&::name) name = nullptr;
    ORVANTIS_NC_FUNCTIONS(ORVANTIS_NC_POINTER)
#undef ORVANTIS_NC_POINTER
};

// The loaded library, with HDF5's printing of its errors switched off on
// the calling thread; throws NcError naming it and the loader's reason when
// it cannot be loaded.
const NcLibrary& ncLibrary();

// The library (HDF5 below it) is not safe for threads: conversions running
// at once hold this around every use of it, one file's steps at a time.
std::mutex& ncLibraryLock();
