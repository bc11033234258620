#pragma once

#include <QPointer>
#include <QString>
#include <QTextBrowser>

class QTextBrowser;
class QWidget;

namespace quillo {

// The program's help ("QUILLO.HLP"): Japanese HTML pages shown in a help window.
// Context numbers open the page of a dialog.
class HelpViewer {
public:
    static HelpViewer& instance();

    void showContents();
    void showContext(int context);
    void quit();  // closes the help window if it is open
    QTextBrowser* window() const { return m_window; }

    static QString pageOfContext(int context);

private:
    void show(const QString& page);
    void placeOnScreen();
    QPointer<QTextBrowser> m_window;
};

}  // namespace quillo
