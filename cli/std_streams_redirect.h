#pragma once

// Sends everything written to the standard output and error of this process
// (through stdio or straight to the descriptors) to two other descriptors for
// the lifetime of the object; a child forked meanwhile keeps writing there.
class StdStreamsRedirect {
public:
    StdStreamsRedirect(int outFd, int errFd);
    ~StdStreamsRedirect();
    StdStreamsRedirect(const StdStreamsRedirect&) = delete;
    StdStreamsRedirect& operator=(const StdStreamsRedirect&) = delete;

private:
    int savedOut_;
    int savedErr_;
};
