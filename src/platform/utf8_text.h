#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace quillo {

inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// The text of UTF-8 bytes, or nothing when they are not valid UTF-8.
std::optional<QString> decodeUtf8Strict(QByteArrayView bytes);

// Whether bytes are valid UTF-8 (shortest forms, no surrogates, nothing beyond
// U+10FFFF); stops at the first fault, so Shift-JIS text is told at once.
bool isValidUtf8(QByteArrayView bytes);

// Valid UTF-8 with at least one byte beyond ASCII. Japanese Shift-JIS text is
// practically never valid UTF-8, so this tells the two apart.
bool looksLikeUtf8(QByteArrayView bytes);

}  // namespace quillo
