// Rules the program's sources keep, checked over every file.
#include <QDirIterator>
#include <QFile>
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

}  // namespace

class TestSourceRules : public QObject {
    Q_OBJECT

private slots:
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
