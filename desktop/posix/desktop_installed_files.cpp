#include "desktop/posix/desktop_installed_files.h"

#include "desktop/desktop_file_types.h"
#include "desktop/posix/desktop_change_set.h"
#include "desktop/posix/desktop_folders.h"
#include "desktop/posix/desktop_icons.h"

namespace fs = std::filesystem;

namespace desktop {

namespace {

void writeInto(const fs::path& file, const std::string& content)
{
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    if (error)
        throw DesktopRegistrationError("cannot create the folder " + file.parent_path().string() + ": " +
                                       error.message());
    writeFileAtomically(file, content, 0644);
}

} // namespace

void writeInstalledDesktopFiles(const fs::path& dataFolder)
{
    DataFolders folders(dataFolder);
    std::vector<std::string> mimeTypes;
    for (const ProgramFileType& programType : programFileTypes()) {
        DesktopFileType type = desktopFileType(programType.extension, programType.typeName);
        writeInto(folders.package(type), mimePackageText(type, programType.description));
        writeInto(folders.typeIcon(type), dataFileIconSvg());
        mimeTypes.push_back(type.mimeType);
    }
    writeInto(folders.programIcon(), programIconSvg());
    writeInto(folders.entry(), desktopEntryText(InstalledProgramName, mimeTypes));
}

} // namespace desktop
