#pragma once

#include <QString>

namespace quillo {

// A font as the settings keep it: by name, so a font that is not installed is
// still kept and shown by its name. Window-free, so the settings file can hold
// it and the font combos can edit it without either depending on the other.
struct FontSetting {
    QString name = QStringLiteral("ＭＳ Ｐゴシック");
    int size = 9;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const FontSetting&) const = default;
};

}  // namespace quillo
