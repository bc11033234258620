#pragma once

#include <QString>

namespace quillo {

// Whether a stored text matches a search text. A fuzzy match finds the text
// anywhere in the value, both folded for width, kana and case as the filter folds
// them; an exact match wants the value itself, letter for letter. An absent value
// never matches.
bool TextMatches(const QString& value, const QString& text, bool fuzzy);

}  // namespace quillo
