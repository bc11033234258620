// Rules the program's sources keep, checked over every file.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kSrc = QDir::cleanPath(QStringLiteral(QUILLO_SOURCE_DIR "/src")) + u'/';

QStringList sourceFiles() {
    QStringList files;
    QDirIterator it(kSrc, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

// The end of the parenthesis opened just before `from`, or -1.
qsizetype closingParenthesis(const QString& text, qsizetype from) {
    int depth = 1;
    bool quoted = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && quoted) {
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u'(') {
            ++depth;
        } else if (!quoted && c == u')' && --depth == 0) {
            return i;
        }
    }
    return -1;
}

// The folders of src/ from the bottom up: a folder uses only folders on lines
// before its own, or before it on its own line, never one above it.
const std::vector<std::vector<const char*>> kLayers = {
    {"resources", "platform"},
    {"engine"},
    {"store"},
    {"reading"},
    {"ui", "widgets"},
    {"backup", "stats", "lookup"},
    {"edit", "search", "settings", "csv", "print"},
    {"serve"},
    {"app"},
};

// Where a folder stands: its line and its place on the line; {-1, -1} for
// a folder the table does not know.
std::pair<int, int> placeOf(const QString& folder) {
    for (size_t line = 0; line < kLayers.size(); ++line)
        for (size_t at = 0; at < kLayers[line].size(); ++at)
            if (folder == QLatin1String(kLayers[line][at]))
                return {static_cast<int>(line), static_cast<int>(at)};
    return {-1, -1};
}

bool mayUse(const QString& user, const QString& used) {
    if (user == used)
        return true;
    const auto [userLine, userAt] = placeOf(user);
    const auto [usedLine, usedAt] = placeOf(used);
    return userLine >= 0 && usedLine >= 0 &&
           (usedLine < userLine || (usedLine == userLine && usedAt < userAt));
}

// The folder a library of ours belongs to, from its name (quillo_reading_store,
// quillo-csv, quillo); empty for Qt's and the system's.
QString folderOfTarget(const QString& target) {
    static const QHash<QString, QString> programs = {
        {QStringLiteral("quillo"), QStringLiteral("app")},
        {QStringLiteral("quillo-csv"), QStringLiteral("csv")},
        {QStringLiteral("quillo-report"), QStringLiteral("print")}};
    if (programs.contains(target))
        return programs.value(target);
    if (!target.startsWith(QLatin1String("quillo_")))
        return QString();
    return target.mid(7).section(u'_', 0, 0);
}

// The path below the source tree, "src/store/tdm.cpp"; by the tree's own
// root, so a checkout under another "src" folder is read the same.
QString relative(const QString& path) {
    return QStringLiteral("src/") + path.mid(kSrc.size());
}

// The folder of src/ an #include line of `file` reaches, as the compiler finds
// it: "<…>" or "\"…\"", blanks anywhere around the "#", and a path through
// ".." resolved, from the file's own folder first and then from src/. Empty
// for a line that includes nothing of ours.
QString folderIncluded(const QByteArray& line, const QString& file) {
    static const QRegularExpression include(
        QStringLiteral("^\\s*#\\s*include\\s*(?:\"([^\"]+)\"|<([^>]+)>)"));
    const QRegularExpressionMatch match = include.match(QString::fromUtf8(line));
    if (!match.hasMatch())
        return QString();
    const QString name = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
    const QString ownFolder = QFileInfo(file).path() + u'/';
    for (const QString& base : {ownFolder, kSrc}) {
        const QString path = QDir::cleanPath(base + name);
        if (!path.startsWith(kSrc) || !QFileInfo::exists(path))
            continue;
        return path.mid(kSrc.size()).section(u'/', 0, 0);
    }
    return QString();
}

}  // namespace

class TestSourceRules : public QObject {
    Q_OBJECT

private slots:
    // Every folder is a layer: no #include and no library it links reaches a
    // folder above it, so no loop between folders can come back.
    void foldersAreLayers() {
        QStringList offences;
        for (const QString& path : sourceFiles()) {
            const QString folder = relative(path).section(u'/', 1, 1);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            int number = 0;
            for (const QByteArray& line : file.readAll().split('\n')) {
                ++number;
                const QString used = folderIncluded(line, path);
                if (!used.isEmpty() && !mayUse(folder, used))
                    offences << QStringLiteral("%1:%2 includes %3")
                                    .arg(relative(path), QString::number(number),
                                         QString::fromUtf8(line.trimmed()));
            }
        }
        QDirIterator lists(kSrc, {QStringLiteral("CMakeLists.txt")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (lists.hasNext()) {
            const QString path = lists.next();
            const QString folder = relative(path).section(u'/', 1, 1);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            // target_link_libraries(target PUBLIC a b\n  c d): every name after
            // the target, over as many lines as the call takes.
            const QString text = QString::fromUtf8(file.readAll());
            for (qsizetype at = text.indexOf(QLatin1String("target_link_libraries(")); at >= 0;
                 at = text.indexOf(QLatin1String("target_link_libraries("), at + 1)) {
                const qsizetype end = text.indexOf(u')', at);
                const QStringList words = text.mid(at + 22, end - at - 22).simplified().split(u' ');
                for (const QString& library : words.mid(1)) {
                    const QString used = folderOfTarget(library);
                    if (!used.isEmpty() && !mayUse(folder, used))
                        offences << QStringLiteral("%1 links %2").arg(relative(path), library);
                }
            }
        }
        QVERIFY2(offences.isEmpty(), qPrintable(offences.join(u'\n')));
    }

    // The rule holds only if every way of writing an include is read: a file
    // in store/ reaching app/ must be found however the line spells it.
    void everySpellingOfAnIncludeIsRead_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("folder");
        QTest::addRow("quoted") << QByteArray("#include \"app/main_window.h\"") << "app";
        QTest::addRow("angle brackets") << QByteArray("#include <app/main_window.h>") << "app";
        QTest::addRow("blanks around the #")
            << QByteArray("  #  include  \"app/main_window.h\"") << "app";
        QTest::addRow("through the folder above")
            << QByteArray("#include \"../app/main_window.h\"") << "app";
        QTest::addRow("through a folder and back")
            << QByteArray("#include \"store/../app/main_window.h\"") << "app";
        QTest::addRow("its own folder") << QByteArray("#include \"tdm.h\"") << "store";
        QTest::addRow("Qt's") << QByteArray("#include <QString>") << QString();
        QTest::addRow("the system's") << QByteArray("#include <sqlite3.h>") << QString();
        QTest::addRow("a comment") << QByteArray("// #include \"app/main_window.h\"") << QString();
    }
    void everySpellingOfAnIncludeIsRead() {
        QFETCH(QByteArray, line);
        QFETCH(QString, folder);
        QCOMPARE(folderIncluded(line, kSrc + QStringLiteral("store/tdm.cpp")), folder);
    }

    // A text formatted by a chain of QString::arg calls is formatted again by
    // each later call: a "%1" inside a title, a file name or a filter typed by
    // the user is replaced too (an SQL error, a garbled message). One call with
    // every argument formats the template once.
    void noChainOfArgCalls() {
        QStringList chains;
        for (const QString& path : sourceFiles()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            for (qsizetype at = text.indexOf(QLatin1String(".arg(")); at >= 0;
                 at = text.indexOf(QLatin1String(".arg("), at + 1)) {
                const qsizetype end = closingParenthesis(text, at + 5);
                if (end < 0)
                    continue;
                qsizetype next = end + 1;
                while (next < text.size() && text[next].isSpace())
                    ++next;
                if (text.mid(next, 5) == QLatin1String(".arg("))
                    chains << QStringLiteral("%1:%2").arg(
                        relative(path), QString::number(text.left(at).count(u'\n') + 1));
            }
        }
        QVERIFY2(chains.isEmpty(), qPrintable(chains.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestSourceRules)
#include "tst_source_rules.moc"
