#include "desktop_sandbox.h"

#include "desktop/posix/desktop_installed_files.h"
#include "desktop/posix/desktop_process.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace desktop;

namespace {

const char* const ChangedVariables[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "PATH",
                                        "HOME",          "XDG_CACHE_HOME",  "XDG_DATA_DIRS"};

void writeFile(const fs::path& file, const std::string& content)
{
    std::ofstream out(file, std::ios::binary);
    out << content;
    ASSERT_TRUE(out.good()) << file;
}

} // namespace

void DesktopSandbox::SetUp()
{
    for (const char* name : ChangedVariables) {
        const char* value = std::getenv(name);
        savedEnvironment_[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    fs::create_directories(dataHome());
    fs::create_directories(configHome());
    fs::create_directories(samples());
    // The tools must not reach the real home folder either.
    fs::create_directories(root_.path() / "home");
    setenv("HOME", (root_.path() / "home").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_.path() / "cache").c_str(), 1);
    setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
    setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
}

void DesktopSandbox::TearDown()
{
    for (const auto& [name, value] : savedEnvironment_) {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    EXPECT_TRUE(fs::is_empty(root_.path() / "home")) << "a tool wrote into the home folder";
    // Folders a test made read-only must go with the sandbox.
    for (const auto& entry : fs::recursive_directory_iterator(root_.path()))
        if (entry.is_directory() && !entry.is_symlink())
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
}

fs::path DesktopSandbox::writeSample(const std::string& name, const std::string& content) const
{
    fs::path file = samples() / name;
    writeFile(file, content);
    return file;
}

fs::path DesktopSandbox::programPath() const
{
    fs::path program = samples() / "orvantis";
    if (!fs::exists(program)) {
        writeFile(program, "#!/bin/sh\nexit 0\n");
        fs::permissions(program, fs::perms::owner_all);
    }
    return program;
}

std::map<std::string, std::string> DesktopSandbox::desktopSnapshot() const
{
    std::map<std::string, std::string> snapshot;
    for (const fs::path& home : {dataHome(), configHome()}) {
        if (!fs::is_directory(home)) {
            snapshot[home.string()] = "(not a folder)";
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(home)) {
            std::string name = entry.path().string();
            snapshot[name] = entry.is_regular_file() ? readText(entry.path()) : "(folder)";
        }
    }
    return snapshot;
}

void DesktopSandbox::limitPathTo(const std::vector<std::string>& tools)
{
    fs::path bin = root_.path() / "bin";
    fs::create_directories(bin);
    for (const std::string& tool : tools)
        fs::create_symlink(fs::path("/usr/bin") / tool, bin / tool);
    setenv("PATH", bin.c_str(), 1);
}

void DesktopSandbox::shadowTool(const std::string& name, const std::string& script)
{
    fs::path bin = root_.path() / "shadow";
    fs::create_directories(bin);
    writeFile(bin / name, "#!/bin/sh\n" + script + "\n");
    fs::permissions(bin / name, fs::perms::owner_all);
    std::string path = bin.string() + ":" + std::getenv("PATH");
    setenv("PATH", path.c_str(), 1);
}

void DesktopSandbox::installPackageFiles()
{
    writeInstalledDesktopFiles(systemData());
    outputOf({"update-mime-database", (systemData() / "mime").string()});
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = systemData().string() + ":" + (dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
    setenv("XDG_DATA_DIRS", list.c_str(), 1);
}

std::string gioContentType(const fs::path& file)
{
    std::string output = outputOf({"gio", "info", "-a", "standard::content-type", file.string()});
    const std::string label = "standard::content-type: ";
    size_t start = output.find(label);
    if (start == std::string::npos)
        return "(no content type in: " + output + ")";
    start += label.size();
    return output.substr(start, output.find('\n', start) - start);
}

std::string outputOf(const std::vector<std::string>& arguments)
{
    ProgramResult result = runProgram(arguments, ErrorOutput::Discard);
    EXPECT_EQ(result.exitStatus, 0) << arguments.at(0);
    return result.output;
}

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string textDataFile()
{
    return "Tidelume HyperOCR SN,0123\n"
           "Channel 1\n"
           "12.5,21.3,12.1,0.0,0,1,1.0,512,510,64,1,1,3,1021,1034,1050\n"
           "12.6,21.3,12.1,0.0,0,1,1.0,512,510,64,1,1,3,1022,1033,1052\n";
}

std::string binaryDataFile()
{
    std::string data = "Tidelume HyperOCR SN,0123\nChannel 2\n";
    for (int record = 0; record < 3; ++record) {
        data += '\x0F';
        for (int i = 0; i < 40; ++i)
            data += static_cast<char>((record * 41 + i * 7) & 0xFF);
    }
    return data;
}
