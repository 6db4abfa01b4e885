#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace kv {

// Where a window goes: at its own place when it lies wholly within the available area, else
// moved just enough to lie within it. A window larger than the area keeps its top-left corner
// inside, so its caption and first controls stay reachable.
QRect fitWithin(const QRect& window, const QRect& available);

// The frame the window manager draws around our windows, for a window not shown yet: the frame
// last seen on one of them, else a caption and borders of a usual size.
QMargins assumedFrame(const QMargins& lastSeen);

// The same for a window's frame (`frame`: the window with its caption and borders; `margins`:
// those borders). A window the user may resize is first made smaller when it is larger than
// the area, never below its minimum client size; a fixed one keeps its size.
QRect fitFrame(const QRect& frame, const QMargins& margins, const QRect& available,
               const QSize& minimum, bool resizable);

// Two windows of one step side by side, both wholly within the available area: the first at
// the left, made narrower (in proportion) down to `firstReadable` width when that makes room.
// Where even that leaves no room, the first goes to the area's top-left corner and the second
// to its bottom-right corner, so that a part of each stays in sight.
struct SideBySide {
    QRect first;
    QRect second;
    bool beside = false;
};
SideBySide sideBySide(const QRect& first, int firstReadable, const QRect& second,
                      const QRect& available);

} // namespace kv
