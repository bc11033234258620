#pragma once

#include <sys/resource.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTextStream>
#include <cstdio>

namespace quillo::bench {

// Prints one figure as "name<TAB>value".
inline void report(const char* name, double value) {
    std::printf("%s\t%.1f\n", name, value);
    std::fflush(stdout);
}

// Times a piece of work in milliseconds and reports it.
template <typename F>
void timed(const char* name, F&& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    report(name, static_cast<double>(timer.nsecsElapsed()) / 1e6);
}

// The process's own peak: VmHWM, which starts again at exec. (getrusage's
// ru_maxrss survives exec, so a child started by a large parent would report
// the parent's peak.)
inline double peakResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Generates a catalogue of `books` books at `db` in a process of its own
// (quillo-bench --generate-only, beside this program), so the making does not
// count in this process's peak memory.
inline void generateInOwnProcess(const QString& db, const QString& books) {
    QProcess::execute(QCoreApplication::applicationDirPath() + QStringLiteral("/quillo-bench"),
                      {QStringLiteral("--db"), db, QStringLiteral("--books"), books,
                       QStringLiteral("--generate-only")});
}

// Writes an SQL script for the sqlite3 shell (UTF-8).
inline void writeScript(const QString& path, const QString& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

}  // namespace quillo::bench
