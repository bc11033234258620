#pragma once

#include <QString>

#include "settings/app_settings.h"

namespace quillo {

// The settings file: the program file's path with its extension replaced by
// ".Ini", beside the program, or in the per-user configuration folder where the
// program's folder cannot be written.
QString IniPath();
// The settings file of the program named `program` ("quillo"), where it keeps it.
QString IniPathOf(const QString& program);

// Reads the file into the settings; missing keys and unreadable values keep the
// settings' current values (the style and confirmation keys have fixed defaults).
void LoadSettings(const QString& path, AppSettings& settings);

// Writes the settings into the file, keeping whatever else it holds. The file is
// replaced whole or not at all; a refused write throws SettingsFileError. When
// the old file could not be read cleanly it is kept as "<name>.bak" first, and
// the copy's path is returned (else an empty text).
QString SaveSettings(const QString& path, const AppSettings& settings);

// The style of a font as the file stores it: 0 plain, 1 bold, 2 italic, 3 both;
// anything with underline or strike-out stores as plain.
int FontStyleCode(const FontSetting& font);
void SetFontStyleFromCode(FontSetting& font, int code);

// Reads an integer as the file writes it: decimal, or hexadecimal after "0x".
std::optional<int> parseProfileInteger(const QString& text);

inline constexpr int kMaxSettingsTextBytes = 2047;

}  // namespace quillo
