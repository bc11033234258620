// Runs a command and prints its wall time in milliseconds and its peak memory in
// MB, tab-separated: the same yardstick for the sqlite3 shell and for quillo-csv.
// Usage: quillo-measure [--stdin FILE] PROGRAM [ARGS...]
#include <cstdio>
#include <cstring>

#include "child_process.h"

int main(int argc, char* argv[]) {
    int first = 1;
    QByteArray input = "/dev/null";
    if (argc > 2 && std::strcmp(argv[1], "--stdin") == 0) {
        input = argv[2];
        first = 3;
    }
    QList<QByteArray> args;
    for (int i = first; i < argc; ++i)
        args << QByteArray(argv[i]);
    if (args.isEmpty())
        return 2;
    const quillo::bench::ChildRun run = quillo::bench::runChild(args, input);
    std::printf("%.1f\t%.1f\n", run.wallMs, run.peakMb);
    return run.status == 0 ? 0 : 1;
}
