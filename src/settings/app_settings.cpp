#include "settings/app_settings.h"

namespace quillo {

FieldFlags AppSettings::filterFlags() const {
    FieldFlags flags{};
    for (size_t i = 0; i < flags.size(); ++i)
        flags[i] = FilterFields[i] ? 1 : 0;
    return flags;
}

}  // namespace quillo
