#include "platform/help_viewer.h"

#include <QApplication>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <algorithm>

namespace quillo {

HelpViewer& HelpViewer::instance() {
    static HelpViewer viewer;
    return viewer;
}

QString HelpViewer::pageOfContext(int context) {
    switch (context) {
        case 8:
            return QStringLiteral("search.html");
        case 9:
            return QStringLiteral("options.html");
        case 10:
            return QStringLiteral("csv.html");
        case 12:
            return QStringLiteral("print.html");
        case 13:
            return QStringLiteral("record.html");
        default:
            return QStringLiteral("index.html");
    }
}

void HelpViewer::show(const QString& page) {
    if (!m_window) {
        m_window = new QTextBrowser;
        m_window->setObjectName(QStringLiteral("HelpWindow"));
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        m_window->setWindowTitle(QStringLiteral("Quillo ヘルプ"));
        m_window->setSearchPaths({QStringLiteral(":/help")});
        m_window->setOpenExternalLinks(true);
        m_window->resize(640, 560);
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_window);
        QObject::connect(escape, &QShortcut::activated, m_window, &QWidget::close);
        placeOnScreen();
    }
    m_window->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void HelpViewer::placeOnScreen() {
    // Centred over the window it was asked from, and wholly on that window's
    // screen, however near an edge that window stands.
    const QWidget* from = QApplication::activeWindow();
    const QScreen* screen =
        from && from->screen() ? from->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    QSize size = m_window->size().boundedTo(room.size());
    QRect frame(QPoint(), size);
    frame.moveCenter(from ? from->frameGeometry().center() : room.center());
    frame.moveLeft(std::clamp(frame.left(), room.left(), room.right() - size.width() + 1));
    frame.moveTop(std::clamp(frame.top(), room.top(), room.bottom() - size.height() + 1));
    m_window->setGeometry(frame);
}

void HelpViewer::showContents() {
    show(pageOfContext(0));
}

void HelpViewer::showContext(int context) {
    show(pageOfContext(context));
}

void HelpViewer::quit() {
    if (m_window)
        m_window->close();
}

}  // namespace quillo
