#include "desktop/desktop_file_types.h"

#include "desktop/posix/desktop_change_set.h"
#include "desktop/posix/desktop_entry.h"
#include "desktop/posix/desktop_icons.h"
#include "desktop/posix/desktop_mime_package.h"
#include "desktop/posix/desktop_mimeapps.h"
#include "desktop/posix/desktop_paths.h"
#include "desktop/posix/desktop_process.h"
#include "desktop/posix/desktop_temporary_folder.h"

#include <algorithm>

namespace fs = std::filesystem;
using namespace desktop;

namespace {

struct DesktopFolders {
    fs::path mime;
    fs::path applications;
    fs::path typeIcons;
    fs::path programIcons;
    fs::path config;
};

DesktopFolders desktopFolders()
{
    fs::path data = userDataHome();
    fs::path icons = data / "icons" / "hicolor" / "scalable";
    return {data / "mime", data / "applications", icons / "mimetypes", icons / "apps", userConfigHome()};
}

// Bytes that no content rule recognises and that do not look like text, so
// that the desktop decides by the file name alone.
const std::string ProbeContent("\x00\x01\x02\x03", 4);

std::string contentTypeIn(const std::string& gioOutput)
{
    const std::string label = "standard::content-type: ";
    size_t start = gioOutput.find(label);
    if (start == std::string::npos)
        return {};
    start += label.size();
    size_t end = gioOutput.find('\n', start);
    return gioOutput.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::vector<std::string> withType(std::vector<std::string> types, const std::string& type)
{
    if (std::find(types.begin(), types.end(), type) == types.end())
        types.push_back(type);
    return types;
}

void writeDataFiles(DesktopChangeSet& changes, const DesktopFolders& folders, const DesktopFileType& type,
                    const std::string& description, const std::string& programPath)
{
    changes.makeFolder(folders.mime / "packages");
    changes.writeFile(folders.mime / "packages" / type.packageFileName(), mimePackageText(type, description));

    changes.makeFolder(folders.typeIcons);
    changes.writeFile(folders.typeIcons / (type.iconName() + ".svg"), dataFileIconSvg());
    changes.makeFolder(folders.programIcons);
    changes.writeFile(folders.programIcons / (std::string(ProgramIconName) + ".svg"), programIconSvg());

    // Keeps the types registered before, so that both extensions stay with the program.
    changes.makeFolder(folders.applications);
    fs::path entry = folders.applications / DesktopEntryId;
    std::vector<std::string> types = entryMimeTypes(readFileIfPresent(entry).value_or(""));
    changes.writeFile(entry, desktopEntryText(programPath, withType(types, type.mimeType)));

    changes.makeFolder(folders.config);
    fs::path defaults = folders.config / "mimeapps.list";
    changes.writeFile(defaults,
                      withDefaultApplication(readFileIfPresent(defaults).value_or(""), type.mimeType, DesktopEntryId));
}

void updateDatabases(const DesktopFolders& folders)
{
    runTool({"update-mime-database", folders.mime.string()});
    runTool({"update-desktop-database", folders.applications.string()});
}

// After a roll-back the databases are rebuilt from the restored files; a
// failure here changes nothing about the failure already being reported.
void rebuildDatabasesQuietly(const DesktopFolders& folders) noexcept
{
    try {
        std::error_code error;
        if (fs::exists(folders.mime, error))
            runProgram({"update-mime-database", folders.mime.string()}, ErrorOutput::Discard);
        if (fs::exists(folders.applications, error))
            runProgram({"update-desktop-database", folders.applications.string()}, ErrorOutput::Discard);
    } catch (const std::exception&) {
    }
}

} // namespace

std::string currentFileType(const std::string& extension)
{
    if (extension.find('/') != std::string::npos)
        throw DesktopRegistrationError("invalid file extension \"" + extension + "\"");
    // Asking GLib itself gives exactly the desktop's answer, with every
    // folder of the MIME database, the weights and the sub-classes.
    TemporaryFolder folder;
    fs::path probe = folder.path() / ("probe" + extension);
    writeFileAtomically(probe, ProbeContent);
    ProgramResult result =
        runProgram({"gio", "info", "-a", "standard::content-type", probe.string()}, ErrorOutput::Discard);
    if (result.exitStatus != 0)
        throw DesktopRegistrationError("gio failed with exit status " + std::to_string(result.exitStatus));
    std::string type = contentTypeIn(result.output);
    return type == "application/octet-stream" ? std::string() : type;
}

void registerFileType(const std::string& extension, const std::string& typeName, const std::string& description,
                      const std::string& programPath)
{
    DesktopFileType type = desktopFileType(extension, typeName);
    if (!fs::path(programPath).is_absolute())
        throw DesktopRegistrationError("the program path \"" + programPath + "\" is not absolute");
    DesktopFolders folders = desktopFolders();

    DesktopChangeSet changes;
    changes.markGenerated(folders.mime);
    changes.markGenerated(folders.applications);
    writeDataFiles(changes, folders, type, description, programPath);
    try {
        updateDatabases(folders);
    } catch (const DesktopRegistrationError&) {
        changes.rollBack();
        rebuildDatabasesQuietly(folders);
        throw;
    }
    changes.commit();
}
