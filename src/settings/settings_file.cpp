#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "platform/app_folders.h"
#include "platform/cp932.h"
#include "settings/profile_file.h"

namespace quillo {

namespace {

const QString kVersion = QStringLiteral("1.2.1");

// Keys of the per-field sections, by field number.
const char* const kFieldKeys[kFieldCount] = {
    "ID",   "Title",      "Writer", "Publisher", "PubDate", "BuyDate", "SubTitle",
    "Kind", "Translator", "Memo",   "Writer2",   "Writer3", "Writer4", "Writer5"};
const char* const kLabelKeys[kFieldCount] = {
    "NAME_ID",      "NAME_TITLE",    "NAME_WRITER",  "NAME_PUBLISH",    "NAME_PUBDATE",
    "NAME_BUYDATE", "NAME_SUBTITLE", "NAME_KIND",    "NAME_TRANSLATOR", "NAME_MEMO",
    "NAME_WRITER2", "NAME_WRITER3",  "NAME_WRITER4", "NAME_WRITER5"};

QString L(const char* text) {
    return QString::fromLatin1(text);
}

// Cuts a text to at most the given number of Shift-JIS bytes, never inside a
// double-byte character.
QString cutToBytes(const QString& text, qsizetype maxBytes) {
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bytes += Cp932::byteLength(text.mid(i, 1));
        if (bytes > maxBytes)
            return text.left(i);
    }
    return text;
}

const QString kJisCollation = QStringLiteral("JIS");
const QString kCodePointCollation = QStringLiteral("CodePoint");
const QString kReadingCollation = QStringLiteral("Reading");

class Reader {
public:
    explicit Reader(const QString& path) : m_file(path) {}
    int integer(const char* section, const char* key, int fallback) const {
        return parseProfileInteger(m_file.readString(L(section), L(key), QString()))
            .value_or(fallback);
    }
    bool boolean(const char* section, const char* key, bool fallback) const {
        return integer(section, key, fallback ? 1 : 0) != 0;
    }
    QString text(const char* section, const char* key, const QString& fallback) const {
        return cutToBytes(m_file.readString(L(section), L(key), fallback), kMaxSettingsTextBytes);
    }

private:
    ProfileFile m_file;
};

class Writer {
public:
    explicit Writer(const QString& path) : m_file(path) {}
    void integer(const char* section, const char* key, int value) {
        m_file.writeString(L(section), L(key), QString::number(value));
    }
    void boolean(const char* section, const char* key, bool value) {
        integer(section, key, value ? 1 : 0);
    }
    void text(const char* section, const char* key, const QString& value) {
        m_file.writeString(L(section), L(key), value);
    }
    QString save() { return m_file.save(); }

private:
    ProfileFile m_file;
};

void readFont(const Reader& r, const char* name, const char* size, const char* style,
              FontSetting& font) {
    font.name = r.text("Font", name, font.name);
    font.size = r.integer("Font", size, font.size);
    SetFontStyleFromCode(font, r.integer("Font", style, 0));
}

}  // namespace

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
    const Reader r(path);
    s.bounds.left = r.integer("Window", "Left", s.bounds.left);
    s.bounds.top = r.integer("Window", "Top", s.bounds.top);
    s.bounds.width = r.integer("Window", "Width", s.bounds.width);
    s.bounds.height = r.integer("Window", "Height", s.bounds.height);
    s.ToolBarShown = r.boolean("Window", "ToolBar", s.ToolBarShown);
    s.StatusBarShown = r.boolean("Window", "StatusBar", s.StatusBarShown);
    s.ViewType = r.integer("Window", "ViewType", s.ViewType);
    s.SortField1 = r.text("SortField", "FieldName", s.SortField1);
    s.SortField2 = r.text("SortField", "FieldName2", s.SortField2);
    s.SortOption = r.integer("SortField", "Option", s.SortOption);
    // A file from before the choice existed has no [SortOrder]: JIS order, as
    // it had. Only a first run starts in reading order.
    const QString collation = r.text("SortOrder", "Collation",
                                     QFileInfo::exists(path) ? kJisCollation : kReadingCollation);
    s.SortReading = collation.compare(kReadingCollation, Qt::CaseInsensitive) == 0;
    s.SortJis = !s.SortReading && collation.compare(kCodePointCollation, Qt::CaseInsensitive) != 0;
    for (int k = 1; k < kFieldCount; ++k) {
        int& width = s.FieldWidths[static_cast<size_t>(k)];
        // A width too small to grab (0 from an older version's drag) shows the
        // column at its default width.
        const int stored = r.integer("FieldWidth", kFieldKeys[k], width);
        if (stored >= AppSettings::kMinimumColumnWidth)
            width = stored;
    }
    for (int k = 0; k < kFieldCount; ++k) {
        bool& visible = s.FieldVisible[static_cast<size_t>(k)];
        visible = r.boolean("FieldVisible", kFieldKeys[k], visible);
    }
    readFont(r, "Name", "Size", "Style", s.RecordFont);
    readFont(r, "TitleName", "TitleSize", "TitleStyle", s.TitleFont);
    s.CopyType = r.integer("ClipboardSetting", "CopyType", s.CopyType);
    s.CopyAddLabel = r.boolean("ClipboardSetting", "CopyAddLabel", s.CopyAddLabel);
    s.CopyAddChar = r.boolean("ClipboardSetting", "CopyAddChar", s.CopyAddChar);
    s.AddStringStart = r.text("ClipboardSetting", "AddStringStart", s.AddStringStart);
    s.AddStringEnd = r.text("ClipboardSetting", "AddStringEnd", s.AddStringEnd);
    s.SkipPoorField = r.boolean("ClipboardSetting", "SkipPoorField", s.SkipPoorField);
    s.ConfirmExit = r.boolean("Confirm", "Exit", true);
    s.ConfirmApply = r.boolean("Confirm", "Apply", false);
    s.ConfirmCancel = r.boolean("Confirm", "Cancel", false);
    s.ConfirmDelete = r.boolean("Confirm", "DeleteRecord", true);
    s.BackupEnabled = r.boolean("Backup", "Enabled", s.BackupEnabled);
    s.BackupKeep = std::clamp(r.integer("Backup", "Keep", s.BackupKeep), 1, 1000);
    s.BackupMinMinutes =
        std::clamp(r.integer("Backup", "MinMinutes", s.BackupMinMinutes), 0, 10080);
    s.BackupMaxMegabytes =
        std::clamp(r.integer("Backup", "MaxMegabytes", s.BackupMaxMegabytes), 1, 10000000);
    for (int k = 0; k < kFieldCount; ++k) {
        QString& label = s.FieldLabels[static_cast<size_t>(k)];
        label = r.text("FieldName", kLabelKeys[k], label);
        if (label.isEmpty())
            label = QStringLiteral(" ");
    }
}

QString SaveSettings(const QString& path, const AppSettings& s) {
    Writer w(path);
    w.text("QuilloApp", "VERSION", kVersion);
    w.integer("Window", "Left", s.bounds.left);
    w.integer("Window", "Top", s.bounds.top);
    w.integer("Window", "Width", s.bounds.width);
    w.integer("Window", "Height", s.bounds.height);
    w.boolean("Window", "ToolBar", s.ToolBarShown);
    w.boolean("Window", "StatusBar", s.StatusBarShown);
    w.integer("Window", "ViewType", s.ViewType);
    w.text("SortField", "FieldName", s.SortField1);
    w.text("SortField", "FieldName2", s.SortField2);
    w.integer("SortField", "Option", s.SortOption);
    for (int k = 1; k < kFieldCount; ++k)
        w.integer("FieldWidth", kFieldKeys[k], s.FieldWidths[static_cast<size_t>(k)]);
    for (int k = 0; k < kFieldCount; ++k)
        w.boolean("FieldVisible", kFieldKeys[k], s.FieldVisible[static_cast<size_t>(k)]);
    w.text("Font", "Name", s.RecordFont.name);
    w.integer("Font", "Size", s.RecordFont.size);
    w.integer("Font", "Style", FontStyleCode(s.RecordFont));
    w.text("Font", "TitleName", s.TitleFont.name);
    w.integer("Font", "TitleSize", s.TitleFont.size);
    w.integer("Font", "TitleStyle", FontStyleCode(s.TitleFont));
    w.integer("ClipboardSetting", "CopyType", s.CopyType);
    w.boolean("ClipboardSetting", "CopyAddLabel", s.CopyAddLabel);
    w.boolean("ClipboardSetting", "CopyAddChar", s.CopyAddChar);
    w.text("ClipboardSetting", "AddStringStart", s.AddStringStart);
    w.text("ClipboardSetting", "AddStringEnd", s.AddStringEnd);
    w.boolean("ClipboardSetting", "SkipPoorField", s.SkipPoorField);
    for (int k = 0; k < kFieldCount; ++k)
        w.text("FieldName", kLabelKeys[k], s.FieldLabels[static_cast<size_t>(k)]);
    w.boolean("Confirm", "Exit", s.ConfirmExit);
    w.boolean("Confirm", "Apply", s.ConfirmApply);
    w.boolean("Confirm", "Cancel", s.ConfirmCancel);
    w.boolean("Confirm", "DeleteRecord", s.ConfirmDelete);
    // Added later than the rest, so it comes last: older files read as before.
    w.text("SortOrder", "Collation",
           s.SortReading ? kReadingCollation
           : s.SortJis   ? kJisCollation
                         : kCodePointCollation);
    w.boolean("Backup", "Enabled", s.BackupEnabled);
    w.integer("Backup", "Keep", s.BackupKeep);
    w.integer("Backup", "MinMinutes", s.BackupMinMinutes);
    w.integer("Backup", "MaxMegabytes", s.BackupMaxMegabytes);
    return w.save();
}

}  // namespace quillo
