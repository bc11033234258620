#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace quillo {

inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// The text of UTF-8 bytes, or nothing when they are not valid UTF-8.
std::optional<QString> decodeUtf8Strict(QByteArrayView bytes);

// Valid UTF-8 with at least one byte beyond ASCII. Japanese Shift-JIS text is
// practically never valid UTF-8, so this tells the two apart.
bool looksLikeUtf8(QByteArrayView bytes);

}  // namespace quillo
