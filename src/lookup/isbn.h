#pragma once

#include <QString>
#include <optional>

namespace quillo {

// A book's number as typed or scanned: ISBN-10 or ISBN-13, with or without
// hyphens or blanks, in full- or half-width digits.
struct IsbnCheck {
    std::optional<QString> isbn13;  // the 13 digits, when the number is sound
    QString problem;                // why not, in Japanese, naming what was typed
};
IsbnCheck checkIsbn(const QString& typed);

// The 13 digits shown as a library shows them: "978-4-344-01847-1" for the
// groups whose ranges are known (Japan, English), "978-..." otherwise.
QString hyphenatedIsbn(const QString& isbn13);
// The ISBN-10 of a 978 number (what older books print), empty for 979.
QString isbn10Of(const QString& isbn13);

}  // namespace quillo
