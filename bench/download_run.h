#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

// What one run of qorb-download cost, from its start to its end.
struct DownloadRun {
    bool complete = false;  // exit status 0
    double wall = 0;        // s
    double cpu = 0;         // s, user and system
    long maxResident = 0;   // KiB
};

// Runs qorb-download (QORB_DOWNLOAD_PATH) with the arguments and waits for its end.
inline DownloadRun runDownload(const std::vector<std::string>& arguments) {
    std::vector<std::string> line = {QORB_DOWNLOAD_PATH};
    line.insert(line.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : line) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    DownloadRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.complete = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.maxResident = usage.ru_maxrss;
    return run;
}

}  // namespace bench
