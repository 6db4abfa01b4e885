// What every window does without being told, on a laptop's screen with a window manager's
// frames: it opens wholly on the screen, Escape closes it (the main window excepted), Enter
// presses the focused button, a press of the full table puts the next step in front, and an
// evening is played with Enter and Tab alone.
#include "app/tform6.h"
#include "common/gui_dialogs.h"
#include "common/gui_windowmanners.h"
#include "common/gui_windowplace.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "results/gui_charts.h"
#include "results/gui_totalpreview.h"
#include "results/tform9.h"
#include "tform1env.h"
#include "tournament/gui_sheetwindow.h"
#include "tournament/tform5.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>

#include <functional>

namespace {

using P = Program&;
using Open = std::function<QWidget*(P)>;
using Check = std::function<bool(P)>;

QWidget* schedule(P p) {
    p.w().form1->Button2->click();
    p.w().form1->Button1->click();
    return p.w().form1;
}

// Every window of the program, opened the way the players open it.
void addWindowRows() {
    QTest::addColumn<Open>("open");
    QTest::addColumn<bool>("isMain");
    QTest::newRow("main window") << Open([](P p) -> QWidget* { return p.w().form1; }) << true;
    QTest::newRow("main window grown by the prizes, low on the screen")
        << Open([](P p) -> QWidget* {
               p.w().form1->move(300, 400);
               p.w().form1->setClientHeight(TForm1::kClientHeightWithPrizes);
               return p.w().form1;
           })
        << true;
    QTest::newRow("pools editor") << Open([](P p) -> QWidget* {
        p.w().form1->N5Click();
        return p.w().form2;
    }) << false;
    QTest::newRow("settings") << Open([](P p) -> QWidget* {
        p.w().form1->N8Click();
        return p.w().form6;
    }) << false;
    QTest::newRow("gifts") << Open([](P p) -> QWidget* {
        p.w().form6->Button5Click();
        return p.w().form5;
    }) << false;
    QTest::newRow("two players") << Open([](P p) -> QWidget* {
        p.w().form1->ComboBox1->setCurrentIndex(0);
        p.w().form1->ComboBox1Change();
        return p.w().form7;
    }) << false;
    QTest::newRow("recent teams") << Open([](P p) -> QWidget* {
        p.w().form1->Button3Click();
        return p.w().form8;
    }) << false;
    QTest::newRow("results") << Open([](P p) -> QWidget* {
        p.w().form1->N6Click();
        return p.w().form9;
    }) << false;
    QTest::newRow("sheet") << Open([](P p) -> QWidget* {
        schedule(p)->findChild<QAction*>("SheetCommand")->trigger();
        return p.w().form1->findChild<kv::SheetWindow*>();
    }) << false;
    QTest::newRow("charts") << Open([](P p) -> QWidget* {
        p.w().form1->findChild<QAction*>("ChartsCommand")->trigger();
        return p.w().form1->findChild<kv::TournamentCharts*>();
    }) << false;
}

QWidget* openInFront(P p, const Open& open) {
    kv::showInFront(p.w().form1);
    QWidget* window = open(p);
    if (!window)
        return kvtest::fail("the window did not open"), p.w().form1;
    kv::showInFront(window);
    if (!QTest::qWaitForWindowActive(window))
        kvtest::fail("the window did not come to the front");
    return window;
}

// A desktop that tells only later, from the event loop, that no spreadsheet program took the
// sheet: the answer comes while the press's message box is open.
struct LateDesktop : kv::SpreadsheetFactory {
    struct Sheet : kv::Spreadsheet {
        void openTemplate(const QString&) override {}
        void setCell(const QString&, const QString&) override {}
        void selectCell(const QString&) override {}
        void insertPicture(const QString&) override {}
        void makeVisible(Answer answered) override {
            QTimer::singleShot(0, [answered] { answered(false, QString()); });
        }
    };
    std::unique_ptr<kv::Spreadsheet> make() override { return std::make_unique<Sheet>(); }
};

} // namespace

class TestWindowManners : public QObject {
    Q_OBJECT
private slots:
    void everyWindowLiesOnTheScreen_data() { addWindowRows(); }
    void everyWindowLiesOnTheScreen();
    void escapeClosesEveryWindowButTheMain_data() { addWindowRows(); }
    void escapeClosesEveryWindowButTheMain();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void pressPutsTheNextStepInFront();
    void theEveningByKeyboard();
    void rebuildPreviewKeepsFiguresInSight();
};

void TestWindowManners::everyWindowLiesOnTheScreen() {
    QFETCH(Open, open);
    Program p;
    QWidget* window = openInFront(p, open);
    QVERIFY(kv::frameKnown(window));
    const QRect frame = window->frameGeometry();
    QVERIFY2(window->screen()->availableGeometry().contains(frame),
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(frame.x())
                            .arg(frame.y())
                            .arg(frame.width())
                            .arg(frame.height())));
}

void TestWindowManners::escapeClosesEveryWindowButTheMain() {
    QFETCH(Open, open);
    QFETCH(bool, isMain);
    Program p;
    QPointer<QWidget> window = openInFront(p, open);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.data(),
                    Qt::Key_Escape);
    QCOMPARE(window && window->isVisible(), isMain);
    QVERIFY(p.w().form1->isEnabled()); // the settings dialog gave the main window back
}

void TestWindowManners::enterPressesTheFocusedButton_data() {
    QTest::addColumn<Open>("open");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Check>("pressed");
    QTest::newRow("main window: ...")
        << Open([](P p) -> QWidget* { return p.w().form1; }) << "Button3"
        << Check([](P p) { return p.w().form8->isVisible(); });
    QTest::newRow("pools editor: a tab") << Open([](P p) -> QWidget* {
        p.w().form1->N5Click();
        return p.w().form2;
    }) << "TabSheet1Tab" << Check([](P p) {
        return p.w().form2->Pages->currentWidget() == p.w().form2->TabSheet1;
    });
    QTest::newRow("recent teams: Править") << Open([](P p) -> QWidget* {
        p.w().form1->Button3Click();
        return p.w().form8;
    }) << "Button1" << Check([](P p) { return !p.w().form8->Memo1->isReadOnly(); });
    QTest::newRow("two players: clubs") << Open([](P p) -> QWidget* {
        p.w().form1->ComboBox1->setCurrentIndex(0);
        p.w().form1->ComboBox1Change();
        return p.w().form7;
    }) << "Button1" << Check([](P p) { return p.w().form7->Label1->isVisible(); });
    QTest::newRow("settings: gifts") << Open([](P p) -> QWidget* {
        p.w().form1->N8Click();
        return p.w().form6;
    }) << "Button5" << Check([](P p) { return p.w().form5->isVisible(); });
    QTest::newRow("results: manual entry") << Open([](P p) -> QWidget* {
        p.w().form1->N6Click();
        return p.w().form9;
    }) << "Button2" << Check([](P p) { return p.w().form9->Button1->isEnabled(); });
}

void TestWindowManners::enterPressesTheFocusedButton() {
    QFETCH(Open, open);
    QFETCH(QString, button);
    QFETCH(Check, pressed);
    Program p;
    QWidget* window = openInFront(p, open);
    auto* target = kvtest::child<QWidget>(window, button);
    target->setFocus();
    QVERIFY(!pressed(p));
    QTest::keyClick(target, Qt::Key_Return);
    QVERIFY(pressed(p));
}

// No spreadsheet program: the prizes' message box opens over the main window, whose command it
// answers; the sheet window, which the desktop's late answer asks for meanwhile, comes after
// it, in front and on the screen; the results window lies on the screen with a part in sight.
void TestWindowManners::pressPutsTheNextStepInFront() {
    Program p;
    LateDesktop desktop;
    p.services.spreadsheets = &desktop;
    kv::MessageBoxDialogs boxes;
    p.services.dialogs = &boxes;
    TForm1* main = p.w().form1;
    kv::showInFront(main);
    QVERIFY(QTest::qWaitForWindowActive(main));
    schedule(p);

    QPointer<QWidget> boxOwner;
    bool sheetBehindTheBox = false;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxOwner = box->parentWidget();
            const auto* sheet = main->findChild<kv::SheetWindow*>();
            sheetBehindTheBox = !sheet || !sheet->isVisible();
            box->accept();
        }
    });
    answer.start(20);
    QTest::mouseClick(main->BitBtn1, Qt::LeftButton);
    QCOMPARE(boxOwner, main);
    QVERIFY(sheetBehindTheBox);

    QTRY_VERIFY(main->findChild<kv::SheetWindow*>());
    auto* sheet = main->findChild<kv::SheetWindow*>();
    QTRY_COMPARE(QApplication::activeWindow(), sheet);
    const QRect screen = sheet->screen()->availableGeometry();
    const QRect results = p.w().form9->frameGeometry();
    QVERIFY(p.w().form9->isVisible());
    QVERIFY(screen.contains(sheet->frameGeometry()) && screen.contains(results));
    QVERIFY(!sheet->frameGeometry().contains(results));
}

void TestWindowManners::theEveningByKeyboard() {
    Program p;
    TForm1* main = p.w().form1;
    TForm9* results = p.w().form9;
    kv::showInFront(main);
    QVERIFY(QTest::qWaitForWindowActive(main));
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };

    press(Qt::Key_Return); // Заполнить, the default button
    QVERIFY(!main->Edit1->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), main->Button1);
    press(Qt::Key_Return); // Расписание
    QVERIFY(main->Label6->isVisible());
    QCOMPARE(QApplication::focusWidget(), main->BitBtn1);
    press(Qt::Key_Return); // Полная таблица и печать
    QTRY_COMPARE(QApplication::activeWindow(), results);
    QCOMPARE(QApplication::focusWidget(), results->Edit1);

    const QStringList scores{"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"};
    for (qsizetype i = 0; i < scores.size(); ++i) {
        if (i > 0)
            press(Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), scores[i]);
    }
    press(Qt::Key_Return); // Посчитать результат
    QVERIFY(results->BitBtn1->isEnabled());
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), results->Button3);
    press(Qt::Key_Return); // the best scorer
    QCOMPARE(p.work.lines("bomb.txt"), QStringList{results->Button3->text()});
    press(Qt::Key_Return); // Записать в базу
    QCOMPARE(results->ListBox1->count(), 2);
    QVERIFY(!results->BitBtn1->isEnabled());
}

// A 300-letter name is cut short (whole in its tip) instead of pushing the figures away.
void TestWindowManners::rebuildPreviewKeepsFiguresInSight() {
    const QString name = QStringLiteral("Очень длинное имя ").repeated(17).left(300);
    kv::Figures figures;
    figures.points = 9;
    const kv::TotalRebuild rebuild{
        {{name, figures, figures}, {QStringLiteral("Зурко"), {}, figures}}, {}};
    struct Seen {
        int nameWidth, pointsEnd, inSight;
        QString tip;
    };
    QList<Seen> seen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return kvtest::fail("no preview");
        const int points = 7;
        for (QTableWidget* t : dialog->findChildren<QTableWidget*>())
            seen.append({t->columnWidth(0),
                         t->columnViewportPosition(points) + t->columnWidth(points),
                         t->viewport()->width(), t->item(0, 0)->toolTip()});
        dialog->reject();
    });
    QVERIFY(!kv::confirmTotalRebuild(nullptr, rebuild));
    QCOMPARE(seen.size(), 2);
    for (const Seen& s : seen) {
        QVERIFY(s.nameWidth < s.inSight / 4);
        QVERIFY2(s.pointsEnd <= s.inSight,
                 qPrintable(QStringLiteral("%1 of %2").arg(s.pointsEnd).arg(s.inSight)));
        QCOMPARE(s.tip, name);
    }
}

// A laptop's screen, 1366 x 768, with frames around the windows.
int main(int argc, char* argv[]) {
    QTemporaryDir config;
    QFile screens(config.filePath(QStringLiteral("screens.json")));
    if (!screens.open(QIODevice::WriteOnly) ||
        screens.write(R"({"windowFrameMargins": true, "screens": [{"name": "Laptop", "x": 0,
            "y": 0, "width": 1366, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96,
            "dpr": 1}]})") < 0)
        return 1;
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    kv::WindowManners::install(app);
    TestWindowManners test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_windowmanners_gui.moc"
