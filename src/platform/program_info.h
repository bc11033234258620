#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

namespace quillo {

// The package version the program and the tools print with --version.
QString quilloVersion();

// Names the running application "Quillo" with the package version: the name
// picks the per-user folders, the version is what --version prints.
void nameQuilloApplication();

// Where an installed Quillo keeps its files, as the help texts say it.
QString whereFilesLive();

// -h and --help, said in Japanese as the rest of the help is (Qt's own help
// option describes itself in English), and -v and --version. After
// process(), answerHelp() prints the help and ends the program when asked.
QCommandLineOption addHelpAndVersionOptions(QCommandLineParser& parser);
void answerHelp(QCommandLineParser& parser, const QCommandLineOption& help);

}  // namespace quillo
