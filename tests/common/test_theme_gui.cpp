// The dark theme is readable: every text and box edge stands out from what lies behind it by
// at least 4.5:1, disabled texts and the fixed colours of single labels included. Measured on
// the pixels the theme really draws.
#include "common/gui_theme.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <functional>

namespace {

constexpr double kReadable = 4.5;

// What to measure in a control drawn on a window: the strongest contrast of the pixels in
// `area` against the pixel at `behind` (both relative to the control).
struct Probe {
    QRect area;
    QPoint behind;
};
using Make = std::function<Probe(QWidget* window)>;

QFont bigText() { // stems several pixels wide: the measure sees the text's own colour
    QFont font = QApplication::font();
    font.setPixelSize(22);
    font.setBold(true);
    return font;
}

template <typename W> W* place(QWidget* window, W* control, QSize size = QSize(160, 30)) {
    control->setParent(window);
    control->setGeometry(QRect(QPoint(20, 20), size));
    return control;
}

// Text of a control measured against its own face, away from its frame.
Probe inside(QWidget* control) {
    control->setFont(bigText());
    return {control->rect().adjusted(4, 4, -4, -4), QPoint(control->width() - 4, 4)};
}

// A box edge measured against the window around it.
Probe edge(QWidget* control) {
    return {control->rect(), QPoint(-8, -8)};
}

Probe indicator(QAbstractButton* button, QStyle::SubElement element) {
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect box = button->style()->subElementRect(element, &option, button);
    return {box, QPoint(-8, -8)};
}

} // namespace

class TestTheme : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyTextAndEdgeIsReadable_data();
    void everyTextAndEdgeIsReadable();
    void focusIsFramedInAColourThatStandsOut_data();
    void focusIsFramedInAColourThatStandsOut();
};

void TestTheme::initTestCase() {
    kv::applyCarbonTheme(*qApp);
}

void TestTheme::everyTextAndEdgeIsReadable_data() {
    QTest::addColumn<Make>("make");
    const auto disabled = [](QWidget* w) {
        w->setEnabled(false);
        return w;
    };
    QTest::newRow("unticked check box") << Make([](QWidget* w) {
        auto* box = place(w, new QCheckBox);
        return indicator(box, QStyle::SE_CheckBoxIndicator);
    });
    QTest::newRow("ticked disabled check box") << Make([](QWidget* w) {
        auto* box = place(w, new QCheckBox);
        box->setChecked(true);
        box->setEnabled(false);
        return indicator(box, QStyle::SE_CheckBoxIndicator);
    });
    QTest::newRow("radio button") << Make([](QWidget* w) {
        auto* radio = place(w, new QRadioButton);
        return indicator(radio, QStyle::SE_RadioButtonIndicator);
    });
    QTest::newRow("check box text, disabled") << Make([=](QWidget* w) {
        auto* box = place(w, new QCheckBox(QStringLiteral("Wl")));
        box->setFont(bigText());
        box->setEnabled(false);
        return indicator(box, QStyle::SE_CheckBoxContents);
    });
    QTest::newRow("label, disabled")
        << Make([=](QWidget* w) { return inside(disabled(place(w, new QLabel("Wl")))); });
    QTest::newRow("drawn team in a disabled box")
        << Make([=](QWidget* w) { return inside(disabled(place(w, new QLineEdit("Wl")))); });
    QTest::newRow("edit box edge")
        << Make([](QWidget* w) { return edge(place(w, new QLineEdit)); });
    QTest::newRow("choice box, disabled") << Make([=](QWidget* w) {
        auto* box = place(w, new QComboBox);
        box->addItem(QStringLiteral("Wl"));
        return inside(disabled(box));
    });
    QTest::newRow("choice box edge")
        << Make([](QWidget* w) { return edge(place(w, new QComboBox)); });
    QTest::newRow("button text, disabled") << Make([=](QWidget* w) {
        return inside(disabled(place(w, new QPushButton(QStringLiteral("Wl")))));
    });
    QTest::newRow("button edge") << Make(
        [](QWidget* w) { return edge(place(w, new QPushButton)); });
    QTest::newRow("button edge, disabled")
        << Make([=](QWidget* w) { return edge(disabled(place(w, new QPushButton))); });
    QTest::newRow("sunken box") << Make([](QWidget* w) {
        auto* frame = place(w, new QFrame);
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Sunken);
        return edge(frame);
    });
    QTest::newRow("sunken line") << Make([](QWidget* w) {
        auto* frame = place(w, new QFrame, QSize(160, 3));
        frame->setFrameShape(QFrame::HLine);
        frame->setFrameShadow(QFrame::Sunken);
        return edge(frame);
    });
    for (const QColor fixed : {QColor(255, 0, 0), QColor(0, 128, 0)})
        QTest::newRow(qPrintable(QStringLiteral("fixed colour %1").arg(fixed.name()))) << Make(
            [fixed](QWidget* w) {
                auto* label = place(w, new QLabel("Wl"));
                label->setStyleSheet(QStringLiteral("color: %1; background-color: %2;")
                                         .arg(fixed.name(), kv::readableBackground(fixed).name()));
                return inside(label);
            });
}

void TestTheme::everyTextAndEdgeIsReadable() {
    QFETCH(Make, make);
    QWidget window;
    window.resize(200, 70);
    const Probe probe = make(&window);
    QWidget* control = window.findChildren<QWidget*>().value(0);
    QVERIFY(control);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shot = window.grab().toImage();
    const QPoint at = control->pos();
    const QColor behind = shot.pixelColor(probe.behind + at);
    double best = 1;
    const QRect area = probe.area.translated(at);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, kv::contrastRatio(shot.pixelColor(x, y), behind));
    QVERIFY2(best >= kReadable,
             qPrintable(QStringLiteral("%1 against %2").arg(best, 0, 'f', 2).arg(behind.name())));
}

void TestTheme::focusIsFramedInAColourThatStandsOut_data() {
    using M = std::function<QWidget*(QWidget*)>;
    QTest::addColumn<M>("make");
    QTest::newRow("edit box") << M([](QWidget* w) { return place(w, new QLineEdit("Wl")); });
    QTest::newRow("choice box") << M([](QWidget* w) { return place(w, new QComboBox); });
    QTest::newRow("check box") << M([](QWidget* w) { return place(w, new QCheckBox("Wl")); });
    QTest::newRow("list") << M([](QWidget* w) { return place(w, new QListWidget); });
}

// At least 3:1 against every face it is drawn on; a frame of it on the focused control only.
void TestTheme::focusIsFramedInAColourThatStandsOut() {
    QFETCH(std::function<QWidget*(QWidget*)>, make);
    for (const QPalette::ColorRole face : {QPalette::Window, QPalette::Base, QPalette::Button,
                                           QPalette::Highlight, QPalette::AlternateBase})
        QVERIFY(kv::contrastRatio(kv::focusColour(), QApplication::palette().color(face)) >= 3);
    QWidget window;
    window.resize(200, 70);
    auto* elsewhere = new QWidget(&window); // takes the focus, draws nothing
    elsewhere->setFocusPolicy(Qt::StrongFocus);
    QWidget* control = make(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const auto framed = [&] {
        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(shot.constBits());
        return std::count(pixels, pixels + shot.width() * shot.height(), kv::focusColour().rgb());
    };
    elsewhere->setFocus();
    QVERIFY(framed() == 0);
    control->setFocus();
    QVERIFY2(framed() >= 40, qPrintable(QString::number(framed())));
}

QTEST_MAIN(TestTheme)
#include "test_theme_gui.moc"
