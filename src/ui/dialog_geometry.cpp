#include "ui/dialog_geometry.h"

namespace quillo {

namespace {

int place(int ownerStart, int ownerLength, int length, int screenLength, bool raise) {
    int start = ownerStart + ownerLength / 2 - length / 2;
    if (start + length > screenLength)
        start = screenLength - length;
    if (raise && start < 0)
        start = 0;
    return start;
}

}  // namespace

QPoint centredPosition(const QRect& owner, const QSize& dialog, const QSize& screen,
                       bool raiseNegativeToZero) {
    return {
        place(owner.left(), owner.width(), dialog.width(), screen.width(), raiseNegativeToZero),
        place(owner.top(), owner.height(), dialog.height(), screen.height(), raiseNegativeToZero)};
}

}  // namespace quillo
