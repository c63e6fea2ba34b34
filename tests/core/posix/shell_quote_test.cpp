// Quoted arguments read back by the system's shell: each comes out of
// printf exactly as it went in, whatever bytes it holds.

#include "core/shell_quote.h"

#include "seeded_random.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// What /bin/sh prints for `printf '[%s]\n' ARGUMENTS...`, the arguments quoted.
std::string echoedByShell(const std::vector<std::string>& arguments)
{
    std::string command = "printf '[%s]\\n'";
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    const std::unique_ptr<FILE, int (*)(FILE*)> shell(popen(command.c_str(), "r"), pclose);
    if (!shell)
        return "popen failed";
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, shell.get())) > 0;)
        output.append(buffer, n);
    return output;
}

std::string expectedEcho(const std::vector<std::string>& arguments)
{
    std::string text;
    for (const std::string& argument : arguments)
        text += "[" + argument + "]\n";
    return text;
}

TEST(ShellQuote, SafeArgumentsStayBareOthersAreQuoted)
{
    EXPECT_EQ(shellQuoted("--time-units"), "--time-units");
    EXPECT_EQ(shellQuoted("/data/CAST_01,a@b%c+d=e:f.ASC"), "/data/CAST_01,a@b%c+d=e:f.ASC");
    EXPECT_EQ(shellQuoted(""), "''");
    EXPECT_EQ(shellQuoted("platform=RV Test"), "'platform=RV Test'");
    EXPECT_EQ(shellQuoted("it's"), "'it'\\''s'");
    EXPECT_EQ(shellQuoted("~"), "'~'");
}

TEST(ShellQuote, TheShellReadsEveryArgumentBackAsItWas)
{
    std::vector<std::string> arguments = {"",      "'",  "''",  "a b",   "$HOME", "`id`",  "$(id)",
                                          "\\",    "\n", "*",   "?",     "~root", "#x",    "!",
                                          "a'b'c", "\"", "x;y", "a&b|c", "<>",    "{a,b}", "\t"};
    EXPECT_EQ(echoedByShell(arguments), expectedEcho(arguments));
    SeededRandom<std::mt19937> random(std::random_device{}());
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<int> byte(1, 255); // an argument cannot hold NUL
    for (int round = 0; round < 20; ++round) {
        arguments.assign(100, {});
        for (std::string& argument : arguments)
            for (int k = length(random); k > 0; --k)
                argument += static_cast<char>(byte(random));
        EXPECT_EQ(echoedByShell(arguments), expectedEcho(arguments)) << "round " << round;
    }
}

} // namespace
