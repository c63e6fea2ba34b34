#include "store/posix/sqlite_store_file.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "store/key_store.h"
#include "store/posix/sqlite_store_schema.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(StoreFaultKind kind, const fs::path& path, std::string detail = {})
{
    throw KeyStoreError({kind, path.string(), std::move(detail)});
}

// Removes the file when it goes out of scope.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() { unlink(path_.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void makeFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        fail(StoreFaultKind::FolderNotMade, folder, error.message());
    }
}

// Makes a whole store beside `file` and links it to that name. When another
// copy of the program has put its own there meanwhile, that one stays.
void makeStoreFile(const fs::path& file, int busyTimeoutMs)
{
    std::string pattern = file.string() + ".new-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        fail(StoreFaultKind::NotMade, file, std::strerror(errno));
    }
    close(fd);
    const TemporaryFile temporary(pattern);
    {
        SqliteDb db = openSqliteDb(temporary.path(), SQLITE_OPEN_READWRITE, busyTimeoutMs);
        createStoreSchema(db.get());
    } // closing the last connection folds the log into the file
    if (link(temporary.path().c_str(), file.c_str()) != 0 && errno != EEXIST) {
        fail(StoreFaultKind::NotMade, file, std::strerror(errno));
    }
}

// The file as a URI that SQLite reads without locks or side files: safe only
// for a file that no copy of the program can change meanwhile.
std::string unchangingFileUri(const fs::path& file)
{
    std::string uri = "file:";
    for (const char byte : file.string()) {
        const auto c = static_cast<unsigned char>(byte);
        if (std::isalnum(c) || std::strchr("/-._~", c)) {
            uri += static_cast<char>(c);
        } else {
            static const char Hex[] = "0123456789ABCDEF";
            uri += {'%', Hex[c >> 4], Hex[c & 0xF]};
        }
    }
    return uri + "?immutable=1";
}

// Makes the store when there is none; reports what stands in its place when
// that is no store file.
void ensureStoreFile(const fs::path& file, int busyTimeoutMs)
{
    struct stat status {};
    if (stat(file.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            fail(StoreFaultKind::CannotOpen, file, std::strerror(errno));
        }
        makeStoreFile(file, busyTimeoutMs);
    } else if (S_ISDIR(status.st_mode)) {
        fail(StoreFaultKind::NotAFile, file);
    } else if (status.st_size == 0) {
        fail(StoreFaultKind::Empty, file);
    }
}

} // namespace

SqliteDb openStoreFile(const fs::path& file, int busyTimeoutMs)
{
    if (file.empty()) {
        fail(StoreFaultKind::NoLocation, file);
    }
    makeFolder(file.parent_path());
    ensureStoreFile(file, busyTimeoutMs);
    // SQLite opens a file this user cannot write for reading only.
    SqliteDb db = openSqliteDb(file.string(), SQLITE_OPEN_READWRITE, busyTimeoutMs);
    try {
        checkIsStore(db.get());
        return db;
    } catch (const KeyStoreError& error) {
        if (error.fault().kind != StoreFaultKind::ReadOnly) {
            throw;
        }
    }
    // Reading in WAL mode needs side files beside the store, which a folder
    // this user cannot write does not take. No copy of the program run by
    // this user can write such a store, so it is read as unchanging.
    db = openSqliteDb(unchangingFileUri(file), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, busyTimeoutMs);
    checkIsStore(db.get());
    return db;
}
