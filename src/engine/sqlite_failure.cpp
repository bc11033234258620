#include "engine/sqlite_failure.h"

#include <sqlite3.h>

#include "engine/engine_error.h"

namespace quillo {

EngineError sqliteFailure(const QString& path, int extendedCode, const QString& sqliteText) {
    const int primary = extendedCode & 0xff;
    switch (extendedCode) {
        case SQLITE_READONLY_DBMOVED:
            return EngineError(
                QStringLiteral("カタログ %1 は開いている間に移動されたか削除されました。"
                               "変更は書き込まれていません。カタログを元の場所に戻してから"
                               "開き直してください")
                    .arg(path),
                primary);
        case SQLITE_READONLY_ROLLBACK:
        case SQLITE_READONLY_RECOVERY:
            return EngineError(
                QStringLiteral(
                    "カタログ %1 には前回の書き込みが途中で終わった跡があります。"
                    "ファイルは壊れていませんが、一度書き込みのできる状態（ファイルの"
                    "持ち主、書き込みできる場所）で開いて書き込みを取り消す必要があります")
                    .arg(path),
                primary);
        default:
            break;
    }
    if (primary == SQLITE_FULL)
        return EngineError(
            QStringLiteral("カタログ %1 のあるディスクがいっぱいのため、書き込めません"
                           "でした。何も書き込んでいません")
                .arg(path),
            primary);
    if (primary == SQLITE_IOERR && !path.isEmpty() && !sqliteText.contains(path))
        return EngineError(
            QStringLiteral("カタログ %1 の読み書きに失敗しました（%2）").arg(path, sqliteText),
            primary);
    return EngineError(sqliteText, primary);
}

EngineError sqliteFailure(sqlite3* db, int rc) {
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    const QString text =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    // The handle's code is the call's, or one from before it where the call
    // itself gave only its primary code.
    const int code = (extended & 0xff) == (rc & 0xff) ? extended : rc;
    return sqliteFailure(QString::fromUtf8(file ? file : ""), code, text);
}

}  // namespace quillo
