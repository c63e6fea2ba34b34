#include "conversion/pending_output.h"

#include "conversion/interrupt_cleanup.h"

#include "conversion/pending_file.h"
#include "conversion/pending_name.h"
#include "conversion/pending_slots.h"
#include "conversion/pending_stale.h"
#include "conversion/posix/interrupts_waiting.h"
#include "conversion/posix/pending_lock.h"
#include "conversion/posix/writeback_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace {

PendingSlots<char> pendingSlots;

// Opens a new file exclusively under a fresh temporary name and holds it;
// mode 0666 lets the umask give it the permissions of any new file.
int createTemporary(const std::string& finalPath, std::string& temporaryPath)
{
    std::mt19937_64 random(std::random_device{}() ^ static_cast<uint64_t>(getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = temporaryNameBeside(finalPath, random);
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return -1;
        if (fd < 0)
            continue;
        if (holdNewTemporary(fd, temporaryPath))
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// 0 when the final name can be made: the temporary's name is cut to fit,
// but the final one must fit as it is, or the whole conversion would be
// written only for the rename to fail. A missing file is what a new output
// has; a missing folder is reported by creating the temporary.
int checkFinalName(const std::string& finalPath)
{
    struct stat info {};
    return lstat(finalPath.c_str(), &info) == 0 || errno == ENOENT ? 0 : errno;
}

// The new temporary's descriptor, the temporary known to the interrupt
// cleanup; or minus the error number, and nothing made. Interrupts are held
// back, so that a handler never sees a temporary it does not know yet.
int createRegisteredTemporary(const std::string& finalPath, std::string& temporaryPath, int& registration)
{
    const InterruptsHeldBack held;
    const PendingSlots<char>::Change adding(pendingSlots);
    if (!adding.allowed())
        return -EINTR;
    const int fd = createTemporary(finalPath, temporaryPath);
    if (fd < 0) {
        temporaryPath.clear(); // a name another file may have
        return -errno;
    }
    registration = pendingSlots.add(temporaryPath);
    if (registration >= 0)
        return fd;
    const int failed = registration;
    registration = -1;
    ::close(fd);
    ::unlink(temporaryPath.c_str());
    temporaryPath.clear();
    return failed;
}

} // namespace

int PendingOutput::open(const std::string& finalPath, StaleTemporaries& stale)
{
    discard();
    if (const int error = checkFinalName(finalPath); error != 0)
        return error;
    stale.remove(finalPath);
    const int fd = createRegisteredTemporary(finalPath, temporaryPath_, registration_);
    if (fd < 0)
        return -fd;
    stream_ = openWritebackStream(fd);
    if (!stream_) {
        const int error = errno;
        ::close(fd);
        discard();
        return error;
    }
    descriptor_ = fd;
    finalPath_ = finalPath;
    return 0;
}

int PendingOutput::createAgainByName(const std::function<void(const std::string&)>& create)
{
    const InterruptsHeldBack held;
    const PendingSlots<char>::Change creating(pendingSlots);
    if (!creating.allowed())
        return EINTR;
    create(temporaryPath_);
    return 0;
}

int giveFinalAttributes(int descriptor, const std::string& finalPath)
{
    struct stat previous {};
    if (::stat(finalPath.c_str(), &previous) != 0 || !S_ISREG(previous.st_mode))
        return 0;
    // An output its owner kept private must not come back readable by all.
    return fchmod(descriptor, previous.st_mode & 07777) == 0 ? 0 : errno;
}

int syncToDisk(int descriptor)
{
    return fsync(descriptor) == 0 ? 0 : errno;
}

// Renamed while still open: an open temporary is held (see removeIfUnheld),
// a closed one could be taken for one an ended run left behind before it
// had its final name. All is written and on the disk: closing has nothing
// left to fail at. An interrupt that has come stops it as one being taken
// does, also before the thread that cleans up has run.
int putInPlace(std::FILE* stream, const std::string& from, const std::string& to)
{
    const InterruptsHeldBack held; // a handler on this thread would wait for the rename forever
    const PendingSlots<char>::Change placing(pendingSlots);
    int error = EINTR; // the run is being stopped
    if (placing.allowed() && !interruptWaiting())
        error = std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    std::fclose(stream);
    return error;
}

void removeTemporary(const std::string& path)
{
    ::unlink(path.c_str());
}

void forgetPending(int registration)
{
    pendingSlots.remove(registration);
}

void removePendingOutputs() noexcept
{
    pendingSlots.removeAll([](const char* path) { ::unlink(path); });
}
