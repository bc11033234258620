#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "settings/app_settings.h"

namespace quillo {

// One key of the settings file: where it is, how its value is read and
// written, and the values it may take. The table of them is the one place
// that says what the file holds, in the order a new file is written; the
// reading and the writing of the file both go through it.
struct SettingKey {
    QString section;
    QString key;
    // Reads the value found in the file into the settings; a value out of the
    // key's range (or not of its kind) gives the key's default instead.
    std::function<void(AppSettings&, const QString& value)> read;
    // The value as the file stores it.
    std::function<QString(const AppSettings&)> write;
    // A missing key takes the default, not the value the settings hold (the
    // style and confirmation keys).
    bool missingGivesDefault = false;
};

// Every key, in the order a new file is written.
const std::vector<SettingKey>& settingKeys();

}  // namespace quillo
