#include "app/tform1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/gui_theme.h"
#include "common/opener.h"
#include "common/random.h"
#include "common/services.h"
#include "pools/tform7.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>

using kvtest::child;

namespace {

struct Fixture : kvtest::Fakes {
    kvtest::WorkFolder folder;

    Fixture() : Fakes(42, QDateTime(QDate(2026, 12, 9), QTime(20, 0))) {
        folder.copyDefaultData();
        folder.write("settings.ini",
                     {"0", "clubs", "[players]", QStringLiteral("Зурко"), QStringLiteral("Пенва"),
                      QStringLiteral("Лодыш"), "[gift]", "1", "[log all teams]", "1"});
    }
};

} // namespace

class TestTForm1Layout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void controlsStandWhereTheyBelong_data();
    void controlsStandWhereTheyBelong();
    void windowAndStartStates();
    void menuAndShortcut();
    void twoPlayersOpensTheSmallWindow();
    void aboutExitAndLink();
    void prizeAreaIsUncoveredByRaisingTheClientHeight();
};

void TestTForm1Layout::initTestCase() {
    // the look of the real program: its font and the dark theme
    QApplication::setFont(kv::classicFont(11));
    kv::applyCarbonTheme(*qApp);
    QVERIFY(qApp->styleSheet().contains(QStringLiteral("QPushButton")));
}

void TestTForm1Layout::controlsStandWhereTheyBelong_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry"); // width or height 0: not fixed
    QTest::addColumn<QString>("caption");
    auto row = [](const char* name, const char* kind, QRect g, const QString& caption = {}) {
        QTest::newRow(name) << QString(name) << QString(kind) << g << caption;
    };
    row("Label1", "QLabel", {8, 8, 0, 0}, QStringLiteral("Количество команд:"));
    row("ComboBox1", "QComboBox", {116, 5, 37, 0}, "3");
    row("CheckBox1", "QCheckBox", {168, 8, 137, 17}, QStringLiteral("Случайно "));
    row("Button2", "QPushButton", {360, 4, 75, 25}, QStringLiteral("Заполнить"));
    row("Button1", "QPushButton", {440, 4, 75, 25}, QStringLiteral("Расписание"));
    row("Label2", "QLabel", {8, 40, 0, 0}, QStringLiteral("Команда 1"));
    row("Label3", "QLabel", {8, 64, 0, 0}, QStringLiteral("Команда 2"));
    row("Label4", "QLabel", {8, 88, 0, 0}, QStringLiteral("Команда 3"));
    row("Edit1", "QLineEdit", {72, 36, 121, 0});
    row("Edit2", "QLineEdit", {72, 60, 121, 0});
    row("Edit3", "QLineEdit", {72, 84, 121, 0});
    row("ComboBox5", "QComboBox", {87, 36, 124, 0});
    row("ComboBox6", "QComboBox", {87, 60, 124, 0});
    row("ComboBox7", "QComboBox", {79, 84, 132, 0});
    row("Label9", "QLabel", {212, 40, 0, 0}, "- ");
    row("Label16", "QLabel", {221, 40, 0, 0});
    row("Label17", "QLabel", {221, 64, 0, 0});
    row("Label18", "QLabel", {221, 88, 0, 0});
    row("Image2", "QLabel", {288, 37, 20, 20});
    row("Image5", "QLabel", {288, 62, 20, 20});
    row("Image6", "QLabel", {288, 86, 20, 20});
    row("Label5", "QLabel", {351, 40, 0, 0}, QStringLiteral("Кроме:"));
    row("ComboBox2", "QComboBox", {391, 36, 122, 0});
    row("ComboBox3", "QComboBox", {391, 60, 122, 0});
    row("ComboBox4", "QComboBox", {391, 84, 122, 0});
    row("Bevel2", "QFrame", {318, 31, 9, 81});
    row("Label33", "QLabel", {136, 112, 0, 0},
        QStringLiteral("Последние три команды! Выбор отключен!"));
    row("Bevel1", "QFrame", {7, 127, 506, 9});
    row("Label6", "QLabel", {8, 144, 0, 0}, QStringLiteral("Первый круг:"));
    row("Label7", "QLabel", {8, 165, 0, 0});
    row("Label8", "QLabel", {144, 165, 0, 0});
    row("Label10", "QLabel", {8, 181, 0, 0});
    row("Label11", "QLabel", {144, 181, 0, 0});
    row("Label14", "QLabel", {8, 197, 0, 0});
    row("Label15", "QLabel", {144, 197, 0, 0});
    row("BitBtn1", "QPushButton", {343, 158, 169, 38}, QStringLiteral("Полная таблица и печать"));
    row("Bevel3", "QFrame", {8, 220, 505, 9});
    row("Label28", "QLabel", {8, 240, 0, 0}, QStringLiteral("Прошлый турнир:"));
    row("Label29", "QLabel", {8, 264, 0, 0});
    row("Label25", "QLabel", {121, 242, 0, 0}, QStringLiteral("Команда 1"));
    row("Label26", "QLabel", {121, 261, 0, 0}, QStringLiteral("Команда 2"));
    row("Label27", "QLabel", {121, 280, 0, 0}, QStringLiteral("Команда 3"));
    row("Label22", "QLabel", {192, 242, 0, 0});
    row("Label23", "QLabel", {192, 261, 0, 0});
    row("Label24", "QLabel", {192, 280, 0, 0});
    row("CheckBox3", "QCheckBox", {304, 241, 209, 17},
        QStringLiteral("Не использовать ТРИ последние"));
    row("CheckBox4", "QCheckBox", {304, 264, 193, 17},
        QStringLiteral("Не использовать ВСЕ последние"));
    row("Button3", "QPushButton", {498, 263, 17, 17}, "...");
    row("Label12", "QLabel", {406, 286, 0, 0});
    row("Bevel4", "QFrame", {8, 312, 505, 113});
    row("Label31", "QLabel", {16, 320, 0, 0}, QStringLiteral("Первое место:"));
    row("Image1", "QLabel", {24, 344, 64, 64});
    row("Label30", "QLabel", {184, 320, 0, 0}, QStringLiteral("Второе место:"));
    row("Image3", "QLabel", {192, 344, 64, 64});
    row("Label32", "QLabel", {352, 320, 0, 0}, QStringLiteral("Приз за лучшего бомбардира:"));
    row("Image4", "QLabel", {360, 344, 64, 64});
}

void TestTForm1Layout::controlsStandWhereTheyBelong() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    Fixture f;
    TForm1 form(f.services, f.state);
    QWidget* w = child<QWidget>(&form, name);
    QCOMPARE(QString(w->metaObject()->className()), kind);
    QCOMPARE(w->parentWidget(), form.centralWidget());
    QCOMPARE(w->pos(), geometry.topLeft());
    if (geometry.width() > 0)
        QCOMPARE(w->width(), geometry.width());
    if (geometry.height() > 0)
        QCOMPARE(w->height(), geometry.height());
    if (caption.isEmpty())
        return;
    if (auto* label = qobject_cast<QLabel*>(w))
        QCOMPARE(label->text(), caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        QCOMPARE(button->text(), caption);
    else if (auto* combo = qobject_cast<QComboBox*>(w))
        QCOMPARE(combo->currentText(), caption);
    // every label that is shown at start fits its text
    if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty())
        QVERIFY2(kvtest::captionFits(label), qPrintable(name));
}

void TestTForm1Layout::windowAndStartStates() {
    Fixture f;
    TForm1 form(f.services, f.state);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.windowTitle().startsWith(QStringLiteral("Zorvo Kickvale 6")));
    QCOMPARE(form.centralWidget()->size(), QSize(520, 304));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(form.font().pixelSize(), 11);

    QVERIFY(form.Button2->isDefault());
    QVERIFY(form.Button2->isEnabled());
    QVERIFY(!form.Button1->isEnabled());
    QVERIFY(!form.BitBtn1->isEnabled());
    QVERIFY(form.CheckBox1->isChecked());
    QVERIFY(form.CheckBox3->isChecked());
    QVERIFY(form.Button2->font().bold());
    for (QLineEdit* team : {form.Edit1, form.Edit2, form.Edit3}) {
        QVERIFY(!team->isEnabled());
        QVERIFY(team->text().isEmpty());
    }
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{form.Label6, form.Label7, form.Label8, form.Label10,
                                         form.Label11, form.Label14, form.Label15, form.Label33})
        QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
    // the prize area lies below the visible client area
    QVERIFY(form.Bevel4->geometry().top() >= form.centralWidget()->height());
    // the team boxes lie over the team-choice boxes, whose drop-down buttons show to the right
    QVERIFY(form.centralWidget()->children().indexOf(form.Edit1) >
            form.centralWidget()->children().indexOf(form.ComboBox5));
    QVERIFY(form.ComboBox5->geometry().right() > form.Edit1->geometry().right());
    QVERIFY(form.ComboBox5->isEditable());
    QVERIFY(!form.ComboBox2->isEditable());
    QVERIFY(!form.Image2->pixmap().isNull());
    QCOMPARE(form.Image2->pixmap().size(), QSize(20, 20));
    QCOMPARE(form.Label33->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

void TestTForm1Layout::menuAndShortcut() {
    Fixture f;
    TForm1 form(f.services, f.state);
    QMenuBar* bar = child<QMenuBar>(&form, "MainMenu1");
    const QList<QAction*> top = bar->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->text(), QStringLiteral("&Меню"));
    QCOMPARE(top[1], form.N2);
    QCOMPARE(form.N2->text(), "?");
    QStringList items;
    for (QAction* a : form.N1->actions())
        items.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(items, (QStringList{QStringLiteral("&Команды..."), QStringLiteral("&Настройки..."),
                                 QStringLiteral("Статистика..."), QStringLiteral("Лист турнира..."),
                                 QStringLiteral("Графики..."), "-", QStringLiteral("&Выход")}));
    QCOMPARE(child<QAction>(&form, "ChartsCommand")->shortcut(),
             QKeySequence(QStringLiteral("Ctrl+G")));
    QCOMPARE(child<QAction>(&form, "N4")->isSeparator(), true);
    QCOMPARE(form.N3->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
}

void TestTForm1Layout::twoPlayersOpensTheSmallWindow() {
    Fixture f;
    TForm1 form(f.services, f.state);
    TForm7 two(f.services);
    MainWindowPeers peers;
    peers.twoPlayers = &two;
    form.setPeers(peers);
    QCOMPARE(form.ComboBox1->count(), 2);
    QCOMPARE(form.ComboBox1->itemText(0), "2");
    for (int i = 0; i < 2; ++i) { // choosing "2" again shows the same window again
        form.ComboBox1->setCurrentIndex(0);
        form.ComboBox1Change();
        QCOMPARE(form.ComboBox1->currentText(), "3");
        QVERIFY(two.isVisible());
        two.hide();
    }
    form.ComboBox1->setCurrentIndex(1);
    form.ComboBox1Change();
    QVERIFY(!two.isVisible());
}

void TestTForm1Layout::aboutExitAndLink() {
    Fixture f;
    TForm1 form(f.services, f.state);
    f.dialogs.clear();
    form.N2Click();
    QCOMPARE(f.dialogs.texts(kv::ScriptedDialogs::Kind::Information).size(), 1);
    const QString about = f.dialogs.texts().constFirst();
    QVERIFY(about.startsWith(QStringLiteral("Версия 6\n\rПрограммирование - ")));
    QVERIFY(about.size() > QStringLiteral("Версия 6\n\rПрограммирование - ").size());

    QVERIFY(!f.ended);
    form.N3->trigger();
    QVERIFY(f.ended);

    QTest::mouseClick(form.Label12, Qt::LeftButton);
    QCOMPARE(f.opener.opened.size(), 1);
    QCOMPARE(f.opener.opened[0], QUrl(TForm1::kWebAddress));
    QCOMPARE(form.Label12->cursor().shape(), Qt::PointingHandCursor);
    f.opener.result = false; // a browser that fails is not reported
    f.dialogs.clear();
    form.Label12Click();
    QVERIFY(f.dialogs.shown().isEmpty());
}

void TestTForm1Layout::prizeAreaIsUncoveredByRaisingTheClientHeight() {
    Fixture f;
    TForm1 form(f.services, f.state);
    form.setClientHeight(TForm1::kClientHeightWithPrizes);
    QCOMPARE(form.clientHeight(), 431);
    QVERIFY(form.Bevel4->geometry().bottom() < form.centralWidget()->height());
}

QTEST_MAIN(TestTForm1Layout)
#include "test_tform1_layout.moc"
