#include "desktop/desktop_file_types.h"

#include "desktop/posix/desktop_change_set.h"
#include "desktop/posix/desktop_entry.h"
#include "desktop/posix/desktop_folders.h"
#include "desktop/posix/desktop_icons.h"
#include "desktop/posix/desktop_mime_database.h"
#include "desktop/posix/desktop_mime_package.h"
#include "desktop/posix/desktop_mimeapps.h"
#include "desktop/posix/desktop_paths.h"
#include "desktop/posix/desktop_process.h"
#include "desktop/posix/desktop_text.h"

#include <algorithm>

namespace fs = std::filesystem;
using namespace desktop;

namespace {

const char* const MimeTool = "update-mime-database";
const char* const ApplicationsTool = "update-desktop-database";

struct UserFolders : DataFolders {
    fs::path config;
    fs::path mimeapps;
    UserFolders() : DataFolders(userDataHome()), config(userConfigHome()), mimeapps(config / "mimeapps.list") {}
};

// What an installed package already gives every user.
struct SystemProvides {
    bool type = false;
    bool entry = false;
};

SystemProvides systemProvides(const DesktopFileType& type)
{
    return {systemDataFile(fs::path("mime") / "packages" / type.packageFileName()).has_value(),
            systemDataFile(fs::path("applications") / DesktopEntryId).has_value()};
}

// The tools whose databases a change set touched.
struct Refresh {
    bool mime = false;
    bool applications = false;
};

std::vector<std::string> withType(std::vector<std::string> types, const std::string& type)
{
    if (std::find(types.begin(), types.end(), type) == types.end())
        types.push_back(type);
    return types;
}

std::vector<std::string> withoutType(std::vector<std::string> types, const std::string& type)
{
    types.erase(std::remove(types.begin(), types.end(), type), types.end());
    return types;
}

void writeTypeFiles(DesktopChangeSet& changes, const UserFolders& folders, const DesktopFileType& type,
                    const std::string& description)
{
    changes.makeFolder(folders.mime / "packages");
    changes.writeFile(folders.package(type), mimePackageText(type, description));
    changes.makeFolder(folders.typeIcons);
    changes.writeFile(folders.typeIcon(type), dataFileIconSvg());
}

// Keeps the types registered before, so that both extensions stay with the program.
void writeEntryFiles(DesktopChangeSet& changes, const UserFolders& folders, const DesktopFileType& type,
                     const std::string& programPath)
{
    changes.makeFolder(folders.programIcons);
    changes.writeFile(folders.programIcon(), programIconSvg());
    changes.makeFolder(folders.applications);
    std::vector<std::string> types = entryMimeTypes(readFileIfPresent(folders.entry()).value_or(""));
    changes.writeFile(folders.entry(), desktopEntryText(programPath, withType(types, type.mimeType)));
}

void writeDefaultApplication(DesktopChangeSet& changes, const UserFolders& folders, const DesktopFileType& type)
{
    changes.makeFolder(folders.config);
    std::string list = readFileIfPresent(folders.mimeapps).value_or("");
    changes.writeFile(folders.mimeapps, withDefaultApplication(list, type.mimeType, DesktopEntryId));
}

// The desktop-file cache only speeds up look-ups, so a system without its
// tool still opens the files; the MIME database is what names them at all.
RegistrationNotes refreshDatabases(const UserFolders& folders, const Refresh& refresh)
{
    RegistrationNotes notes;
    if (refresh.mime)
        runTool({MimeTool, folders.mime.string()});
    if (refresh.applications && !programOnPath(ApplicationsTool))
        notes.push_back(std::string(ApplicationsTool) + " is not installed, so the desktop's cache of " +
                        "applications was not refreshed; the association works without it.");
    else if (refresh.applications)
        runTool({ApplicationsTool, folders.applications.string()});
    return notes;
}

// After a roll-back the databases are rebuilt from the restored files; a
// failure here changes nothing about the failure already being reported.
void rebuildDatabasesQuietly(const UserFolders& folders) noexcept
{
    try {
        std::error_code error;
        if (fs::exists(folders.mime / "packages", error))
            runProgram({MimeTool, folders.mime.string()}, ErrorOutput::Discard);
        if (fs::exists(folders.applications, error) && programOnPath(ApplicationsTool))
            runProgram({ApplicationsTool, folders.applications.string()}, ErrorOutput::Discard);
    } catch (const std::exception&) {
    }
}

RegistrationNotes refreshOrRollBack(DesktopChangeSet& changes, const UserFolders& folders, const Refresh& refresh)
{
    try {
        RegistrationNotes notes = refreshDatabases(folders, refresh);
        changes.commit();
        return notes;
    } catch (const DesktopRegistrationError&) {
        changes.rollBack();
        rebuildDatabasesQuietly(folders);
        throw;
    }
}

// Removing the entry or the type leaves the entry rewritten without the type,
// or gone with the program's icon when no type is left.
bool removeTypeFromEntry(DesktopChangeSet& changes, const UserFolders& folders, const DesktopFileType& type)
{
    std::optional<std::string> entry = readFileIfPresent(folders.entry());
    if (!entry)
        return false;
    std::vector<std::string> types = entryMimeTypes(*entry);
    std::vector<std::string> kept = withoutType(types, type.mimeType);
    if (kept.size() == types.size())
        return false;
    if (kept.empty()) {
        changes.removeFile(folders.entry());
        changes.removeFile(folders.programIcon());
    } else {
        changes.writeFile(folders.entry(), desktopEntryText(entryProgram(*entry), kept));
    }
    return true;
}

void removeDefaultApplication(DesktopChangeSet& changes, const UserFolders& folders, const DesktopFileType& type)
{
    std::optional<std::string> list = readFileIfPresent(folders.mimeapps);
    if (!list)
        return;
    std::string edited = withoutDefaultApplication(*list, type.mimeType, DesktopEntryId);
    if (edited == *list)
        return;
    std::error_code error;
    if (trimmed(edited).empty() && !fs::is_symlink(folders.mimeapps, error))
        changes.removeFile(folders.mimeapps);
    else
        changes.writeFile(folders.mimeapps, edited);
}

void removeFolderIfEmpty(const fs::path& folder)
{
    std::error_code error;
    if (fs::is_directory(folder, error) && fs::is_empty(folder, error))
        fs::remove(folder, error);
}

bool holdsOnly(const fs::path& folder, const std::string& name)
{
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error || it == fs::directory_iterator() || it->path().filename() != name)
        return false;
    return ++it == fs::directory_iterator();
}

// Folders that only held what the registration wrote go as well: the MIME
// database without packages is nothing but generated files, the desktop
// folder without entries nothing but its cache.
void removeLeftovers(const UserFolders& folders)
{
    std::error_code error;
    removeFolderIfEmpty(folders.mime / "packages");
    if (fs::is_directory(folders.mime, error) && !fs::exists(folders.mime / "packages", error))
        fs::remove_all(folders.mime, error);
    removeFolderIfEmpty(folders.typeIcons);
    removeFolderIfEmpty(folders.programIcons);
    removeFolderIfEmpty(folders.programIcons.parent_path());
    removeFolderIfEmpty(folders.programIcons.parent_path().parent_path());
    removeFolderIfEmpty(folders.programIcons.parent_path().parent_path().parent_path());
    if (holdsOnly(folders.applications, "mimeinfo.cache")) {
        fs::remove(folders.applications / "mimeinfo.cache", error);
        removeFolderIfEmpty(folders.applications);
    }
}

void requireAbsolute(const std::string& programPath)
{
    if (!fs::path(programPath).is_absolute())
        throw DesktopRegistrationError("the program path \"" + programPath + "\" is not absolute");
}

} // namespace

std::string currentFileType(const std::string& extension)
{
    if (extension.find('/') != std::string::npos)
        throw DesktopRegistrationError("invalid file extension \"" + extension + "\"");
    // Once the desktop knows the program's type, the program's data files
    // with the extension are of that type, whatever the name alone says.
    if (const ProgramFileType* own = programFileTypeFor(extension)) {
        std::string ownType = desktopFileType(own->extension, own->typeName).mimeType;
        if (typeIsKnown(ownType))
            return ownType;
    }
    return typeNamingExtension(extension);
}

RegistrationNotes registerFileType(const std::string& extension, const std::string& typeName,
                                   const std::string& description, const std::string& programPath)
{
    DesktopFileType type = desktopFileType(extension, typeName);
    requireAbsolute(programPath);
    UserFolders folders;
    SystemProvides provided = systemProvides(type);

    DesktopChangeSet changes;
    changes.markGenerated(folders.mime);
    changes.markGenerated(folders.applications);
    if (!provided.type)
        writeTypeFiles(changes, folders, type, description);
    if (!provided.entry)
        writeEntryFiles(changes, folders, type, programPath);
    writeDefaultApplication(changes, folders, type);
    return refreshOrRollBack(changes, folders, {!provided.type, !provided.entry});
}

RegistrationNotes removeFileType(const std::string& extension, const std::string& typeName)
{
    DesktopFileType type = desktopFileType(extension, typeName);
    UserFolders folders;
    std::error_code error;
    Refresh refresh{fs::exists(folders.package(type), error), false};

    DesktopChangeSet changes;
    changes.removeFile(folders.package(type));
    changes.removeFile(folders.typeIcon(type));
    refresh.applications = removeTypeFromEntry(changes, folders, type);
    removeDefaultApplication(changes, folders, type);
    RegistrationNotes notes = refreshOrRollBack(changes, folders, refresh);
    removeLeftovers(folders);
    return notes;
}

FileTypeStatus fileTypeStatus(const std::string& extension, const std::string& typeName)
{
    DesktopFileType type = desktopFileType(extension, typeName);
    UserFolders folders;
    SystemProvides provided = systemProvides(type);
    std::error_code error;
    bool ownType = fs::exists(folders.package(type), error);
    std::vector<std::string> entryTypes = entryMimeTypes(readFileIfPresent(folders.entry()).value_or(""));
    bool ownEntry = std::find(entryTypes.begin(), entryTypes.end(), type.mimeType) != entryTypes.end();

    FileTypeStatus status;
    status.fileType = type.mimeType;
    status.known = (ownType || provided.type) && (ownEntry || provided.entry);
    status.systemWide = !ownType && !ownEntry && provided.type && provided.entry;
    status.programOpensIt =
        defaultApplication(readFileIfPresent(folders.mimeapps).value_or(""), type.mimeType) == DesktopEntryId;
    return status;
}
