#include "common/gui_theme.h"

#include "common/errors.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// The theme's colours. Every text and every box edge stands out from what lies behind it by at
// least 4.5:1 in contrast, disabled texts too: the drawn teams are shown in disabled boxes.
const QColor kWindow(0x2d, 0x2d, 0x30);
const QColor kBase(0x1e, 0x1e, 0x20);
const QColor kDisabledBase(0x28, 0x28, 0x2a);
const QColor kText(0xdc, 0xdc, 0xdc);
const QColor kEditText(0xe6, 0xe6, 0xe6);
const QColor kDisabledText(0xa0, 0xa0, 0xa0);
const QColor kEdge(0x9a, 0x9a, 0x9a);
const QColor kDefaultEdge(0x8f, 0xb0, 0xea);
const QColor kButton(0x3a, 0x3a, 0x3e);
const QColor kButtonHover(0x46, 0x46, 0x4c);
const QColor kButtonDown(0x2a, 0x2a, 0x2e);
const QColor kButtonDisabled(0x32, 0x32, 0x35);
const QColor kSelection(0x46, 0x66, 0x9a);
// The keyboard focus: amber, at least 3:1 against every face it is drawn on (window, boxes,
// buttons, the selected row), and unlike the blue edge of a default button.
const QColor kFocus(0xff, 0xb0, 0x00);
constexpr int kFocusWidth = 2;

// A one-pixel box in the edge colour just inside rect.
void drawEdge(QPainter* painter, const QRect& rect) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(kEdge, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

// The focus frame: two pixels just inside rect.
void drawFocus(QPainter* painter, const QRect& rect) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(kFocus, kFocusWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
    painter->restore();
}

bool focused(const QStyleOption* option) {
    return option->state & QStyle::State_HasFocus;
}

// A standard icon that is read only when it is first drawn or measured. Reading one decodes
// its pictures, and the first picture read makes Qt load every image plugin to ask about it:
// work the hidden windows and a menu bar's overflow button do not need at start.
class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which)
        : style_(style), which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    // Only icons the style is known to have are deferred, so the answer needs no reading.
    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon& icon() {
        if (!loaded_) {
            QStyle* style = style_ ? style_.data() : QApplication::style();
            icon_ = style->standardIcon(which_);
            loaded_ = true;
        }
        return icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    QIcon icon_;
    bool loaded_ = false;
};

// Fusion with its standard icons deferred (the menu bar and the windows still ask for them when
// they are made, but only the ones shown are read), and with the boxes Fusion draws in shades of
// the window colour, which a dark window makes invisible, drawn again in the theme's own colours:
// buttons, edit and list boxes, menus, table headers, check boxes and radio buttons. Drawn by the
// style, the look costs nothing per control; a style sheet would be matched against every control
// of every window as it is made.
class CarbonStyle : public QProxyStyle {
public:
    explicit CarbonStyle(QStyle* fusion) : QProxyStyle(fusion) {}

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        switch (which) {
        case SP_DialogOkButton:
        case SP_FileDialogDetailedView:
        case SP_ToolBarHorizontalExtensionButton:
        case SP_ToolBarVerticalExtensionButton:
            return QIcon(new DeferredIconEngine(baseStyle(), which));
        default:
            return QProxyStyle::standardIcon(which, option, widget);
        }
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        switch (element) {
        case PE_PanelButtonCommand:
            drawButton(option, painter);
            return;
        case PE_Frame:
        case PE_FrameLineEdit:
            // Edit boxes, memos, lists and grids show the focus on their edge.
            if (focused(option))
                drawFocus(painter, option->rect);
            else
                drawEdge(painter, option->rect);
            return;
        case PE_FrameMenu:
            drawEdge(painter, option->rect);
            return;
        case PE_FrameFocusRect:
            // Around a check box's or radio button's text, a tab's caption, a list's current
            // item. A push button shows its focus on its face's edge instead.
            if (!qobject_cast<const QPushButton*>(widget))
                drawFocus(painter, option->rect);
            return;
        default:
            break;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        // The box of a check box and the ring of a radio button; not smoothed: a smoothed
        // one-pixel ring never reaches its own colour.
        if (element != PE_IndicatorCheckBox && element != PE_IndicatorRadioButton)
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(kEdge, 1));
        painter->setBrush(Qt::NoBrush);
        if (element == PE_IndicatorCheckBox)
            painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        else
            painter->drawEllipse(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        switch (element) {
        case CE_HeaderSection:
            painter->fillRect(option->rect, kButton);
            drawEdge(painter, option->rect);
            return;
        case CE_ProgressBarGroove:
            painter->fillRect(option->rect, kBase);
            drawEdge(painter, option->rect);
            return;
        default:
            QProxyStyle::drawControl(element, option, painter, widget);
        }
    }

private:
    // A push button's face, also the face of a choice box and of its arrow.
    static void drawButton(const QStyleOption* option, QPainter* painter) {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        const bool enabled = option->state & State_Enabled;
        const bool isDefault = button && (button->features & QStyleOptionButton::DefaultButton);
        QColor face = kButton;
        if (!enabled)
            face = kButtonDisabled;
        else if (option->state & (State_Sunken | State_On))
            face = kButtonDown;
        else if (option->state & State_MouseOver)
            face = kButtonHover;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(enabled && isDefault ? kDefaultEdge : kEdge, 1));
        painter->setBrush(face);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter->restore();
        // Also the face of a choice box, which has the focus itself.
        if (enabled && focused(option))
            drawFocus(painter, option->rect);
    }
};

} // namespace

void applyCarbonTheme(QApplication& app) {
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!fusion)
        throw Error(
            QStringLiteral("Тёмное оформление недоступно: в Qt нет стиля Fusion. Окна будут в "
                           "оформлении системы."));
    app.setStyle(new CarbonStyle(fusion));
    QPalette p;
    p.setColor(QPalette::Window, kWindow);
    p.setColor(QPalette::WindowText, kText);
    p.setColor(QPalette::Base, kBase);
    p.setColor(QPalette::AlternateBase, kWindow);
    p.setColor(QPalette::ToolTipBase, QColor(0x3c, 0x3c, 0x40));
    p.setColor(QPalette::ToolTipText, kEditText);
    p.setColor(QPalette::Text, kEditText);
    p.setColor(QPalette::Button, kButton);
    p.setColor(QPalette::ButtonText, kText);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, QColor(90, 160, 255));
    p.setColor(QPalette::Highlight, kSelection);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Base, kDisabledBase);
    p.setColor(QPalette::Disabled, QPalette::Button, kButtonDisabled);
    p.setColor(QPalette::Disabled, QPalette::Text, kDisabledText);
    p.setColor(QPalette::Disabled, QPalette::WindowText, kDisabledText);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, kDisabledText);
    // Sunken boxes and lines are drawn in these.
    for (const QPalette::ColorRole role :
         {QPalette::Light, QPalette::Midlight, QPalette::Mid, QPalette::Dark, QPalette::Shadow})
        p.setColor(role, kEdge);
    app.setPalette(p);
}

QColor focusColour() {
    return kFocus;
}

double contrastRatio(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableBackground(const QColor& text) {
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    return contrastRatio(text, black) >= contrastRatio(text, white) ? black : white;
}

QFont classicFont(int pixelSize) {
    // Only families the system really has: fontconfig would otherwise "find" the original
    // family by substituting a wide face for it. The list of installed families is looked up
    // directly; asking for each family by name runs fontconfig's substitution rules for the
    // ones that are missing, which costs more than the rest of the font set-up.
    static const QStringList families = [] {
        const QStringList installed = QFontDatabase::families();
        QStringList found;
        for (const char* family : {"MS Sans Serif", "Liberation Sans", "Arimo", "DejaVu Sans"})
            if (installed.contains(QString::fromLatin1(family), Qt::CaseInsensitive))
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

QPixmap tablePixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QRect sheet(1, 1, size - 2, size - 2);
    painter.fillRect(sheet, Qt::white);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    painter.drawRect(sheet.adjusted(0, 0, -1, -1));
    // a row marker and a line of text on every third pixel row
    for (int y = sheet.top() + 3; y < sheet.bottom() - 1; y += 3) {
        painter.drawPoint(sheet.left() + 3, y);
        painter.drawLine(sheet.left() + 5, y, sheet.right() - 3, y);
    }
    return pixmap;
}

void prepareWindow(QWidget* window, QSize fixedClient, Qt::WindowFlags extraFlags) {
    window->setFont(classicFont(11));
    if (!fixedClient.isValid() && !extraFlags)
        return;
    if (fixedClient.isValid())
        window->setFixedSize(fixedClient);
    window->setWindowFlags((window->windowFlags() | Qt::MSWindowsFixedSizeDialogHint |
                            Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint | extraFlags) &
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
