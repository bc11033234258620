// Quillo: a catalogue of a private book collection.
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <memory>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/reading_preparation.h"
#include "edit/date_text.h"
#include "engine/connection.h"
#include "engine/engine_error.h"
#include "platform/activation_channel.h"
#include "platform/catalogue_lock.h"
#include "platform/first_paint_probe.h"
#include "platform/japanese_fonts.h"
#include "platform/program_info.h"
#include "platform/qt_translations.h"
#include "platform/single_instance.h"
#include "reading/name_index.h"
#include "settings/settings_file.h"
#include "store/book_table.h"
#include "store/tdm.h"
#include "ui/error_display.h"
#include "ui/shown_at_once.h"

using namespace quillo;

namespace {

// A Quillo that holds the lock but answers no call to come forward is closing
// (tidying its catalogue) or still opening: a start waits for it, up to half a
// minute, rather than saying one is running where none can be seen. True when
// the lock became this start's.
bool waitForTheOtherQuillo(SingleInstance& instance) {
    if (!instance.heldByAnother())
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000) {
        if (requestActivation(activationChannelName(), 300))
            return false;  // its window is there, and came forward
        QThread::msleep(200);
        if (instance.tryAcquire())
            return true;
    }
    return false;
}

// Said on the screen while a close renumbers the books, so the wait after the
// window goes never looks like a hang.
std::unique_ptr<QLabel> showClosingNote() {
    auto note = std::make_unique<QLabel>(
        QStringLiteral("Quillo を終了しています。本の ID を付け直しています…"));
    note->setWindowFlags(Qt::SplashScreen | Qt::WindowStaysOnTopHint);
    note->setMargin(24);
    note->setFrameStyle(QFrame::Box);
    note->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        note->move(screen->availableGeometry().center() - note->rect().center());
    showAndPaintAtOnce(note.get());
    return note;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> answered = answerCommandLine(argc, argv))
        return *answered;
    QuilloApplication app(argc, argv);
    nameQuilloApplication();
    installQtTranslations();
    // No display name: on X11 Qt would add " — Quillo" to every window and box
    // caption, and the captions are the program's own texts exactly.

    // Held until the process ends, so a second start is refused until this one
    // has saved its settings and renumbered the IDs.
    SingleInstance instance;
    if (!instance.tryAcquire() && !waitForTheOtherQuillo(instance)) {
        // The running window comes forward, and this start says why no second
        // window opens.
        if (instance.heldByAnother())
            requestActivation(activationChannelName());
        ShowSystemMessage(QStringLiteral("Quillo - 警告"),
                          instance.heldByAnother()
                              ? QStringLiteral("既に起動されています。")
                              : instance.failureReason() + QStringLiteral("。"),
                          true);
        return 1;
    }

    // The window's catalogue is always the one at its own place; the first run
    // makes it there. Any other missing or foreign file is refused when opened.
    const QString catalogue = Connection::aliasPath(QStringLiteral("book"));
    try {
        CreateCatalogueIfMissing(catalogue);
    } catch (const EngineError& e) {
        ShowDefaultError(e.message());
        return 1;
    }
    // quillo-csv, or another user's window, may be working on this very
    // catalogue; a window over it now would show rows that are about to change
    // under it, and its changes would meet theirs.
    CatalogueLock lock(catalogue, CatalogueUser::Window);
    if (!lock.tryAcquire()) {
        ShowSystemMessage(QStringLiteral("Quillo - 警告"),
                          catalogueLockRefusal(lock, catalogue) + QStringLiteral("。"), true);
        return 1;
    }

    // The name data's index is made (once, the first time) while the window
    // opens; readings wait for it only when a book must be read.
    prepareNameIndexInBackground();
    substituteJapaneseFonts();
    setDateBeep([] { QApplication::beep(); });
    std::unique_ptr<TDM> store;
    std::unique_ptr<TFormMainWin> window;
    try {
        store = std::make_unique<TDM>(nullptr, TDM::FirstRead::Deferred);
        // The books are read, in the order the settings ask for, while the window
        // is being built; its first showing takes them.
        AppSettings settings;
        LoadSettings(IniPath(), settings);
        // The read starts before the readings are checked, in the order they
        // are expected to give; when they had to be made first (or cannot be
        // used), the books are read again in the order they allow.
        const SortSettings sort = settings.sort();
        const bool readAhead = sort.reading && readingsKept(*store);
        store->PrefetchAll(readAhead ? sort : store->usableSort(sort));
        if (openReadings(*store) != 0 || store->usableSort(sort).reading != readAhead)
            store->PrefetchAll(store->usableSort(sort));
        window = std::make_unique<TFormMainWin>(*store);
    } catch (const EngineError& e) {
        // The messages of opening name the file and what is wrong with it.
        ShowDefaultError(e.message());
        return 1;
    } catch (const std::exception& e) {
        ShowDefaultError(QStringLiteral("%1: %2").arg(catalogue, QString::fromUtf8(e.what())));
        return 1;
    }
    FirstPaintProbe::installIfRequested();
    auto activation = std::make_unique<ActivationServer>(activationChannelName());
    QObject::connect(activation.get(), &ActivationServer::activationRequested, window.get(),
                     &TFormMainWin::bringForward);
    activation->listen();
    window->show();
    app.exec();

    // From here no window answers a second start, which waits for this close.
    activation.reset();
    window.reset();  // the live query closes; unapplied changes are dropped
    try {
        // The IDs are renumbered to 1..N only when no other program has the
        // catalogue open: its rows would point at other books afterwards.
        const bool renumber = lock.aloneWithTheFile();
        std::unique_ptr<QLabel> note;
        if (renumber && !store->readOnly() && !store->IdsInOrder())
            note = showClosingNote();
        store->CloseStore(renumber);
    } catch (const EngineError& e) {
        // Another program that began reading after the window asked: the IDs
        // stay as they are until a close that has the file to itself.
        if (e.isBusy())
            ShowSystemMessage(QStringLiteral("Quillo"), kRenumberingDeferred, false);
        else
            ShowDefaultError(e.message());
    }
    return 0;
}
