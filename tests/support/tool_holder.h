#pragma once

#include <sys/stat.h>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include "platform/catalogue_lock.h"

namespace quillo::test {

// A real quillo-csv that holds a catalogue's lock for as long as this object
// lives: it imports from a named pipe that stays open and silent until the end.
class ToolHoldingCatalogue {
public:
    ToolHoldingCatalogue(const QString& tool, const QString& catalogue, const QString& pipe,
                         const QProcessEnvironment& env)
        : m_pipe(pipe) {
        QFile::remove(pipe);
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        m_process.setProcessEnvironment(env);
        m_process.start(tool, {QStringLiteral("import"), pipe, QStringLiteral("--db"), catalogue});
        QVERIFY(m_process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(CatalogueLock::isWrittenByAnother(catalogue), 20000);
    }
    ~ToolHoldingCatalogue() {
        QFile writer(m_pipe);  // an empty file ends its import
        if (writer.open(QIODevice::WriteOnly))
            writer.close();
        m_process.waitForFinished(20000);
        QFile::remove(m_pipe);
    }
    ToolHoldingCatalogue(const ToolHoldingCatalogue&) = delete;
    ToolHoldingCatalogue& operator=(const ToolHoldingCatalogue&) = delete;

private:
    QString m_pipe;
    QProcess m_process;
};

}  // namespace quillo::test
