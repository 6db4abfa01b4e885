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
        folder.writeSettings({.players = {"Зурко", "Пенва", "Лодыш"}});
    }
};

} // namespace

class TestTForm1Layout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void captionsFit();
    void windowAndStartStates();
    void controlsAtStart_data();
    void controlsAtStart();
    void menuAndShortcut();
    void twoPlayersOpensTheSmallWindow();
    void aboutExitAndLink();
    void prizeAreaIsUncoveredByRaisingTheClientHeight();
};

void TestTForm1Layout::initTestCase() {
    // the look of the real program: its font and the dark theme
    QApplication::setFont(kv::classicFont(11));
    kv::applyCarbonTheme(*qApp);
    QCOMPARE(qApp->palette().color(QPalette::Window), QColor(0x2d, 0x2d, 0x30));
}

void TestTForm1Layout::captionsFit() {
    Fixture f;
    TForm1 form(f.services, f.state, f.evening);
    kvtest::verifyCaptionsFit(&form);
}

void TestTForm1Layout::windowAndStartStates() {
    Fixture f;
    TForm1 form(f.services, f.state, f.evening);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.windowTitle().startsWith(QStringLiteral("Zorvo Kickvale 6")));
    QCOMPARE(form.centralWidget()->size(), QSize(520, 304));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(form.font().pixelSize(), 11);

    QVERIFY(form.Button2->font().bold());
    // the prize area lies below the visible client area
    QVERIFY(form.Bevel4->geometry().top() >= form.centralWidget()->height());
    // the team boxes lie over the team-choice boxes, whose drop-down buttons show to the right
    QVERIFY(form.centralWidget()->children().indexOf(form.Edit1) >
            form.centralWidget()->children().indexOf(form.ComboBox5));
    QVERIFY(form.ComboBox5->geometry().right() > form.Edit1->geometry().right());
    QVERIFY(!form.Image2->pixmap().isNull());
    QCOMPARE(form.Image2->pixmap().size(), QSize(20, 20));
    QCOMPARE(form.Label33->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

// Each control and command at start, by rows "<name> <property>": the value a user sees.
void TestTForm1Layout::controlsAtStart_data() {
    QTest::addColumn<QVariant>("value");
    const auto rows = [](const char* property, const QVariant& value, const QStringList& names) {
        for (const QString& name : names)
            QTest::addRow("%s %s", qPrintable(name), property) << value;
    };
    rows("default", true, {"Button2"});
    rows("enabled", true, {"Button2"});
    rows("enabled", false, {"Button1", "BitBtn1", "Edit1", "Edit2", "Edit3"});
    rows("checked", true, {"CheckBox1", "CheckBox3"});
    rows("text", QString(), {"Edit1", "Edit2", "Edit3"});
    rows("visible", false,
         {"Label6", "Label7", "Label8", "Label10", "Label11", "Label14", "Label15", "Label33"});
    rows("editable", true, {"ComboBox5"});
    rows("editable", false, {"ComboBox2"});
    rows("shortcut", QKeySequence(QStringLiteral("Ctrl+T")), {"N6"});
    rows("shortcut", QKeySequence(QStringLiteral("Ctrl+G")), {"ChartsCommand"});
    rows("shortcut", QKeySequence(QStringLiteral("Ctrl+R")), {"RecordsCommand"});
    rows("shortcut", QKeySequence(QStringLiteral("Ctrl+X")), {"N3"});
}

void TestTForm1Layout::controlsAtStart() {
    QFETCH(QVariant, value);
    const QStringList row = QString::fromUtf8(QTest::currentDataTag()).split(' ');
    Fixture f;
    TForm1 form(f.services, f.state, f.evening);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(child<QObject>(&form, row[0])->property(row[1].toLatin1()), value);
}

void TestTForm1Layout::menuAndShortcut() {
    Fixture f;
    TForm1 form(f.services, f.state, f.evening);
    QMenuBar* bar = child<QMenuBar>(&form, "MainMenu1");
    const QList<QAction*> top = bar->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->text(), QStringLiteral("&Меню"));
    QCOMPARE(top[1], form.N2);
    QCOMPARE(form.N2->text(), "?");
    QCOMPARE(child<QAction>(&form, "N4")->isSeparator(), true);
    QStringList items;
    for (QAction* a : form.N1->actions())
        items.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(items,
             (QStringList{"&Команды...", "&Настройки...", "Статистика...", "Лист турнира...",
                          "Графики...", "Рекорды...", "Восстановить из копии...", "-", "&Выход"}));
}

void TestTForm1Layout::twoPlayersOpensTheSmallWindow() {
    Fixture f;
    TForm1 form(f.services, f.state, f.evening);
    TForm7 two(f.services);
    Windows peers;
    peers.form7 = &two;
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
    TForm1 form(f.services, f.state, f.evening);
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
    TForm1 form(f.services, f.state, f.evening);
    form.setClientHeight(TForm1::kClientHeightWithPrizes);
    QCOMPARE(form.clientHeight(), 431);
    QVERIFY(form.Bevel4->geometry().bottom() < form.centralWidget()->height());
}

QTEST_MAIN(TestTForm1Layout)
#include "test_tform1_layout.moc"
