#pragma once

// Small helpers the fuzz targets share.
#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace quillo::fuzz {

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A folder for the files a target writes, alive for the whole run.
inline const QString& scratchFolder() {
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

// A finding: the target's property does not hold. libFuzzer saves the input.
[[noreturn]] inline void broken(const char* what) {
    fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

}  // namespace quillo::fuzz
