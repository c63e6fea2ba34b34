#include "conversion/netcdf/nc_library.h"

#include "conversion/netcdf/nc_file.h"

#include <dlfcn.h>
#include <hdf5.h>

#include <cerrno>
#include <mutex>
#include <string>

namespace {

// A file whose closing failed (its disk full) stays in HDF5's tables, and
// HDF5's own clean-up at exit would crash on it. Every file is closed by
// hand, so that clean-up has nothing else to do. It must be switched off
// before HDF5 starts, that is before any NetCDF call.
void keepHdf5FromCleaningUpAtExit(void* library)
{
    using DontAtExit = int (*)();
    if (const auto dontAtExit = reinterpret_cast<DontAtExit>(dlsym(library, "H5dont_atexit")))
        dontAtExit();
}

// The library's own functions, or the reason they cannot be had; and the
// HDF5 below it, where it has one, for its error printing.
struct Loaded {
    NcLibrary functions;
    decltype(&::H5Eset_auto2) setHdf5ErrorPrinting = nullptr;
    std::string error;
};

Loaded load()
{
    Loaded loaded;
    void* library = dlopen(ORVANTIS_NETCDF_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        loaded.error = std::string("the NetCDF library cannot be loaded: ") + dlerror();
        return loaded;
    }
    keepHdf5FromCleaningUpAtExit(library);
    loaded.setHdf5ErrorPrinting = reinterpret_cast<decltype(&::H5Eset_auto2)>(dlsym(library, "H5Eset_auto2"));
#define ORVANTIS_NC_RESOLVE(name)                                                                                      \
    loaded.functions.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                                \
    if (!loaded.functions.name) {                                                                                      \
        loaded.error = ORVANTIS_NETCDF_LIBRARY " has no function " #name;                                              \
        return loaded;                                                                                                 \
    }
    ORVANTIS_NC_FUNCTIONS(ORVANTIS_NC_RESOLVE)
#undef ORVANTIS_NC_RESOLVE
    return loaded; // kept loaded for the rest of the run
}

} // namespace

const NcLibrary& ncLibrary()
{
    static const Loaded loaded = load();
    if (!loaded.error.empty())
        throw NcError(loaded.error, ENOENT);
    // HDF5 prints its own error stacks on stderr, naming the hidden
    // temporary, from every thread that has not switched it off for itself;
    // the NetCDF library switches it off on the thread that first uses it
    // alone. Its failures reach the log as the library's results instead.
    if (loaded.setHdf5ErrorPrinting)
        loaded.setHdf5ErrorPrinting(H5E_DEFAULT, nullptr, nullptr);
    return loaded.functions;
}

std::mutex& ncLibraryLock()
{
    static std::mutex lock;
    return lock;
}
