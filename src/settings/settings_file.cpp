#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "platform/app_folders.h"
#include "settings/profile_file.h"
#include "settings/settings_keys.h"

namespace quillo {

std::optional<int> parseProfileInteger(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    int value = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = t.mid(2).toInt(&ok, 16);
    else
        value = t.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

int FontStyleCode(const FontSetting& font) {
    if (font.underline || font.strikeOut)
        return 0;
    return (font.bold ? 1 : 0) + (font.italic ? 2 : 0);
}

void SetFontStyleFromCode(FontSetting& font, int code) {
    if (code < 1 || code > 3)
        code = 0;
    font.bold = (code & 1) != 0;
    font.italic = (code & 2) != 0;
    font.underline = false;
    font.strikeOut = false;
}

QString IniPath() {
    return IniPathOf(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

QString IniPathOf(const QString& program) {
    const QString file = program + QStringLiteral(".Ini");
    return QDir(programDataFolder(QStandardPaths::AppConfigLocation, file)).filePath(file);
}

void LoadSettings(const QString& path, AppSettings& s) {
    const ProfileFile file(path);
    // A file from before the choice of order existed (or with an order this
    // version does not know) reads in JIS order, as it had; only a first run
    // starts in reading order.
    s.SortReading = !QFileInfo::exists(path);
    s.SortJis = !s.SortReading;
    for (const SettingKey& key : settingKeys()) {
        if (!key.read)
            continue;
        const bool present = file.contains(key.section, key.key);
        if (present || key.missingGivesDefault)
            key.read(s, present ? file.readString(key.section, key.key, QString()) : QString());
    }
}

QString SaveSettings(const QString& path, const AppSettings& s) {
    ProfileFile file(path);
    for (const SettingKey& key : settingKeys())
        file.writeString(key.section, key.key, key.write(s));
    return file.save();
}

}  // namespace quillo
