// Rules the program's sources keep, checked over every file.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QtTest>

namespace {

QStringList sourceFiles() {
    QStringList files;
    QDirIterator it(QStringLiteral(QUILLO_SOURCE_DIR "/src"),
                    {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
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

QString relative(const QString& path) {
    return path.mid(path.indexOf(QLatin1String("/src/")) + 1);
}

}  // namespace

class TestSourceRules : public QObject {
    Q_OBJECT

private slots:
    // Every folder is a layer: no #include and no library it links reaches a
    // folder above it, so no loop between folders can come back.
    void foldersAreLayers() {
        QStringList offences;
        const QString src = QStringLiteral(QUILLO_SOURCE_DIR "/src/");
        for (const QString& path : sourceFiles()) {
            const QString folder = relative(path).section(u'/', 1, 1);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            int number = 0;
            for (const QByteArray& line : file.readAll().split('\n')) {
                ++number;
                if (!line.startsWith("#include \""))
                    continue;
                const QString used = QString::fromUtf8(line.mid(10)).section(u'/', 0, 0);
                if (QDir(src + used).exists() && !mayUse(folder, used))
                    offences << QStringLiteral("%1:%2 includes %3")
                                    .arg(relative(path), QString::number(number),
                                         QString::fromUtf8(line.mid(9)));
            }
        }
        QDirIterator lists(src, {QStringLiteral("CMakeLists.txt")}, QDir::Files,
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
                        path.mid(path.indexOf(QLatin1String("/src/")) + 1),
                        QString::number(text.left(at).count(u'\n') + 1));
            }
        }
        QVERIFY2(chains.isEmpty(), qPrintable(chains.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestSourceRules)
#include "tst_source_rules.moc"
