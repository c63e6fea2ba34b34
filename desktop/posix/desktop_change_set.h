#pragma once
// A group of file changes below the desktop's folders that takes effect as a
// whole or not at all. Every file is written under a temporary name and
// renamed into place, so no reader ever sees it half-written; until commit,
// the change set can put back every file it replaced and remove every file
// and folder it created.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace desktop {

class DesktopChangeSet {
public:
    DesktopChangeSet() = default;
    ~DesktopChangeSet(); // rolls back unless committed
    DesktopChangeSet(const DesktopChangeSet&) = delete;
    DesktopChangeSet& operator=(const DesktopChangeSet&) = delete;

    // Creates the folder and any missing parents. Throws
    // DesktopRegistrationError naming the folder on failure.
    void makeFolder(const std::filesystem::path& folder);
    // A folder whose whole content a tool regenerates: when this change set
    // created it, rolling back removes it with everything in it.
    void markGenerated(const std::filesystem::path& folder);
    // Replaces or creates the file (its folder must exist). Throws
    // DesktopRegistrationError naming the file on failure.
    // The file keeps its permissions, and a link to it stays a link.
    void writeFile(const std::filesystem::path& file, const std::string& content);
    // Removes the file when present (not through a link). Throws
    // DesktopRegistrationError naming the file on failure.
    void removeFile(const std::filesystem::path& file);

    void commit() { committed_ = true; }
    // Restores the files and removes the created folders; best effort, since
    // it runs while another failure is being reported.
    void rollBack() noexcept;

private:
    struct ReplacedFile {
        std::filesystem::path file;
        std::optional<std::string> previousContent; // none: the file was new
        std::optional<mode_t> previousMode;
    };

    bool isGenerated(const std::filesystem::path& folder) const;

    std::vector<ReplacedFile> replaced_;
    std::vector<std::filesystem::path> createdFolders_; // parents first
    std::vector<std::filesystem::path> generatedFolders_;
    bool committed_ = false;
};

// Reads a whole file; an absent file gives no content. Throws
// DesktopRegistrationError when the file exists but cannot be read (a folder
// in its place, say).
std::optional<std::string> readFileIfPresent(const std::filesystem::path& file);

// Writes the file under a temporary name in its folder and renames it into
// place, with the permissions given (else the default ones). Throws
// DesktopRegistrationError naming the file on failure.
void writeFileAtomically(const std::filesystem::path& file, const std::string& content,
                         std::optional<mode_t> mode = std::nullopt);

// The file a chain of links ends at (the file itself when not a link), which
// need not exist.
std::filesystem::path linkTarget(const std::filesystem::path& file);
// The permission bits of the file (through links), none when absent.
std::optional<mode_t> fileMode(const std::filesystem::path& file);

} // namespace desktop
