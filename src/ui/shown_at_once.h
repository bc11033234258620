#pragma once

class QWidget;

namespace quillo {

// Shows a window that must be seen before long work blocks the event loop (a
// splash, a note while closing). The window system puts a window on the screen
// when it gets round to it; painted before that, it stays a black box or does
// not appear at all. So this waits, briefly (keys and clicks left for later),
// for the window to be on the screen, then paints it.
void showAndPaintAtOnce(QWidget* window);

}  // namespace quillo
