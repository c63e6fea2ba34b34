#include "file_size_limit.h"

#include "sample_files.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

std::pair<int, std::string> convertWithFileSizeLimit(const std::function<int()>& conversion, rlim_t limit,
                                                     const LogCapture& log, const std::string& report)
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &limited);
        const int result = conversion();
        setrlimit(RLIMIT_FSIZE, &saved);
        writeFile(report, std::to_string(result) + "\n" + log.joined());
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const std::string text = readFile(report);
    const auto lineEnd = text.find('\n');
    return {std::stoi(text.substr(0, lineEnd)), text.substr(lineEnd + 1)};
}
