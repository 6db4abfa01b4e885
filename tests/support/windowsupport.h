#pragma once

// Helpers for the tests of windows (they link the window library).

#include "testsupport.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QtTest>

namespace kvtest {

// Whether the window font is one with the widths the fixed pixel layout was drawn for (those
// of Arial, shared by Liberation Sans and Arimo). Another font the system may have instead,
// DejaVu Sans, is about a tenth wider.
inline bool layoutFont(const QFont& font) {
    const QString family = QFontInfo(font).family();
    return family == QLatin1String("Liberation Sans") || family == QLatin1String("Arimo") ||
           family == QLatin1String("MS Sans Serif");
}

// Room a control's caption needs: the text, and for a push button its frame and icon.
inline int captionWidth(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->fontMetrics().horizontalAdvance(label->text());
    if (auto* button = qobject_cast<const QPushButton*>(w))
        return button->fontMetrics().horizontalAdvance(button->text()) + 8 +
               (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
    return w->sizeHint().width();
}

// Whether the caption fits the control: to the pixel with the layout's font, and without
// losing more than a few letters' worth with a wider one.
inline bool captionFits(const QWidget* w) {
    const int room = w->width() + 2;
    return captionWidth(w) <= (layoutFont(w->font()) ? room : room * 6 / 5);
}

// Every caption of a window fits its control: the labels that show a text and the buttons.
inline void verifyCaptionsFit(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            QVERIFY2(captionFits(label), qPrintable(label->text()));
    for (QPushButton* button : window->findChildren<QPushButton*>())
        QVERIFY2(captionFits(button), qPrintable(button->text()));
}

} // namespace kvtest
