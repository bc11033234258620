// The settings file: any bytes load, and what loaded saves and loads again the same.
#include <QFile>

#include "fuzz_support.h"
#include "settings/profile_file.h"
#include "settings/settings_file.h"

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::scratchFolder() + QStringLiteral("/in.Ini");
    const QString copy = fuzz::scratchFolder() + QStringLiteral("/out.Ini");
    QFile in(path);
    if (!in.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    in.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    in.close();
    AppSettings loaded;
    LoadSettings(path, loaded);
    QFile::remove(copy);
    try {
        SaveSettings(copy, loaded);
    } catch (const SettingsFileError&) {
        return 0;  // a text Shift-JIS cannot hold is refused, never written garbled
    }
    AppSettings again;
    LoadSettings(copy, again);
    if (again.FieldLabels != loaded.FieldLabels || again.SortField1 != loaded.SortField1 ||
        again.SortField2 != loaded.SortField2 || again.bounds != loaded.bounds ||
        again.RecordFont != loaded.RecordFont || again.AddStringStart != loaded.AddStringStart ||
        again.ConfirmDelete != loaded.ConfirmDelete)
        fuzz::broken("settings changed on their way through the file");
    return 0;
}
