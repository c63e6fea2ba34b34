#include "conversion/pending_output.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace {

// The temporaries a signal handler may have to remove. A handler can only
// read fixed storage, so each name is copied into a slot of its own.
constexpr int PENDING_SLOTS = 4;
constexpr std::size_t SLOT_PATH_SIZE = 4096;

struct PendingSlot {
    std::atomic<bool> used{false};
    std::atomic<bool> ready{false};
    char path[SLOT_PATH_SIZE];
};

PendingSlot pendingSlots[PENDING_SLOTS];

int registerPending(const std::string& path)
{
    if (path.size() >= SLOT_PATH_SIZE)
        return -1;
    for (int i = 0; i < PENDING_SLOTS; ++i) {
        bool expected = false;
        if (pendingSlots[i].used.compare_exchange_strong(expected, true)) {
            std::memcpy(pendingSlots[i].path, path.c_str(), path.size() + 1);
            pendingSlots[i].ready.store(true);
            return i;
        }
    }
    return -1;
}

void unregisterPending(int slot)
{
    if (slot < 0)
        return;
    pendingSlots[slot].ready.store(false);
    pendingSlots[slot].used.store(false);
}

std::string folderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A hidden name beside the final one, short enough for any file system.
std::string temporaryNameFor(const std::string& finalPath, std::mt19937_64& random)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix = ".";
    for (int i = 0; i < 8; ++i)
        suffix += letters[random() % (sizeof letters - 1)];
    return folderOf(finalPath) + "." + nameOf(finalPath).substr(0, 200) + suffix + ".part";
}

// Opens a new file exclusively under a fresh temporary name; mode 0666 lets
// the umask give it the permissions of any new file.
int createTemporary(const std::string& finalPath, std::string& temporaryPath)
{
    std::mt19937_64 random(std::random_device{}() ^ static_cast<uint64_t>(getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = temporaryNameFor(finalPath, random);
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Holds back every signal for its lifetime, so that a handler never sees a
// temporary that exists but is not yet known to it.
class SignalsHeldBack {
public:
    SignalsHeldBack()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &saved_);
    }
    ~SignalsHeldBack() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    SignalsHeldBack(const SignalsHeldBack&) = delete;
    SignalsHeldBack& operator=(const SignalsHeldBack&) = delete;

private:
    sigset_t saved_{};
};

} // namespace

PendingOutput::~PendingOutput()
{
    discard();
}

int PendingOutput::open(const std::string& finalPath)
{
    discard();
    int fd = -1;
    {
        const SignalsHeldBack held;
        fd = createTemporary(finalPath, temporaryPath_);
        if (fd < 0)
            return errno;
        registration_ = registerPending(temporaryPath_);
    }
    stream_ = fdopen(fd, "wb");
    if (!stream_) {
        const int error = errno;
        ::close(fd);
        discard();
        return error;
    }
    finalPath_ = finalPath;
    return 0;
}

int PendingOutput::commit()
{
    int error = 0;
    if (std::fflush(stream_) != 0)
        error = errno;
    else if (std::ferror(stream_))
        error = EIO;
    // The data must be on the disk before the new name can replace the old
    // file, or a crash could leave an empty file in place of a good one.
    if (error == 0 && fsync(fileno(stream_)) != 0)
        error = errno;
    const int closed = std::fclose(stream_);
    stream_ = nullptr;
    if (error == 0 && closed != 0)
        error = errno;
    if (error == 0 && std::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0)
        error = errno;
    if (error != 0) {
        discard();
        return error;
    }
    unregisterPending(registration_);
    registration_ = -1;
    temporaryPath_.clear();
    return 0;
}

void PendingOutput::discard()
{
    if (stream_)
        std::fclose(stream_);
    stream_ = nullptr;
    if (!temporaryPath_.empty())
        ::unlink(temporaryPath_.c_str());
    unregisterPending(registration_);
    registration_ = -1;
    temporaryPath_.clear();
}

void removePendingOutputs() noexcept
{
    for (PendingSlot& slot : pendingSlots)
        if (slot.ready.load())
            ::unlink(slot.path);
}
