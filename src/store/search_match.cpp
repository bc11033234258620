#include "store/search_match.h"

#include "platform/search_fold.h"

namespace quillo {

bool TextMatches(const QString& value, const QString& text, bool fuzzy) {
    if (value.isNull())
        return false;
    if (!fuzzy)
        return value == text;
    return foldForSearch(value).contains(foldForSearch(text), Qt::CaseSensitive);
}

}  // namespace quillo
