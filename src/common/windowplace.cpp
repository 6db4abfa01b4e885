#include "common/windowplace.h"

#include <algorithm>

namespace kv {

QRect fitWithin(const QRect& window, const QRect& available) {
    if (available.isEmpty())
        return window;
    const auto fit = [](int pos, int size, int low, int areaSize) {
        // The far edge first, then the near one: the near edge wins for oversized windows.
        pos = std::min(pos, low + areaSize - size);
        return std::max(pos, low);
    };
    QRect placed = window;
    placed.moveTo(fit(window.x(), window.width(), available.x(), available.width()),
                  fit(window.y(), window.height(), available.y(), available.height()));
    return placed;
}

QMargins assumedFrame(const QMargins& lastSeen) {
    // A caption of about 30 pixels and thin borders cover the usual window managers.
    return lastSeen.isNull() ? QMargins(4, 30, 4, 4) : lastSeen;
}

QRect fitFrame(const QRect& frame, const QMargins& margins, const QRect& available,
               const QSize& minimum, bool resizable) {
    QRect placed = frame;
    if (resizable && !available.isEmpty()) {
        const QSize least = minimum.grownBy(margins);
        placed.setWidth(std::max(std::min(frame.width(), available.width()), least.width()));
        placed.setHeight(std::max(std::min(frame.height(), available.height()), least.height()));
    }
    return fitWithin(placed, available);
}

SideBySide sideBySide(const QRect& first, int firstReadable, const QRect& second,
                      const QRect& available) {
    const int room = available.width() - second.width();
    QSize size = first.size();
    if (size.width() > room && room >= firstReadable && size.width() > 0)
        size = QSize(room, size.height() * room / size.width());
    SideBySide placed;
    if (size.width() <= room) {
        const int left = available.left() + (room - size.width()) / 2;
        const int tallest = std::max(size.height(), second.height());
        const int top = available.top() + std::max(0, (available.height() - tallest) / 2);
        placed.first = fitWithin(QRect(QPoint(left, top), size), available);
        placed.second =
            fitWithin(QRect(QPoint(left + size.width(), top), second.size()), available);
        placed.beside = true;
        return placed;
    }
    placed.first = fitWithin(QRect(available.topLeft(), first.size()), available);
    placed.second =
        fitWithin(QRect(available.bottomRight() - QPoint(second.width() - 1, second.height() - 1),
                        second.size()),
                  available);
    return placed;
}

} // namespace kv
