#include "desktop/posix/desktop_temporary_folder.h"

#include "desktop/desktop_file_types.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fs = std::filesystem;

namespace desktop {

TemporaryFolder::TemporaryFolder()
{
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error)
        base = "/tmp";
    std::string name = (base / "orvantis-XXXXXX").string();
    if (!mkdtemp(name.data()))
        throw DesktopRegistrationError("cannot create a temporary folder in " + base.string() + ": " +
                                       std::strerror(errno));
    path_ = name;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

} // namespace desktop
