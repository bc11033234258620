#include "csv/isbn_adding.h"

#include <QElapsedTimer>
#include <QThread>

#include "lookup/isbn.h"
#include "lookup/ndl_lookup.h"
#include "lookup/pending_book.h"
#include "store/tdm.h"

namespace quillo {

namespace {
constexpr int kSpacingMs = 1000;  // the library asks for moderation: a look-up a second
}

int addBooksByIsbn(TDM& store, NdlLookup& lookup, const QStringList& numbers,
                   const std::function<void(const QString&)>& say) {
    QStringList taken;
    int added = 0;
    QElapsedTimer sinceLast;
    for (const QString& number : numbers) {
        const IsbnCheck check = checkIsbn(number);
        if (!check.isbn13) {
            say(number + QStringLiteral(": ") + check.problem);
            continue;
        }
        const QString isbn = *check.isbn13;
        const QString shown = hyphenatedIsbn(isbn);
        if (taken.contains(isbn)) {
            say(shown + QStringLiteral(": 同じ番号がすでに指定されています"));
            continue;
        }
        taken << isbn;
        if (const qint64 other = store.isbns().bookWith(isbn, 0); other > 0) {
            say(shown + QStringLiteral(": この ISBN の本はすでにカタログにあります（ID ") +
                QString::number(other) + QStringLiteral("）"));
            continue;
        }
        if (sinceLast.isValid() && sinceLast.elapsed() < kSpacingMs)
            QThread::msleep(static_cast<unsigned long>(kSpacingMs - sinceLast.elapsed()));
        sinceLast.start();
        const NdlResult result = lookUpAndWait(lookup, isbn);
        if (!result.book) {
            say(shown + QStringLiteral(": ") + result.message);
            continue;
        }
        appendLookedUpBook(store, *result.book);
        ++added;
        say(shown + QStringLiteral(": 追加します「") + result.book->title + QStringLiteral("」"));
    }
    if (added > 0)
        store.ApplyPendingUpdates();
    return added;
}

}  // namespace quillo
