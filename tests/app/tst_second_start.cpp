// A second start brings the running window forward: the running program listens
// on a local socket, the second start asks it over that socket.
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <future>

#include "platform/activation_channel.h"
#include "window_fixture.h"

using namespace quillo;

class TestSecondStart : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    QString channel() const { return m_folder.filePath(QStringLiteral("activate.socket")); }

    // Asks as a second start does, from a thread of its own, while this one
    // keeps the running program's events going.
    bool askFromAnotherStart() {
        auto asked = std::async(std::launch::async,
                                [name = channel()] { return requestActivation(name, 5000); });
        while (asked.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return asked.get();
    }

private slots:
    void theMinimisedWindowComesForwardWithItsOpenDialog() {
        test::WindowFixture fixture;
        fixture.open(QStringLiteral("insert into quillo (ID, Title) values (1, '坊っちゃん')"));
        ActivationServer server(channel());
        QObject::connect(&server, &ActivationServer::activationRequested, fixture.window.get(),
                         &TFormMainWin::bringForward);
        QVERIFY(server.listen());

        fixture.window->showMinimized();
        QTRY_VERIFY(fixture.window->isMinimized());
        QVERIFY(askFromAnotherStart());
        QTRY_VERIFY(!fixture.window->isMinimized());
        QTRY_VERIFY(fixture.window->isActiveWindow());

        // With the options dialog open, the dialog is what comes forward.
        bool asked = false;
        fixture.withDialog(
            "menuVOption", [&] { return fixture.window->optionsDialog(); },
            [&] {
                QApplication::setActiveWindow(fixture.window.get());
                asked = askFromAnotherStart();
                QTRY_VERIFY(fixture.window->optionsDialog()->isActiveWindow());
            });
        QVERIFY(asked);
        fixture.close();
    }

    // A socket left by a program that was killed does not keep the next one
    // from listening; with nobody listening, asking fails at once; a caller that
    // sends anything but the request changes nothing.
    void strayCallersAndLeftoversChangeNothing() {
        {
            QLocalServer killed;
            QVERIFY(killed.listen(channel()));
        }
        QFile leftover(channel());
        if (!leftover.exists()) {  // the server removed it: leave one as a crash would
            QVERIFY(leftover.open(QIODevice::WriteOnly));
            leftover.close();
        }
        QVERIFY(!requestActivation(channel(), 500));

        ActivationServer server(channel());
        int requests = 0;
        QObject::connect(&server, &ActivationServer::activationRequested, [&] { ++requests; });
        QVERIFY(server.listen());

        QLocalSocket stranger;
        stranger.connectToServer(channel());
        QVERIFY(stranger.waitForConnected(2000));
        stranger.write("show me everything\n");
        stranger.flush();
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(requests, 0);

        QVERIFY(askFromAnotherStart());
        QCOMPARE(requests, 1);
    }
};

QTEST_MAIN(TestSecondStart)
#include "tst_second_start.moc"
