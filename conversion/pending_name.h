#pragma once
// The name a pending output is written under before it takes its final name.

#include <random>
#include <string>

// A hidden name beside finalPath, in the same folder, short enough for any
// file system: ".NAME.xxxxxxxx.part", NAME cut to 200 bytes at a character
// boundary, each x a lower-case letter or a digit; a new one on each call.
std::string temporaryNameBeside(const std::string& finalPath, std::mt19937_64& random);

// The names temporaryNameBeside gives for one final path, whichever process
// asked for them.
class TemporaryNamePattern {
public:
    explicit TemporaryNamePattern(const std::string& finalPath);
    // Whether fileName (a name alone, no folder) is one of them.
    bool matches(const std::string& fileName) const;
    // What every one of them starts with.
    const std::string& prefix() const { return prefix_; }
    // Whether fileName may be one of the names for some final path.
    static bool mayBeOne(const std::string& fileName);

private:
    std::string prefix_;
};
