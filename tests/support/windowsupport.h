#pragma once

// Helpers for the tests of windows (they link the window library).

#include "testsupport.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QXmlStreamReader>
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

// One row per placed control of a window's design file (src/<uiFile>): its name, class and
// geometry. The design file is the one home of the layout; the rows check that the running
// window still stands that way, whatever the code does to it after building it.
inline void addDesignRows(const QString& uiFile) {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry");
    QFile file(sourceDir() + QStringLiteral("src/") + uiFile);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QXmlStreamReader xml(&file);
    QList<std::pair<QString, QString>> open; // the widgets the reader is inside: name, class
    QString property;
    QMap<QString, int> rect;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement() && name == QLatin1String("widget")) {
            open.append({xml.attributes().value("name").toString(),
                         xml.attributes().value("class").toString()});
        } else if (xml.isEndElement() && name == QLatin1String("widget")) {
            open.removeLast();
        } else if (xml.isStartElement() && name == QLatin1String("property")) {
            property = xml.attributes().value("name").toString();
        } else if (xml.isStartElement() && property == QLatin1String("geometry") &&
                   name != QLatin1String("rect")) {
            rect[name.toString()] = xml.readElementText().toInt();
        } else if (xml.isEndElement() && name == QLatin1String("property")) {
            if (property == QLatin1String("geometry") && open.size() > 1)
                QTest::newRow(qPrintable(open.last().first))
                    << open.last().first << open.last().second
                    << QRect(rect["x"], rect["y"], rect["width"], rect["height"]);
            property.clear();
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

// The check for a row of addDesignRows: the control is of its class, where the design puts it,
// and a caption it shows fits.
inline void verifyAsDesigned(QWidget* window) {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QWidget* w = child<QWidget>(window, name);
    QVERIFY2(w->inherits(qPrintable(kind)), w->metaObject()->className());
    QCOMPARE(w->geometry(), geometry);
    if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty())
        QVERIFY2(captionFits(label), qPrintable(label->text()));
    if (auto* button = qobject_cast<QPushButton*>(w))
        QVERIFY2(captionFits(button), qPrintable(button->text()));
}

} // namespace kvtest
