#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace quillo {

QString systemErrorText(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return QStringLiteral("ディスクがいっぱいです");
        case EROFS:
            return QStringLiteral("読み取り専用のファイルシステムです");
        case EACCES:
        case EPERM:
            return QStringLiteral("書き込みが許可されていません");
        case ENOENT:
            return QStringLiteral("フォルダーがありません");
        case ENOTDIR:
            return QStringLiteral("途中にフォルダーでないものがあります");
        case EISDIR:
            return QStringLiteral("フォルダーです");
        case ENAMETOOLONG:
            return QStringLiteral("ファイル名が長すぎます");
        case EIO:
            return QStringLiteral("読み書きの途中で装置のエラーが起きました");
        case EPIPE:
            return QStringLiteral("受け取る側が終わっています");
        case ENOLCK:
            return QStringLiteral("このファイルシステムではロックが使えません");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

}  // namespace quillo
