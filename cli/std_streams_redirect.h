#pragma once

// Sends everything written to the standard output and error of this process
// (through stdio or straight to the descriptors) to two other descriptors for
// the lifetime of the object; a child forked meanwhile keeps writing there.
// When the streams cannot be saved for putting back (no descriptor to spare)
// nothing is redirected, so they never stay pointed at the wrong place.
class StdStreamsRedirect {
public:
    StdStreamsRedirect(int outFd, int errFd);
    ~StdStreamsRedirect();
    StdStreamsRedirect(const StdStreamsRedirect&) = delete;
    StdStreamsRedirect& operator=(const StdStreamsRedirect&) = delete;

    // False when nothing was redirected.
    bool active() const { return active_; }

private:
    void putBack();

    int savedOut_;
    int savedErr_;
    bool active_ = false;
};
