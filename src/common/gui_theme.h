#pragma once

#include <QFont>
#include <QPixmap>

class QApplication;
class QWidget;

namespace kv {

// The dark "Carbon" look: Fusion style, a dark palette and the stylesheet. Throws kv::Error
// when it cannot be applied; the program then keeps the plain look.
void applyCarbonTheme(QApplication& app);

// The classic window font at a pixel size: the original family where the system has it,
// else the nearest sans-serif.
QFont classicFont(int pixelSize);

// A football, drawn by us (best-scorer mark).
QPixmap footballPixmap(int size = 20);

// Makes a window's client area exactly width x height, not resizable, without a maximise box.
void fixClientSize(QWidget* window, int width, int height);

// Loads a picture file for an image box; throws kv::Error when it is missing or unreadable.
QPixmap loadPicture(const QString& path);

} // namespace kv
