#include "platform/first_paint_probe.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace quillo {

void FirstPaintProbe::installIfRequested() {
    if (qEnvironmentVariableIsEmpty("QUILLO_QUIT_AFTER_FIRST_PAINT"))
        return;
    qApp->installEventFilter(new FirstPaintProbe);
}

bool FirstPaintProbe::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && !m_seen) {
        m_seen = true;
        // A zero timer runs after the whole paint pass, so every widget of the
        // window has painted and the frame has been handed to the screen.
        QTimer::singleShot(0, qApp, [this] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first_paint_ns %lld\n",
                        static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            qApp->removeEventFilter(this);
            QCoreApplication::quit();
        });
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillo
