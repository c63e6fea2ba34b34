#pragma once
// Converts data files in child processes, several at a time. The processing
// side keeps its state (processing state, log sink, calibration table) in
// module-level variables, so each conversion gets a process of its own: this
// process prepares the files one by one in their order (report, identify,
// load the calibration), then starts a child that converts the file with the
// loaded calibration (see conversion_children.h). Each file's log and error texts are kept apart and
// printed whole, in the order of the files, as soon as every earlier file is
// done, so the printed result equals that of a one-by-one run. Short of
// descriptors or processes, it holds back fewer logs and runs fewer children,
// down to converting in this process; no file and no log line is lost.
// Stopping the batch (an interrupt, or its process ending) stops every
// conversion before its output is put in place, and no log is printed in
// part.

#include "driver/conversion_driver.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct BatchFile {
    std::string path;       // the data file
    std::string outputPath; // the file its conversion writes
};

struct FileSteps {
    // Runs in this process, in file order. The file's final status, or
    // nothing when the file goes on to be converted.
    std::function<std::optional<FileOutcome>(const std::string& path)> prepare;
    // Runs in a forked child process, or here when no process is to be had.
    std::function<FileOutcome(const std::string& path)> convert;
    // Where a child is a fresh run of the converter: its arguments for the
    // batch's file number `file`, just prepared.
    std::function<std::vector<std::string>(std::size_t file)> childArguments = {};
};

// Runs the steps for every file with at most jobs children at a time and
// prints the logs to out and the error texts to err. Returns the worst
// status. Files that write or read the same file are never converted at the
// same time, so the later one wins as in a one-by-one run.
FileOutcome runInChildProcesses(const std::vector<BatchFile>& files, int jobs, const FileSteps& steps, std::FILE* out,
                                std::FILE* err);
