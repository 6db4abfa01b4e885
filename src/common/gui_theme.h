#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QSize>

class QApplication;
class QWidget;

namespace kv {

// The dark "Carbon" look: Fusion style drawn in a dark palette. Throws kv::Error when it cannot
// be applied; the program then keeps the plain look.
void applyCarbonTheme(QApplication& app);

// The colour of the frame that shows which control has the keyboard focus.
QColor focusColour();

// Contrast of two colours as the ratio of their relative luminances (each + 0.05): 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// Black or white, whichever makes a text of this colour easier to read: a fixed colour such
// as pure red or dark green cannot be read on the dark window.
QColor readableBackground(const QColor& text);

// The classic window font at a pixel size: the original family where the system has it,
// else the nearest sans-serif.
QFont classicFont(int pixelSize);

// A football, drawn by us (best-scorer mark).
QPixmap footballPixmap(int size = 20);

// The glyph of the main window's full-table button: a sheet of lines, drawn by us (reading a
// picture file would load every image plugin before the window is shown).
QPixmap tablePixmap(int size = 16);

// The start of every window's constructor, before its controls exist (setupUi): the classic
// font, so that the controls are made with it instead of each being told of a change; with a
// client size, that fixed size and the flags of a window that cannot be resized or maximised,
// plus `extraFlags`. The flags come before the controls too: changing them re-parents the
// window, which polishes every control again.
void prepareWindow(QWidget* window, QSize fixedClient = {}, Qt::WindowFlags extraFlags = {});

// Reads a picture file (a bitmap, or anything Qt reads); throws "Cannot open file ..." when it
// is missing or unreadable.
QImage readPicture(const QString& path);
// The same, for an image box.
QPixmap loadPicture(const QString& path);

} // namespace kv
