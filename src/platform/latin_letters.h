#pragma once

#include <QString>

namespace quillo {

// The plain letter of an accented Latin one, in its case: é → e, Å → A, ł → l;
// 0 for any other character. Letters Unicode writes as one (ß, æ, œ, þ) have
// none: latinSpelling() writes them out.
char16_t latinBase(char16_t c);

// A Latin letter as a search compares it, lower case and without accents:
// "e" for é, "ss" for ß, "ae" for æ; empty for any other character.
QString latinSpelling(char16_t c);

}  // namespace quillo
