#include "platform/screen_fit.h"

#include <algorithm>

namespace quillo {

QRect keptOnScreen(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty())
        return frame;
    const QRect* room = &screens.first();
    qint64 covered = 0;
    for (const QRect& screen : screens) {
        const QRect common = screen & frame;
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > covered) {
            covered = area;
            room = &screen;
        }
    }
    const QSize size = frame.size().boundedTo(room->size());
    QRect kept(frame.topLeft(), size);
    kept.moveLeft(std::clamp(kept.left(), room->left(), room->right() - size.width() + 1));
    kept.moveTop(std::clamp(kept.top(), room->top(), room->bottom() - size.height() + 1));
    return kept;
}

}  // namespace quillo
