#pragma once

#include <sqlite3.h>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/main_window.h"
#include "app/reading_preparation.h"
#include "store/tdm.h"
#include "test_db.h"

namespace quillo::test {

// The real main window over a fresh database file in a temporary folder.
class WindowFixture {
public:
    std::unique_ptr<TempBookDb> db;
    std::unique_ptr<TDM> store;
    std::unique_ptr<TFormMainWin> window;
    // Runs on the new store before the window is made (to watch its connection).
    std::function<void(TDM&)> beforeWindow;
    // The settings file the window starts from (none when empty).
    QByteArray settingsFile;

    // Opens the window after running `insert` (SQL) on the new database.
    void open(const QString& insert = {}) {
        db = std::make_unique<TempBookDb>();
        if (!insert.isEmpty())
            exec(insert);
        if (!settingsFile.isEmpty()) {
            QFile ini(db->folder() + QStringLiteral("/quillo.Ini"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(settingsFile);
        }
        // As the program starts: the window's first showing is the only read.
        store = std::make_unique<TDM>(nullptr, TDM::FirstRead::Deferred);
        openReadings(*store);
        if (beforeWindow)
            beforeWindow(*store);
        window =
            std::make_unique<TFormMainWin>(*store, db->folder() + QStringLiteral("/quillo.Ini"));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void close() {
        beforeWindow = nullptr;
        settingsFile.clear();
        window.reset();
        // A test's statement trace points into the test's own frame.
        if (store)
            sqlite3_trace_v2(store->Database().handle(), 0, nullptr, nullptr);
        store.reset();
        db.reset();
    }
    void trigger(const char* command) {
        window->findChild<QAction*>(QString::fromLatin1(command))->trigger();
    }

    // Runs a command that opens a modal dialog; `act` works in the dialog once it
    // is up and active. A dialog `act` leaves open is closed, so no test waits.
    void withDialog(const char* command, const std::function<QDialog*()>& dialog,
                    const std::function<void()>& act) {
        bool ran = false;
        QTimer::singleShot(0, window.get(), [&] {
            QDialog* shown = dialog();
            QVERIFY(shown && shown->isVisible());
            QApplication::setActiveWindow(shown);
            act();
            ran = true;
            if (shown->isVisible())
                shown->reject();
        });
        trigger(command);
        QVERIFY(ran);
    }
};

}  // namespace quillo::test
