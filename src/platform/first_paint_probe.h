#pragma once

#include <QObject>

namespace quillo {

// For start-up measurements: when the environment variable
// QUILLO_QUIT_AFTER_FIRST_PAINT is set, the first paint of any widget is
// followed (once that paint pass has finished) by a line
// "first_paint_ns <CLOCK_MONOTONIC nanoseconds>" on standard output and the end
// of the event loop. Without the variable nothing is installed.
class FirstPaintProbe : public QObject {
public:
    static void installIfRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_seen = false;
};

}  // namespace quillo
