#include "engine/text_functions.h"

#include <sqlite3.h>

#include "engine/search_text.h"
#include "platform/jis_order.h"
#include "platform/search_fold.h"

namespace quillo {

namespace {

int compareJis(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return JisOrder::instance().compare(QByteArrayView(static_cast<const char*>(a), lengthA),
                                        QByteArrayView(static_cast<const char*>(b), lengthB));
}

void fold(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    thread_local QByteArray folded;  // one buffer for every row a statement folds
    foldForSearchUtf8(QByteArrayView(text, sqlite3_value_bytes(args[0])), folded);
    sqlite3_result_text(context, folded.constData(), static_cast<int>(folded.size()),
                        SQLITE_TRANSIENT);
}

QByteArrayView bytesOf(sqlite3_value* value) {
    const auto* data = static_cast<const char*>(sqlite3_value_blob(value));
    return QByteArrayView(data, data ? sqlite3_value_bytes(value) : 0);
}

void finds(sqlite3_context* context, int, sqlite3_value** args) {
    SearchPatterns patterns;
    patterns.text = bytesOf(args[1]);
    patterns.kana = bytesOf(args[2]);
    patterns.romaji = bytesOf(args[3]);
    patterns.fields = static_cast<std::uint32_t>(sqlite3_value_int64(args[4]));
    sqlite3_result_int(context, searchTextFinds(bytesOf(args[0]), patterns) ? 1 : 0);
}

}  // namespace

void registerTextFunctions(sqlite3* db) {
    sqlite3_create_collation_v2(db, "JIS", SQLITE_UTF8, nullptr, compareJis, nullptr);
    sqlite3_create_function_v2(db, "FOLD", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fold,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "FINDS", 5, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, finds,
                               nullptr, nullptr, nullptr);
}

}  // namespace quillo
