#include "common/gui_theme.h"

#include "common/errors.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <cmath>

namespace kv {

void applyCarbonTheme(QApplication& app) {
    QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!style)
        throw Error(
            QStringLiteral("Theme \"Carbon\" cannot be applied: the Fusion style is missing."));
    QFile sheet(QStringLiteral(":/theme/carbon.qss"));
    if (!sheet.open(QIODevice::ReadOnly)) {
        delete style;
        throw Error(
            QStringLiteral("Theme \"Carbon\" cannot be applied: %1").arg(sheet.errorString()));
    }
    app.setStyle(style);
    QPalette p;
    const QColor window(45, 45, 48), base(30, 30, 32), text(220, 220, 220);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(58, 58, 62));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, QColor(90, 160, 255));
    p.setColor(QPalette::Highlight, QColor(70, 110, 170));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    app.setPalette(p);
    app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

QFont classicFont(int pixelSize) {
    // Only families the system really has: fontconfig would otherwise "find" the original
    // family by substituting a wide face for it.
    static const QStringList families = [] {
        QStringList found;
        for (const char* family : {"MS Sans Serif", "Liberation Sans", "Arimo", "DejaVu Sans"})
            if (QFontDatabase::hasFamily(QString::fromLatin1(family)))
                found.append(QString::fromLatin1(family));
        return found;
    }();
    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

QPixmap footballPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ball(1, 1, size - 2, size - 2);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(ball);
    // a black pentagon in the middle and five patches cut by the rim
    const QPointF c = ball.center();
    const double r = size * 0.2;
    QPainterPath pentagon;
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 2 * M_PI / 5;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        i == 0 ? pentagon.moveTo(pt) : pentagon.lineTo(pt);
    }
    pentagon.closeSubpath();
    painter.setBrush(Qt::black);
    painter.drawPath(pentagon);
    painter.setClipRegion(QRegion(ball.toRect(), QRegion::Ellipse));
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 2 * M_PI / 5;
        const QPointF pt(c.x() + size * 0.5 * std::cos(a), c.y() + size * 0.5 * std::sin(a));
        painter.drawEllipse(pt, size * 0.16, size * 0.16);
        painter.drawLine(c + (pt - c) * 0.45, pt);
    }
    return pixmap;
}

void fixClientSize(QWidget* window, int width, int height) {
    window->setFixedSize(width, height);
    window->setWindowFlags((window->windowFlags() | Qt::MSWindowsFixedSizeDialogHint |
                            Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint) &
                           ~Qt::WindowMaximizeButtonHint);
}

QImage readPicture(const QString& path) {
    if (!QFileInfo(path).isFile())
        throw cannotOpen(path, QStringLiteral("No such file or directory"));
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        throw cannotOpen(path, reader.errorString());
    return image;
}

QPixmap loadPicture(const QString& path) {
    return QPixmap::fromImage(readPicture(path));
}

} // namespace kv
