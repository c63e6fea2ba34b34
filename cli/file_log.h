#pragma once
// The log and error texts of one data file in a batch that converts several
// files at once. The texts are held in order until the file's turn comes to
// be printed; from then on they go straight to the streams, so the file
// being printed holds nothing back however long its log.

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

class FileLog {
public:
    // A text of the log (stdout) or of the error texts (stderr).
    void addLog(const char* text);
    void addError(const std::string& text);

    // Prints what is held, in the order it came, and lets every later text
    // through at once.
    void printFromNowOn(std::FILE* out, std::FILE* err);

private:
    struct Text {
        bool error;
        std::string text;
    };
    void print(const Text& text);

    std::mutex mutex_;
    std::vector<Text> held_;
    std::FILE* out_ = nullptr; // set once printing: no more is held
    std::FILE* err_ = nullptr;
};
