// Saves the settings file over and over, two versions in turn, announcing the
// first save on standard output, so that a test can kill it while it writes.
#include <QCoreApplication>
#include <cstdio>

#include "settings/settings_file.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    quillo::AppSettings settings;
    std::puts("saving");
    std::fflush(stdout);
    for (int i = 0;; ++i) {
        // Long labels make each save take a while and span several writes.
        settings.FieldLabels[quillo::FieldNo::Writer2] =
            QString(900, i % 2 ? QChar(0x732B) : QChar(0x72AC));
        settings.bounds.left = i % 2 ? 11 : 22;
        quillo::SaveSettings(path, settings);
    }
}
