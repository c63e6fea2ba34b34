#pragma once

// Outcome of one data file's conversion; also the exit status of a run, so
// the values are ordered to let the worst outcome win.
enum class FileStatus { Converted = 0, Skipped = 1, CalibrationUnreadable = 2 };
