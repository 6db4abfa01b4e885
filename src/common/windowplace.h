#pragma once

#include <QRect>

namespace kv {

// Where a window goes: at its own place when it lies wholly within the available area, else
// moved just enough to lie within it. A window larger than the area keeps its top-left corner
// inside, so its caption and first controls stay reachable.
QRect fitWithin(const QRect& window, const QRect& available);

} // namespace kv
