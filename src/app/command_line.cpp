#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstring>

#include "platform/program_info.h"
#include "platform/qt_translations.h"

namespace quillo {

namespace {

bool asksForAnswer(const char* arg) {
    for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
        if (std::strcmp(arg, option) == 0)
            return true;
    return false;
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char* argv[]) {
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || asksForAnswer(argv[i]);
    if (!asked)
        return std::nullopt;
    QCoreApplication app(argc, argv);
    installQtTranslations();
    nameQuilloApplication();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillo: 蔵書の目録。本を一覧し、検索・絞り込み・印刷し、CSV で"
                       "やり取りします。ウィンドウの他に、quillo-csv（CSV の読み込み・書き出し、"
                       "バックアップと復元）と quillo-report（一覧の PDF）があります。\n") +
        whereFilesLive() +
        QStringLiteral("\nQt の標準オプション（-platform、-style、-geometry など）も使えます。"));
    const QCommandLineOption help = addHelpAndVersionOptions(parser);
    parser.process(app);
    answerHelp(parser, help);  // prints the answer and ends the process
    return 0;
}

}  // namespace quillo
