#pragma once
// The log and error texts of one data file in a batch that converts several
// files at once. The texts are held in order until the file's turn comes to
// be printed; from then on they go straight to the printer, so the file
// being printed holds nothing back however long its log.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Prints one text of the log, or of the error texts when `error` is set.
using TextPrinter = std::function<void(bool error, const std::string& text)>;

class FileLog {
public:
    void addLog(const char* text) { add(false, text); }
    void addError(const std::string& text) { add(true, text); }

    // Prints what is held, in the order it came, and lets every later text
    // through at once.
    void printFromNowOn(const TextPrinter& printer);

private:
    void add(bool error, std::string text);

    struct Text {
        bool error;
        std::string text;
    };
    std::mutex mutex_;
    std::vector<Text> held_;
    const TextPrinter* printer_ = nullptr; // set once printing: no more is held
};
