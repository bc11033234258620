#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QList>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace quillo::bench {

inline long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// One run of another program: its wall time from just before it was started to
// its end, its peak memory (ru_maxrss), what it wrote to standard output and how
// it ended.
struct ChildRun {
    long long startNs = 0;
    double wallMs = 0;
    double peakMb = 0;
    QByteArray output;
    int status = -1;  // the exit status, or -1 when it did not exit normally
};

// Runs `args` (the program first) with standard input from `input` (a file, or
// /dev/null) and standard error discarded; `environment` holds NAME=VALUE pairs
// to set.
inline ChildRun runChild(const QList<QByteArray>& args, const QByteArray& input = "/dev/null",
                         const QList<QByteArray>& environment = {}) {
    int out[2];
    ChildRun run;
    if (pipe(out) != 0)
        return run;
    run.startNs = monotonicNs();
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        if (const int quiet = open("/dev/null", O_WRONLY); quiet >= 0)
            dup2(quiet, STDERR_FILENO);
        if (const int in = open(input.constData(), O_RDONLY); in >= 0)
            dup2(in, STDIN_FILENO);
        for (const QByteArray& pair : environment)
            putenv(const_cast<char*>(pair.constData()));
        std::vector<char*> argv;
        for (const QByteArray& a : args)
            argv.push_back(const_cast<char*>(a.constData()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, static_cast<qsizetype>(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.wallMs = static_cast<double>(monotonicNs() - run.startNs) / 1e6;
    run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace quillo::bench
