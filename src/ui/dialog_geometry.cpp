#include "ui/dialog_geometry.h"

#include <algorithm>

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

QPoint positionClearOf(const QRect& dialog, const QRect& keepClear, const QRect& screen) {
    if (!dialog.intersects(keepClear))
        return dialog.topLeft();
    constexpr int kGap = 8;
    const int below = keepClear.bottom() + 1 + kGap;
    const int above = keepClear.top() - kGap - dialog.height();
    int top = below + dialog.height() <= screen.bottom() + 1 ? below : above;
    top = std::max(screen.top(), top);
    const int left = std::clamp(dialog.left(), screen.left(),
                                std::max(screen.left(), screen.right() + 1 - dialog.width()));
    return {left, top};
}

}  // namespace quillo
