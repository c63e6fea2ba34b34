#pragma once
// The log and error texts of one data file in a batch that converts several
// files at once. The texts are held in order until the file's turn comes to
// be printed; from then on they go straight to the printer, so the file
// being printed holds nothing back however long its log.
//
// What the logs of a batch hold in memory is bounded in bytes, whatever the
// logs: past the bound, a log that holds a fair share writes what it holds
// to a scratch file of its own (gone once closed, also when the program is
// killed) and reads it back when printed. Where no scratch file can be
// written, a conversion whose log is over its share waits for its turn.

#include "core/file_handle.h"

#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Prints one text of the log, or of the error texts when `error` is set.
using TextPrinter = std::function<void(bool error, const std::string& text)>;

// The bytes the logs of one batch may hold in memory together before they
// go to their scratch files, and the least a log writes out at once.
inline constexpr std::size_t HeldLogBytes = std::size_t{4} << 20;
inline constexpr std::size_t SpilledLogBytes = std::size_t{64} << 10;

// What the logs of one batch share; made on the thread that prints them.
class HeldLogs {
public:
    HeldLogs() = default;
    HeldLogs(const HeldLogs&) = delete;
    HeldLogs& operator=(const HeldLogs&) = delete;

private:
    friend class FileLog;

    std::mutex mutex_;                    // guards every log of the batch
    std::condition_variable printing_;    // a log began to be printed
    std::size_t bytes_ = 0;               // held in memory by all of them
    const std::thread::id printerThread_ = std::this_thread::get_id(); // never waits for itself
};

class FileLog {
public:
    explicit FileLog(HeldLogs& shared) : shared_(shared) {}
    ~FileLog();
    FileLog(const FileLog&) = delete;
    FileLog& operator=(const FileLog&) = delete;

    void addLog(const char* text) { add(false, text); }
    void addError(const std::string& text) { add(true, text); }

    // Prints what is held, in the order it came, and lets every later text
    // through at once.
    void printFromNowOn(const TextPrinter& printer);

private:
    struct Text {
        bool error;
        std::string text;
    };

    void add(bool error, std::string text);
    // Writes the texts held in memory to the scratch file; false when it
    // cannot be made or written, and then they stay.
    bool spill();
    void printSpilled(const TextPrinter& printer);
    void forgetHeld();

    HeldLogs& shared_;
    std::vector<Text> held_; // after those in spilled_
    std::size_t heldBytes_ = 0;
    FileHandle spilled_;     // the first texts, when the log had to write them out
    off_t spilledEnd_ = 0;   // the bytes of whole texts in it
    const TextPrinter* printer_ = nullptr; // set once printing: no more is held
};
