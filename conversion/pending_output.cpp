#include "conversion/pending_output.h"

#include "conversion/pending_file.h"
#include "conversion/pending_stale.h"

#include <cerrno>

PendingOutput::~PendingOutput()
{
    discard();
}

int PendingOutput::open(const std::string& finalPath)
{
    StaleTemporaries lone;
    return open(finalPath, lone);
}

int PendingOutput::commit()
{
    int error = 0;
    if (std::fflush(stream_) != 0)
        error = errno;
    else if (std::ferror(stream_))
        error = EIO;
    if (error == 0)
        error = giveFinalAttributes(descriptor_, finalPath_);
    // The data must be on the disk before the new name can replace the old
    // file, or a crash could leave an empty file in place of a good one.
    if (error == 0)
        error = syncToDisk(descriptor_);
    if (error == 0) {
        error = putInPlace(stream_, temporaryPath_, finalPath_);
        stream_ = nullptr;
        descriptor_ = -1;
    }
    if (error != 0) {
        discard();
        return error;
    }
    forgetPending(registration_);
    registration_ = -1;
    temporaryPath_.clear();
    return 0;
}

void PendingOutput::discard()
{
    if (stream_)
        std::fclose(stream_);
    stream_ = nullptr;
    descriptor_ = -1;
    if (!temporaryPath_.empty())
        removeTemporary(temporaryPath_);
    forgetPending(registration_);
    registration_ = -1;
    temporaryPath_.clear();
}
