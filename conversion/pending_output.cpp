#include "conversion/pending_output.h"

#include "conversion/pending_file.h"

#include <cerrno>

PendingOutput::~PendingOutput()
{
    discard();
}

int PendingOutput::commit()
{
    int error = 0;
    if (std::fflush(stream_) != 0)
        error = errno;
    else if (std::ferror(stream_))
        error = EIO;
    if (error == 0)
        error = giveFinalAttributes(stream_, finalPath_);
    // The data must be on the disk before the new name can replace the old
    // file, or a crash could leave an empty file in place of a good one.
    if (error == 0)
        error = syncToDisk(stream_);
    // Renamed while still open: an open temporary is held (see
    // removeIfUnheld), a closed one could be taken for one an ended run left
    // behind before it had its final name.
    if (error == 0)
        error = replaceFile(temporaryPath_, finalPath_);
    if (error != 0) {
        discard();
        return error;
    }
    // All is written and on the disk: closing has nothing left to fail at.
    std::fclose(stream_);
    stream_ = nullptr;
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
    if (!temporaryPath_.empty())
        removeTemporary(temporaryPath_);
    forgetPending(registration_);
    registration_ = -1;
    temporaryPath_.clear();
}
