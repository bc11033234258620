#include "platform/program_info.h"

#include <QCoreApplication>

namespace quillo {

QString quilloVersion() {
    return QStringLiteral(QUILLO_VERSION);
}

void nameQuilloApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Quillo"));
    QCoreApplication::setApplicationVersion(quilloVersion());
}

QString whereFilesLive() {
    return QStringLiteral(
        "カタログ book.db と設定 quillo.Ini は、インストールされたプログラム（/usr/bin など）"
        "では利用者ごとのフォルダー（$XDG_DATA_HOME/Quillo、$XDG_CONFIG_HOME/Quillo。"
        "既定は ~/.local/share/Quillo と ~/.config/Quillo）に置かれます。"
        "自分のフォルダーから動かすプログラム（持ち運び用の複製）では、"
        "そのフォルダーに書き込めればプログラムと同じフォルダーに置かれます。");
}

QCommandLineOption addHelpAndVersionOptions(QCommandLineParser& parser) {
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("この説明を表示します。"));
    parser.addOption(help);
    parser.addVersionOption();
    return help;
}

void answerHelp(QCommandLineParser& parser, const QCommandLineOption& help) {
    if (parser.isSet(help))
        parser.showHelp(0);
}

}  // namespace quillo
