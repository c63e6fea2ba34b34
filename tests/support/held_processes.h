#pragma once
// Processes held still with SIGSTOP, so that a test can look at what they
// have written at one moment and then let them take a signal, and the signs
// a test waits on before that.

#include <sys/types.h>

#include <filesystem>
#include <string>

// Stops the process and returns once the system shows it stopped (or ended).
void holdStill(pid_t process);

// Waits until `count` files whose names end with `ending` have been created
// in the folder since the watch was made.
class FolderWatch {
public:
    explicit FolderWatch(const std::filesystem::path& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // False when the watch failed.
    bool waitForCreated(const std::string& ending, int count);
    // The same, but false too once the end of the pipe `alive` is reached:
    // the processes that held its other end have all ended.
    bool waitForCreated(const std::string& ending, int count, int alive);

private:
    int fd_;
};
