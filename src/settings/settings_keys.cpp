#include "settings/settings_keys.h"

#include <climits>

#include "platform/cp932.h"
#include "settings/settings_file.h"

namespace quillo {

namespace {

// A field's key in the width and visibility sections: its column's name.
QByteArray fieldKey(int fieldNo) {
    return QByteArray(bookField(fieldNo).column);
}

// A field's key in the label section: NAME_ and its controls' stem.
QByteArray labelKey(int fieldNo) {
    return "NAME_" + QByteArray(bookField(fieldNo).widgetName).toUpper();
}

const QString kJisCollation = QStringLiteral("JIS");
const QString kCodePointCollation = QStringLiteral("CodePoint");
const QString kReadingCollation = QStringLiteral("Reading");

template <typename T>
using Member = std::function<T&(AppSettings&)>;

// The settings' own value of a member, unchanged, for writing.
template <typename T>
const T& valueOf(const Member<T>& member, const AppSettings& settings) {
    return member(const_cast<AppSettings&>(settings));
}

SettingKey key(const char* section, const QByteArray& name) {
    return SettingKey{QString::fromLatin1(section), QString::fromLatin1(name), {}, {}, false};
}

// An integer from `min` to `max`; one outside is the default.
SettingKey integerKey(const char* section, const QByteArray& name, Member<int> member, int min,
                      int max) {
    SettingKey k = key(section, name);
    k.read = [member, min, max](AppSettings& s, const QString& value) {
        const std::optional<int> read = parseProfileInteger(value);
        if (!read)
            return;  // not a number: the value the settings hold stays
        AppSettings defaults;
        member(s) = *read >= min && *read <= max ? *read : member(defaults);
    };
    k.write = [member](const AppSettings& s) { return QString::number(valueOf(member, s)); };
    return k;
}

SettingKey booleanKey(const char* section, const QByteArray& name, Member<bool> member,
                      bool missingGivesDefault = false) {
    SettingKey k = key(section, name);
    k.read = [member](AppSettings& s, const QString& value) {
        if (const std::optional<int> read = parseProfileInteger(value))
            member(s) = *read != 0;
        else if (value.isNull()) {
            AppSettings defaults;
            member(s) = member(defaults);
        }
    };
    k.write = [member](const AppSettings& s) {
        return valueOf(member, s) ? QStringLiteral("1") : QStringLiteral("0");
    };
    k.missingGivesDefault = missingGivesDefault;
    return k;
}

// The view: a number that is no view gives the list, as a first run shows it.
SettingKey viewKey(const char* section, const QByteArray& name) {
    SettingKey k = key(section, name);
    k.read = [](AppSettings& s, const QString& value) {
        const std::optional<int> read = parseProfileInteger(value);
        if (!read)
            return;  // not a number: the view the settings hold stays
        s.ViewType = *read == static_cast<int>(BookView::Card)     ? BookView::Card
                     : *read == static_cast<int>(BookView::Covers) ? BookView::Covers
                                                                   : BookView::List;
    };
    k.write = [](const AppSettings& s) { return QString::number(static_cast<int>(s.ViewType)); };
    return k;
}

// A text, cut to what the file may hold; `allowed` says which texts the key
// may take (any, when not given), the default standing in for another.
SettingKey textKey(const char* section, const QByteArray& name, Member<QString> member,
                   std::function<bool(const QString&)> allowed = {}) {
    SettingKey k = key(section, name);
    k.read = [member, allowed](AppSettings& s, const QString& value) {
        const QString text = Cp932::cutToBytes(value, kMaxSettingsTextBytes);
        AppSettings defaults;
        member(s) = !allowed || allowed(text) ? text : member(defaults);
    };
    k.write = [member](const AppSettings& s) { return valueOf(member, s); };
    return k;
}

SettingKey fontStyleKey(const char* section, const QByteArray& name, Member<FontSetting> member) {
    SettingKey k = key(section, name);
    k.read = [member](AppSettings& s, const QString& value) {
        SetFontStyleFromCode(member(s), parseProfileInteger(value).value_or(0));
    };
    k.write = [member](const AppSettings& s) {
        return QString::number(FontStyleCode(valueOf(member, s)));
    };
    k.missingGivesDefault = true;
    return k;
}

bool isSortColumn(const QString& name, bool mayBeEmpty) {
    return (mayBeEmpty && name.isEmpty()) || FieldNameTable().fieldNoOf(name) >= 0;
}

std::vector<SettingKey> makeKeys() {
    std::vector<SettingKey> keys;
    keys.push_back(key("QuilloApp", "VERSION"));
    keys.back().write = [](const AppSettings&) { return QStringLiteral("1.2.1"); };
    // Anywhere on a desktop of screens side by side; the window is brought
    // onto a screen when it is shown.
    keys.push_back(integerKey(
        "Window", "Left", [](AppSettings& s) -> int& { return s.bounds.left; }, -100000, 100000));
    keys.push_back(integerKey(
        "Window", "Top", [](AppSettings& s) -> int& { return s.bounds.top; }, -100000, 100000));
    keys.push_back(integerKey(
        "Window", "Width", [](AppSettings& s) -> int& { return s.bounds.width; }, 100, 100000));
    keys.push_back(integerKey(
        "Window", "Height", [](AppSettings& s) -> int& { return s.bounds.height; }, 100, 100000));
    keys.push_back(
        booleanKey("Window", "ToolBar", [](AppSettings& s) -> bool& { return s.ToolBarShown; }));
    keys.push_back(booleanKey("Window", "StatusBar",
                              [](AppSettings& s) -> bool& { return s.StatusBarShown; }));
    // 0 the list, 1 the card: another value is the list, as a first run shows it.
    keys.push_back(viewKey("Window", "ViewType"));
    keys.push_back(textKey(
        "SortField", "FieldName", [](AppSettings& s) -> QString& { return s.SortField1; },
        [](const QString& t) { return isSortColumn(t, false); }));
    keys.push_back(textKey(
        "SortField", "FieldName2", [](AppSettings& s) -> QString& { return s.SortField2; },
        [](const QString& t) { return isSortColumn(t, true); }));
    // 0 ascending; any other value has always meant descending.
    keys.push_back(integerKey(
        "SortField", "Option", [](AppSettings& s) -> int& { return s.SortOption; }, INT_MIN,
        INT_MAX));
    for (int k = 1; k < kFieldCount; ++k)
        keys.push_back(integerKey(
            "FieldWidth", fieldKey(k),
            [k](AppSettings& s) -> int& { return s.FieldWidths[static_cast<size_t>(k)]; },
            AppSettings::kMinimumColumnWidth, 10000));
    for (int k = 0; k < kFieldCount; ++k)
        keys.push_back(booleanKey("FieldVisible", fieldKey(k), [k](AppSettings& s) -> bool& {
            return s.FieldVisible[static_cast<size_t>(k)];
        }));
    keys.push_back(
        textKey("Font", "Name", [](AppSettings& s) -> QString& { return s.RecordFont.name; }));
    keys.push_back(integerKey(
        "Font", "Size", [](AppSettings& s) -> int& { return s.RecordFont.size; }, 1, 200));
    keys.push_back(
        fontStyleKey("Font", "Style", [](AppSettings& s) -> FontSetting& { return s.RecordFont; }));
    keys.push_back(
        textKey("Font", "TitleName", [](AppSettings& s) -> QString& { return s.TitleFont.name; }));
    keys.push_back(integerKey(
        "Font", "TitleSize", [](AppSettings& s) -> int& { return s.TitleFont.size; }, 1, 200));
    keys.push_back(fontStyleKey("Font", "TitleStyle",
                                [](AppSettings& s) -> FontSetting& { return s.TitleFont; }));
    // 1 a line per field, 2 all on one line.
    keys.push_back(integerKey(
        "ClipboardSetting", "CopyType", [](AppSettings& s) -> int& { return s.CopyType; }, 1, 2));
    keys.push_back(booleanKey("ClipboardSetting", "CopyAddLabel",
                              [](AppSettings& s) -> bool& { return s.CopyAddLabel; }));
    keys.push_back(booleanKey("ClipboardSetting", "CopyAddChar",
                              [](AppSettings& s) -> bool& { return s.CopyAddChar; }));
    keys.push_back(textKey("ClipboardSetting", "AddStringStart",
                           [](AppSettings& s) -> QString& { return s.AddStringStart; }));
    keys.push_back(textKey("ClipboardSetting", "AddStringEnd",
                           [](AppSettings& s) -> QString& { return s.AddStringEnd; }));
    keys.push_back(booleanKey("ClipboardSetting", "SkipPoorField",
                              [](AppSettings& s) -> bool& { return s.SkipPoorField; }));
    for (int k = 0; k < kFieldCount; ++k) {
        keys.push_back(textKey("FieldName", labelKey(k), [k](AppSettings& s) -> QString& {
            return s.FieldLabels[static_cast<size_t>(k)];
        }));
        // An empty label would leave its column without a heading to grab.
        auto read = keys.back().read;
        keys.back().read = [read, k](AppSettings& s, const QString& value) {
            read(s, value);
            if (s.FieldLabels[static_cast<size_t>(k)].isEmpty())
                s.FieldLabels[static_cast<size_t>(k)] = QStringLiteral(" ");
        };
    }
    keys.push_back(booleanKey(
        "Confirm", "Exit", [](AppSettings& s) -> bool& { return s.ConfirmExit; }, true));
    keys.push_back(booleanKey(
        "Confirm", "Apply", [](AppSettings& s) -> bool& { return s.ConfirmApply; }, true));
    keys.push_back(booleanKey(
        "Confirm", "Cancel", [](AppSettings& s) -> bool& { return s.ConfirmCancel; }, true));
    keys.push_back(booleanKey(
        "Confirm", "DeleteRecord", [](AppSettings& s) -> bool& { return s.ConfirmDelete; }, true));
    // Added later than the rest, so it comes last: older files read as before.
    SettingKey collation = key("SortOrder", "Collation");
    collation.read = [](AppSettings& s, const QString& value) {
        const bool reading = value.compare(kReadingCollation, Qt::CaseInsensitive) == 0;
        const bool codePoint = value.compare(kCodePointCollation, Qt::CaseInsensitive) == 0;
        const bool jis = value.compare(kJisCollation, Qt::CaseInsensitive) == 0;
        if (!reading && !codePoint && !jis)
            return;  // the order the file's age gives (see LoadSettings)
        s.SortReading = reading;
        s.SortJis = jis;
    };
    collation.write = [](const AppSettings& s) {
        return s.SortReading ? kReadingCollation : s.SortJis ? kJisCollation : kCodePointCollation;
    };
    keys.push_back(collation);
    keys.push_back(
        booleanKey("Backup", "Enabled", [](AppSettings& s) -> bool& { return s.BackupEnabled; }));
    keys.push_back(
        booleanKey("Lookup", "Enabled", [](AppSettings& s) -> bool& { return s.LookupEnabled; }));
    keys.push_back(
        booleanKey("Lookup", "Asked", [](AppSettings& s) -> bool& { return s.LookupAsked; }));
    // Kept as written: an address that cannot be asked is refused by the
    // look-up, naming this key, never replaced by the library's.
    keys.push_back(
        textKey("Lookup", "Url", [](AppSettings& s) -> QString& { return s.LookupUrl; }));
    keys.push_back(
        booleanKey("Lookup", "Covers", [](AppSettings& s) -> bool& { return s.LookupCovers; }));
    keys.push_back(integerKey(
        "Backup", "Keep", [](AppSettings& s) -> int& { return s.BackupKeep; }, 1, 1000));
    keys.push_back(integerKey(
        "Backup", "MinMinutes", [](AppSettings& s) -> int& { return s.BackupMinMinutes; }, 0,
        10080));
    keys.push_back(integerKey(
        "Backup", "MaxMegabytes", [](AppSettings& s) -> int& { return s.BackupMaxMegabytes; }, 1,
        10000000));
    return keys;
}

}  // namespace

const std::vector<SettingKey>& settingKeys() {
    static const std::vector<SettingKey> keys = makeKeys();
    return keys;
}

}  // namespace quillo
