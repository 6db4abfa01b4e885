// The program as a whole, as a player meets it on a laptop's screen with a window manager's
// frames: what the window manager shows as each title, which window a command brings to the
// front, wholly on the screen and answering Enter and Escape, and an evening by keyboard.
#include "app/tform1.h"
#include "app/tform6.h"
#include "common/errors.h"
#include "common/gui_fulltexttips.h"
#include "common/gui_windowmanners.h"
#include "common/gui_windowplace.h"
#include "common/programdir.h"
#include "history/gui_totalpreview.h"
#include "historydb.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "records/gui_charts.h"
#include "records/gui_records.h"
#include "results/tform9.h"
#include "testsupport.h"
#include "tform1env.h"
#include "tournament/gui_sheetwindow.h"
#include "tournament/tform5.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QHelpEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace {

// The title a window manager shows. Qt on X11 appends the application's display name to a
// window's caption once the program has set one of its own; unset, it falls back to the
// application name, which is how a test can tell.
QString shownTitle(const QWidget* window) {
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("probe-name"));
    const QString display = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    const QString title = window->windowTitle();
    if (display == QLatin1String("probe-name") || title.endsWith(display))
        return title;
    return title + QStringLiteral(" \u2014 ") + display;
}

QWidget* windowNamed(const Windows& w, const QString& name) {
    const QList<QWidget*> all{w.form1, w.form2, w.form6, w.form5, w.form7, w.form8, w.form9};
    for (QWidget* window : all)
        if (window->objectName() == name)
            return window;
    return kvtest::child<QWidget>(w.form1, name); // the sheet and the charts
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void titleIsTheCaption_data();
    void titleIsTheCaption();
    void commandBringsItsWindowToTheFront_data();
    void commandBringsItsWindowToTheFront();
    void smallWindowsOpenOnTheScreen_data();
    void smallWindowsOpenOnTheScreen();
    void labelsShowPlainText_data();
    void labelsShowPlainText();
    void cutTextsShowWholeAsTooltip_data();
    void cutTextsShowWholeAsTooltip();
    void oneDatabaseConnectionClosedAfterTheWindows();
    void firstStartAsksForTheNames();
    void otherWindowsFollowTheMainWindow();
    void theEveningByKeyboard();
    void rebuildPreviewKeepsFiguresInSight();
    void failedCommandShowsItsErrorAndTheProgramGoesOn();
    void hostileNamesShowAsTyped_data();
    void hostileNamesShowAsTyped();
};

void TestProgram::initTestCase() {
    kv::nameProgram(); // as main.cpp does
}

void TestProgram::titleIsTheCaption_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption"); // the main window: its start
    QTest::newRow("main window") << "TForm1"
                                 << "Zorvo Kickvale 6 - ";
    QTest::newRow("pools editor") << "TForm2"
                                  << "Команды";
    QTest::newRow("settings") << "TForm6"
                              << "Настройки";
    QTest::newRow("two players") << "TForm7"
                                 << "Рандом на двоих";
    QTest::newRow("gifts") << "TForm5"
                           << "Подарки";
    QTest::newRow("recent teams") << "TForm8"
                                  << "Все последние команды";
    QTest::newRow("results") << "TForm9"
                             << "Введите результаты турнира";
}

void TestProgram::titleIsTheCaption() {
    Program p;
    QFETCH(QString, window);
    QFETCH(QString, caption);
    const QWidget* shown = windowNamed(p.w(), window);
    QVERIFY2(shown->windowTitle().startsWith(caption), qPrintable(shown->windowTitle()));
    QCOMPARE(shownTitle(shown), shown->windowTitle());
}

void TestProgram::commandBringsItsWindowToTheFront_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<std::function<void(const Windows&)>>("command");
    QTest::addColumn<QString>("button"); // one that Enter may press there without side effects
    using W = const Windows&;
    QTest::newRow("Статистика...")
        << "TForm9" << std::function([](W w) { w.form1->N6Click(); }) << "Button2";
    QTest::newRow("Команды...") << "TForm2" << std::function([](W w) { w.form1->N5Click(); })
                                << "TabSheet1Tab";
    QTest::newRow("...") << "TForm8" << std::function([](W w) { w.form1->Button3Click(); })
                         << "Button1";
    QTest::newRow("two players") << "TForm7" << std::function([](W w) {
        w.form1->ComboBox1->setCurrentIndex(0);
        w.form1->ComboBox1Change();
    }) << "Button1";
    QTest::newRow("Посмотреть подарки...")
        << "TForm5" << std::function([](W w) { w.form6->Button5Click(); }) << "";
    QTest::newRow("results handed over")
        << "TForm9" << std::function([](W w) { w.form9->showTournament({}); }) << "Button2";
    QTest::newRow("Настройки...") << "TForm6" << std::function([](W w) { w.form1->N8Click(); })
                                  << "Button5";
    QTest::newRow("Лист турнира...") << "SheetWindow" << std::function([](W w) {
        w.form1->Button2->click(); // the draw and the schedule first
        w.form1->Button1->click();
        w.form1->SheetCommandClick();
    }) << "";
    QTest::newRow("Графики...") << "TournamentCharts" << std::function([](W w) {
        w.form1->findChild<QAction*>("ChartsCommand")->trigger();
    }) << "";
    QTest::newRow("Восстановить из копии...") << "RestoreWindow" << std::function([](W w) {
        w.form1->findChild<QAction*>("RestoreCommand")->trigger();
    }) << "CloseButton";
}

void TestProgram::commandBringsItsWindowToTheFront() {
    QFETCH(QString, window);
    QFETCH(std::function<void(const Windows&)>, command);
    QFETCH(QString, button);
    Program p;
    // The main window grown by the prizes low on the screen: moved up onto it.
    p.w().form1->move(300, 400);
    p.w().form1->setClientHeight(TForm1::kClientHeightWithPrizes);
    if (window.startsWith("TForm")) // already open, behind the main window
        windowNamed(p.w(), window)->show();
    p.w().form1->show();
    p.w().form1->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), p.w().form1);

    command(p.w());
    QPointer<QWidget> target = windowNamed(p.w(), window);
    QTRY_COMPARE(QApplication::activeWindow(), target);
    QVERIFY(target->isVisible());
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join('\n')));
    for (const QWidget* shown : {target.data(), static_cast<QWidget*>(p.w().form1)})
        QVERIFY(kv::frameKnown(shown) &&
                shown->screen()->availableGeometry().contains(shown->frameGeometry()));
    if (!button.isEmpty()) { // Enter presses the focused button
        auto* pressed = kvtest::child<QWidget>(target, button);
        QSignalSpy clicks(pressed, SIGNAL(clicked(bool)));
        pressed->setFocus();
        QTest::keyClick(pressed, Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
    }
    // Escape closes every window but the main one.
    QTest::keyClick(target->focusWidget() ? target->focusWidget() : target.data(), Qt::Key_Escape);
    QVERIFY(!target || !target->isVisible());
    QTest::keyClick(p.w().form1, Qt::Key_Escape);
    QVERIFY(p.w().form1->isVisible() && p.w().form1->isEnabled());
}

void TestProgram::smallWindowsOpenOnTheScreen_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<std::function<void(const Windows&)>>("command");
    using W = const Windows&;
    QTest::newRow("Команды...") << "TForm2" << std::function([](W w) { w.form1->N5Click(); });
    QTest::newRow("...") << "TForm8" << std::function([](W w) { w.form1->Button3Click(); });
}

// The test screen (1366 x 768) is smaller than the places these windows are given.
void TestProgram::smallWindowsOpenOnTheScreen() {
    QFETCH(QString, window);
    QFETCH(std::function<void(const Windows&)>, command);
    Program p;
    p.w().form1->show();
    command(p.w());
    const QWidget* opened = windowNamed(p.w(), window);
    const QRect screen = opened->screen()->availableGeometry();
    QVERIFY2(screen.contains(opened->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                 .arg(opened->x())
                                                                 .arg(opened->y())
                                                                 .arg(opened->width())
                                                                 .arg(opened->height())));
}

void TestProgram::labelsShowPlainText_data() {
    QTest::addColumn<QString>("window");
    for (const char* name : {"TForm1", "TForm2", "TForm6", "TForm5", "TForm7", "TForm8", "TForm9"})
        QTest::newRow(name) << name;
}

// Names, teams and file lines are data: "<b>&amp; \"Q\"" must show as typed, not in bold.
void TestProgram::labelsShowPlainText() {
    QFETCH(QString, window);
    Program p;
    for (const QLabel* label : windowNamed(p.w(), window)->findChildren<QLabel*>())
        QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
}

void TestProgram::cutTextsShowWholeAsTooltip_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tip");
    const QString longTeam = QStringLiteral("Borussia Mönchengladbach <b>II</b>");
    QTest::newRow("team box") << "TForm1"
                              << "Edit1" << longTeam << true;
    QTest::newRow("short team") << "TForm1"
                                << "Edit1"
                                << "Ajax" << false;
    QTest::newRow("player name") << "TForm1"
                                 << "Label16" << longTeam << true;
    QTest::newRow("schedule") << "TForm1"
                              << "Label7" << longTeam << true;
    QTest::newRow("last tournament") << "TForm1"
                                     << "Label22" << longTeam << true;
    QTest::newRow("results heading") << "TForm9"
                                     << "Label3" << longTeam << true;
    QTest::newRow("results name") << "TForm9"
                                  << "Label29" << longTeam << true;
    QTest::newRow("two players") << "TForm7"
                                 << "Label1" << longTeam + longTeam << true;
}

void TestProgram::cutTextsShowWholeAsTooltip() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(bool, tip);
    Program p;
    QWidget* shown = windowNamed(p.w(), window);
    shown->show();
    auto* target = kvtest::child<QWidget>(shown, control);
    const QSize size = target->size();
    target->setProperty("text", text);
    target->show();
    QHelpEvent ask(QEvent::ToolTip, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(target, &ask);
    QTextDocument shownTip;
    shownTip.setHtml(target->toolTip());
    QCOMPARE(shownTip.toPlainText(), tip ? text : QString());
    QCOMPARE(target->size(), size);
    // An edit box that shows a name shows where it begins.
    if (const auto* edit = qobject_cast<QLineEdit*>(target); edit && !edit->isEnabled())
        QCOMPARE(edit->cursorPosition(), 0);
}

// The results window and the charts read through the program's one connection, which goes only
// after every window that holds it.
void TestProgram::oneDatabaseConnectionClosedAfterTheWindows() {
    kvtest::WorkFolder work;
    work.writeStartData(std::nullopt);
    kvtest::createBaseDb();
    QTest::failOnWarning(QRegularExpression(QStringLiteral("still in use")));
    {
        Program p;
        kvtest::child<QAction>(p.w().form1, "ChartsCommand")->trigger();
        QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join('\n')));
        // The charts read beside their window on a connection of that read's own, gone with it.
        QTRY_COMPARE(QSqlDatabase::connectionNames().size(), 1);
        const QStringList connections = QSqlDatabase::connectionNames();
        QVERIFY(QSqlDatabase::database(connections[0], false).isOpen());
    }
    QVERIFY(QSqlDatabase::connectionNames().isEmpty());
}

// On the very first start the settings dialog opens over the main window, the first name ready
// to be typed over; later starts open nothing.
void TestProgram::firstStartAsksForTheNames() {
    for (const bool settingsThere : {false, true}) {
        Program p(settingsThere ? std::optional(kvtest::Settings{}) : std::nullopt);
        p.program->showMainWindow();
        // The dialog comes in the step after the main window's first paint, or never.
        QTRY_VERIFY(p.program->startFinished());
        QCOMPARE(p.w().form6->isVisible(), !settingsThere);
        if (!settingsThere) {
            QCOMPARE(p.w().form6->focusWidget(), p.w().form6->Edit1);
            QCOMPARE(p.w().form6->Edit1->selectedText(), QStringLiteral("Player 1"));
        }
    }
}

// The main window shows before the other windows are made; they follow on the next pass of the
// event loop, or at once when a command of the main window needs one first.
void TestProgram::otherWindowsFollowTheMainWindow() {
    for (const bool commandFirst : {false, true}) {
        kvtest::ProgramFixture p;
        p.folder.writeStartData(kvtest::Settings{});
        kvtest::createBaseDb();
        p.program = std::make_unique<ProgramWindows>(p.services, p.state, p.evening);
        QVERIFY(!p.program->complete());
        if (commandFirst) {
            p.program->main().N6->trigger(); // Статистика...
            QVERIFY(p.program->complete());
            QVERIFY(p.program->windows().form9->isVisible());
        }
        p.program->showMainWindow();
        QTRY_VERIFY(p.program->complete());
        QVERIFY2(p.dialogs.texts().isEmpty(), qPrintable(p.dialogs.texts().join('\n')));
    }
}

void TestProgram::theEveningByKeyboard() {
    Program p;
    TForm9* results = p.w().form9;
    kv::showInFront(p.w().form1);
    QVERIFY(QTest::qWaitForWindowActive(p.w().form1));
    const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
    // Заполнить, Расписание, Полная таблица и печать: each is the next one's Enter away.
    for (QWidget* next : std::initializer_list<QWidget*>{p.w().form1->Button1, p.w().form1->BitBtn1,
                                                         results->Edit1}) {
        press(Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }
    for (int box = 0; box < 12; ++box) { // the scores typed over, then Посчитать
        QTest::keyClicks(QApplication::focusWidget(), QString::number(box % 5));
        press(box < 11 ? Qt::Key_Tab : Qt::Key_Return);
    }
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), results->Button3);
    press(Qt::Key_Return); // the best scorer, then Записать в базу
    press(Qt::Key_Return);
    QCOMPARE(p.folder.lines("bomb.txt"), QStringList{results->Button3->text()});
    QCOMPARE(results->ListBox1->count(), 2);
}

// A 300-letter name is cut short (whole in its tip) instead of pushing the figures away.
void TestProgram::rebuildPreviewKeepsFiguresInSight() {
    const QString name = QStringLiteral("Очень длинное имя ").repeated(17).left(300);
    const kv::TotalRebuild rebuild{{{name, kv::Figures{}, kv::Figures{}}}, {}};
    QList<QTableWidget*> tables;
    QTimer::singleShot(0, [&] {
        QWidget* preview = QApplication::activeModalWidget();
        preview->close(); // it ends once this check is done
        tables = preview->findChildren<QTableWidget*>();
        for (QTableWidget* t : tables) {
            const int inSight = t->viewport()->width(), points = 7;
            QVERIFY(t->columnWidth(0) < inSight / 4);
            QVERIFY(t->columnViewportPosition(points) + t->columnWidth(points) <= inSight);
            QCOMPARE(t->item(0, 0)->toolTip(), kv::plainTip(name));
        }
    });
    kv::confirmTotalRebuild(nullptr, rebuild);
    QCOMPARE(tables.size(), 2);
}

void TestProgram::failedCommandShowsItsErrorAndTheProgramGoesOn() {
    Program p;
    p.services.endProgram = [] { throw kv::Error(QStringLiteral("Не закрылось")); };
    p.dialogs.clear();
    kvtest::child<QAction>(p.w().form1, "N3")->trigger();
    QCOMPARE(p.dialogs.errors(), QStringList{"Не закрылось"});
    kvtest::child<QAction>(p.w().form1, "N2")->trigger();
    QCOMPARE(p.dialogs.texts(kv::ScriptedDialogs::Kind::Information).size(), 1);
}

void TestProgram::hostileNamesShowAsTyped_data() {
    QTest::addColumn<QString>("name");
    for (const QString& name :
         {QStringLiteral("Вася<img src=\"/dev/zero\">"), QStringLiteral("<b>x</b>"),
          QStringLiteral("<h1>y</h1>"), QString(300, QChar(u'Щ'))})
        QTest::newRow(qPrintable(name.left(30))) << name;
}

// A name or a team is data wherever it shows: as a player, a team, in the log, the stored
// history, the charts, the records, the sheet and the rebuild preview. A label, a tip, a chart
// or the records book that took it for markup would show something else, or read /dev/zero without
// end.
void TestProgram::hostileNamesShowAsTyped() {
    QFETCH(QString, name);
    Program p(kvtest::Settings{.players = {name, "Петя", "Коля"}});
    const Windows& w = p.w();
    kv::TournamentEntry stored = kvtest::sampleTournament({name, "Петя", "Коля"});
    stored.players[1].team = name;
    w.form9->database().writeTournament("01_05_2024__20_00_00", stored);
    p.folder.write("all_last.txt", {name, "Ajax", "Roma"});
    const bool markup = Qt::mightBeRichText(name);
    bool legendShowsIt = !markup; // a long plain name is cut short there
    const auto walk = [&](QWidget* window) {
        QList<QWidget*> all = window->findChildren<QWidget*>();
        for (QWidget* c : all << window) {
            auto* label = qobject_cast<QLabel*>(c);
            QVERIFY2(!label || label->textFormat() == Qt::PlainText ||
                         !Qt::mightBeRichText(label->text()),
                     qPrintable(c->objectName()));
            QVERIFY2(!markup || !c->toolTip().contains(name), qPrintable(c->objectName()));
            if (auto* view = qobject_cast<QAbstractItemView*>(c); view && view->model())
                for (int r = 0; r < view->model()->rowCount(); ++r)
                    QVERIFY(!markup || !view->model()
                                            ->index(r, 0)
                                            .data(Qt::ToolTipRole)
                                            .toString()
                                            .contains(name));
            if (auto* book = qobject_cast<QTextBrowser*>(c))
                QVERIFY(book->toPlainText().contains(name));
            if (auto* chart = qobject_cast<QGraphicsView*>(c); chart && chart->scene())
                for (QGraphicsItem* item : chart->scene()->items())
                    if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
                        legendShowsIt |= text->toPlainText().contains(name);
        }
    };
    w.form1->show();
    w.form1->N8Click();
    w.form1->Button3Click();
    w.form1->N6Click();
    w.form9->ListBox1->setCurrentRow(0);
    w.form9->showTournament({{name, "Петя", "Коля"}, {name, "Ajax", "Roma"}, {}});
    w.form1->SheetCommandClick();
    kvtest::child<QAction>(w.form1, "ChartsCommand")->trigger();
    kvtest::child<QAction>(w.form1, "RecordsCommand")->trigger();
    // Both read beside their windows: drawn and written once read.
    const auto* charts = w.form1->findChild<kv::TournamentCharts*>();
    QVERIFY(charts);
    QTRY_VERIFY(!charts->isReading());
    const auto* records = w.form1->findChild<kv::RecordsWindow*>();
    QVERIFY(records);
    QTRY_VERIFY(!records->isComputing());
    kvtest::child<QAction>(w.form1, "RestoreCommand")->trigger();
    QTimer::singleShot(0, [&] {
        walk(QApplication::activeModalWidget());
        QApplication::activeModalWidget()->close();
    });
    w.form9->RebuildButtonClick();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            walk(window);
    QVERIFY(legendShowsIt);
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join('\n')));
}

// A laptop's screen, 1366 x 768, with frames around the windows; the program's manners.
int main(int argc, char* argv[]) {
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screen.json")));
    config.open(QIODevice::WriteOnly);
    config.write(R"({"screens": [{"name": "Laptop", "width": 1366, "height": 768}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    kv::WindowManners::install(app);
    TestProgram test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_program_gui.moc"
