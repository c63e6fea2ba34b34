#pragma once
// The converter's log may go to a stream that stops taking text: a pipe whose
// reader is gone (into head) or a full disk. The conversions go on all the
// same and the exit status still tells their outcome; the first failed write
// to a stream is told once on stderr, and that stream gets nothing more.

#include <cstddef>
#include <cstdio>

// Lets a write to a pipe without a reader fail with EPIPE instead of ending
// this process (and the children it forks) by SIGPIPE, where the system
// sends one.
void keepRunningWhenLogStreamCloses();

// Writes size bytes of log text to stream, unless a write to it failed before.
void writeLog(std::FILE* stream, const char* data, std::size_t size);

// Sends what stream still holds back; a failure is told unless one was before.
void flushLog(std::FILE* stream);
