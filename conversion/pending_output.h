#pragma once
// An output file written under a temporary name in its own folder and put in
// place under its final name only once it is finished. A conversion that
// fails or is interrupted thus never leaves a half-written file under the
// final name, and the previous output stays as it was.

#include <cstdio>
#include <functional>
#include <string>

class StaleTemporaries;

class PendingOutput {
public:
    PendingOutput() = default;
    ~PendingOutput(); // removes the temporary unless committed
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    // Creates the temporary beside finalPath, with the permissions a new
    // file would get, and holds it so that no other run takes it for one
    // left behind; first removes those left behind for finalPath, as the
    // run's `stale` found them. The temporary is known to the interrupt
    // cleanup from the moment it exists, or it is not made. Nothing needs
    // to be written to learn that the output cannot be made: 0, or the
    // system error number, which tells the caller what is wrong:
    //   ENAMETOOLONG  the final name (or its path) is too long for the folder,
    //                 or the temporary's path for the interrupt cleanup;
    //   EACCES, EPERM, EROFS  the folder cannot be written to (or a folder on
    //                 the way cannot be entered): the folder is the problem,
    //                 not the output file;
    //   ENOENT, ENOTDIR  the folder does not exist;
    //   EINTR         the program is being stopped;
    //   anything else the system's reason (ENOSPC, EMFILE, ENOMEM, ...).
    int open(const std::string& finalPath, StaleTemporaries& stale);
    // The same for an output that is the only one of its run.
    int open(const std::string& finalPath);

    // Runs create(temporaryPath()) for a library that creates the temporary
    // again by its name, under the same rule as the temporary's making:
    // never once the interrupt cleanup has begun, which could not remove it
    // any more. 0 when it ran; EINTR when the program is being stopped.
    int createAgainByName(const std::function<void(const std::string&)>& create);

    std::FILE* stream() const { return stream_; }
    // Where the temporary is, for a library that opens files by name; what
    // it writes there is put in place by commit like the stream's writes.
    const std::string& temporaryPath() const { return temporaryPath_; }

    // Writes out, syncs and closes the temporary, then renames it over the
    // final name. An output that replaces a file keeps that file's
    // permission bits, as they are at this moment. 0, or the system error
    // number (the temporary is gone).
    int commit();

    // Closes and removes the temporary; the final name is left alone.
    void discard();

private:
    std::FILE* stream_ = nullptr;
    int descriptor_ = -1; // the stream's, for what the stream cannot do
    std::string temporaryPath_;
    std::string finalPath_;
    int registration_ = -1;
};

// Removes every temporary still pending in this process. Safe to call from a
// signal handler (or a console control handler), so that an interrupted
// conversion leaves nothing behind.
void removePendingOutputs() noexcept;
