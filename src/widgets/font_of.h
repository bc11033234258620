#pragma once

#include <QFont>

#include "platform/font_setting.h"

namespace quillo {

// The font a setting describes (9 points when the size is unusable).
inline QFont fontOf(const FontSetting& setting) {
    QFont font(setting.name);
    font.setPointSize(setting.size > 0 ? setting.size : 9);
    font.setBold(setting.bold);
    font.setItalic(setting.italic);
    font.setUnderline(setting.underline);
    font.setStrikeOut(setting.strikeOut);
    return font;
}

}  // namespace quillo
