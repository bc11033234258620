#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quillo {

// Where a dialog goes when centred over its owner: the owner's left plus half its
// width minus half the dialog's width (halves truncated toward zero), the top
// likewise; then pushed back inside the screen's right and bottom edges. Message
// boxes are also raised to 0 when that leaves them negative; dialogs keep a
// negative position.
QPoint centredPosition(const QRect& owner, const QSize& dialog, const QSize& screen,
                       bool raiseNegativeToZero);

// Where a dialog at `dialog` goes so that it does not cover `keepClear` (the row
// the user is looking at): where it is when it covers nothing, else just below
// the row, else just above it, kept inside the screen.
QPoint positionClearOf(const QRect& dialog, const QRect& keepClear, const QRect& screen);

}  // namespace quillo
