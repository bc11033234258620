#pragma once

#include <QList>
#include <QRect>

namespace quillo {

// Where a window's frame goes so that all of it is on a screen: on the screen
// it covers most (the first one where it covers none, as when the screens
// moved since it was saved), no larger than that screen's room, pushed inside
// its left, top, right and bottom edges. `screens` are the screens' available
// rooms; without any the frame stays as it is.
QRect keptOnScreen(const QRect& frame, const QList<QRect>& screens);

}  // namespace quillo
