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

} // namespace kv
