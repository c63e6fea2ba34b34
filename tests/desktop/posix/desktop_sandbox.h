#pragma once
// A private desktop for one test: HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and
// XDG_CACHE_HOME point into a temporary folder (XDG_DATA_DIRS stays, so the
// system's MIME database is still seen, unless a test adds a package's
// folder), and the environment is put back afterwards.

#include "desktop/posix/desktop_temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

class DesktopSandbox : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    fs::path dataHome() const { return root_.path() / "data"; }
    fs::path configHome() const { return root_.path() / "config"; }
    // Where the test keeps its sample data files, outside both homes.
    fs::path samples() const { return root_.path() / "samples"; }
    // A system data folder, as a package installs it.
    fs::path systemData() const { return root_.path() / "system"; }
    fs::path entryFile() const { return dataHome() / "applications" / "orvantis.desktop"; }
    fs::path mimeappsFile() const { return configHome() / "mimeapps.list"; }

    // An executable stand-in for the program; the desktop ignores entries
    // whose program does not exist.
    fs::path programPath() const;
    fs::path writeSample(const std::string& name, const std::string& content) const;
    // Every file and folder below both homes, with the files' contents.
    std::map<std::string, std::string> desktopSnapshot() const;
    // PATH limited to a folder holding only the named system tools.
    void limitPathTo(const std::vector<std::string>& tools);
    // Puts an executable script of that name first on PATH.
    void shadowTool(const std::string& name, const std::string& script);
    // Writes what the package installs into systemData(), with its MIME
    // database, and puts the folder first in XDG_DATA_DIRS.
    void installPackageFiles();

private:
    desktop::TemporaryFolder root_;
    std::map<std::string, std::optional<std::string>> savedEnvironment_;
};

// GLib's content type of the file, as the file manager sees it.
std::string gioContentType(const fs::path& file);
// Standard output of a program, which must succeed.
std::string outputOf(const std::vector<std::string>& arguments);
std::string readText(const fs::path& file);
// A text data file and a binary data file as the instrument writes them.
std::string textDataFile();
std::string binaryDataFile();
