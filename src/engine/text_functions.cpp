#include "engine/text_functions.h"

#include <sqlite3.h>

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

}  // namespace

void registerTextFunctions(sqlite3* db) {
    sqlite3_create_collation_v2(db, "JIS", SQLITE_UTF8, nullptr, compareJis, nullptr);
    sqlite3_create_function_v2(db, "FOLD", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fold,
                               nullptr, nullptr, nullptr);
}

}  // namespace quillo
