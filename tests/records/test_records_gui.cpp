// The records window: what it shows for the history there is, that it follows a change of the
// history while open, and its saves.
#include "fakes.h"
#include "household.h"
#include "records/gui_period.h"
#include "records/gui_records.h"
#include "recordshistory.h"
#include "../results/resultswindow.h"
#include "tournament/standings.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextDocument>

namespace {

struct RecordsOnScreen : kvtest::Fakes {
    explicit RecordsOnScreen(const QString& database) {
        if (database.startsWith(QLatin1String("sample")))
            kvtest::writeSampleHistory();
        if (database == QLatin1String("sample, the third player replaced"))
            folder.writeSettings({.players = {"Зурко", "Пенва", "Новичок"}});
        else if (database == QLatin1String("empty"))
            kvtest::createBaseDb();
        if (database == QLatin1String("goalless") || database == QLatin1String("scheduled")) {
            kvtest::createBaseDb();
            const QStringList zeros(12, QStringLiteral("0"));
            kv::TournamentEntry entry = kv::tournamentEntry(
                kvtest::kPlayers, {"Милан", "Аякс", "Порту"}, {zeros, kv::computeStandings(zeros)});
            if (database == QLatin1String("scheduled"))
                entry.playOrder = kv::playOrderFromStored(QStringLiteral("1-2 3-1 2-3 2-1 1-3 3-2"));
            store.writeTournament(QStringLiteral("01_03_2024__20_00_00"), entry);
        }
        if (database == QLatin1String("sample, the first evening alone"))
            for (const char* later : {"02_03_2024__20_00_00", "03_03_2024__20_00_00"})
                store.deleteTournament(QLatin1String(later));
        if (database == QLatin1String("undated")) {
            kvtest::createBaseDb();
            store.writeTournament(QStringLiteral("Финал"), kvtest::sampleTournament());
        }
        if (database == QLatin1String("household"))
            kvtest::writeHousehold({.evenings = 50});
        window = std::make_unique<kv::RecordsWindow>(store, dialogs, clock, [] {
            return kv::LevelOf([](const QString& club) {
                return club == QStringLiteral("Милан") ? QStringLiteral("Клубы 4,5*") : QString();
            });
        });
        window->show();
    }
    // The book is computed beside the window: its text once it is shown.
    QString text() const {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!window->isComputing(), 30000); }();
        return window->document()->toPlainText();
    }
    QString status() const {
        return kvtest::child<QLabel>(window.get(), QStringLiteral("RecordsStatus"))->text();
    }

    kvtest::WorkFolder folder;
    kv::HistoryStore store;
    std::unique_ptr<kv::RecordsWindow> window;
};

} // namespace

class TestRecordsWindow : public QObject {
    Q_OBJECT
private slots:
    void showsWhatTheHistoryHolds_data();
    void showsWhatTheHistoryHolds();
    void followsAWrite();
    void savesPdfAndCsv();
    void bookOfAPeriod_data();
    void bookOfAPeriod();
    void aWriteTellsOfBrokenRecords_data();
    void aWriteTellsOfBrokenRecords();
    void changesWhileComputingEndInTheLastOne();
    void readsBesideTheWindow();
    void pdfHoldsEachWordOnceAndWhole_data();
    void pdfHoldsEachWordOnceAndWhole();
};

void TestRecordsWindow::showsWhatTheHistoryHolds_data() {
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("three evenings and a damaged table")
        << "sample"
        << QStringList{"Турниров учтено: 3.",
                       "Рекорды группы",
                       "Зурко (Реал Мадрид) - Пенва (Милан) 9:0, 02.03.2024",
                       "Зурко - Пенва",
                       "Клубы 4,5*",
                       "Другие",
                       "для турниров, записанных раньше (2)",
                       "в турнирах, записанных раньше (3), серии считаются в порядке таблицы",
                       "\"04_03_2024__20_00_00\"",
                       // one side in a row: Зурко's loss told from his side
                       "Зурко (Реал Мадрид) - Лодыш (Бавария) 1:2, 02.03.2024",
                       "Раз лучший бомбардир",
                       "«Подряд»: сейчас / рекорд",
                       // he beat both more often than he lost to them
                       "Зурко\n3\n1\n0\n1 / 4\n2 / 6\n0 / 2\n0 / 1\nнет"};
    // A record needs something to hold.
    QTest::newRow("only goalless draws")
        << "goalless" << QStringList{"Турниров учтено: 1.", "!Больше всего голов в матче",
                                     "!Лучшая разница мячей", "Больше всего очков за турнир"};
    // Said only when some tournament is counted in the results table's order.
    QTest::newRow("every evening with its play order")
        << "scheduled" << QStringList{"Турниров учтено: 1.", "!Порядок матчей"};
    QTest::newRow("a former player")
        << "sample, the third player replaced" << QStringList{"Лодыш (бывший игрок)", "- / "};
    // Ratings and best ratings worked out by hand: every club there is as strong as another.
    QTest::newRow("the rating of three evenings")
        << "sample"
        << QStringList{"Рейтинг\n",
                       "Пенва\n1554\n1554\n03.03.2024\n12\n1",
                       "Зурко\n1481\n1574\n02.03.2024\n12\n1",
                       "Лодыш\n1465\n",
                       "Клубы 4* и Сборные 4* - 0; Клубы 4,5* и Сборные 4,5* - +50",
                       "Суперклубы - +150; команда не из списков («Другие») - +50.",
                       "«Другие»: Реал Мадрид, Ювентус, Бавария, Бавария Мюнхен.",
                       "Таблицы из раздела «Не учтены» в конце не входят и в рейтинг."};
    QTest::newRow("a provisional rating")
        << "sample, the first evening alone"
        << QStringList{"Зурко\n1568?\n1568\n01.03.2024\n4\n1", "Пенва\n1492?\n", "Лодыш\n1440?\n"};
    QTest::newRow("a former player's rating")
        << "sample, the third player replaced" << QStringList{"Лодыш (бывший игрок)\n1465\n"};
    QTest::newRow("a tournament without a date")
        << "undated" << QStringList{"Рейтинг пока не посчитан", "Не учтены в рейтинге:\n\"Финал\""};
    QTest::newRow("seasons after the rating")
        << "sample" << QStringList{"Рекорды: Всё время", "Сезоны\nЧемпион сезона",
                                   "2024\n3\n", "!Месяцы 2024 года"};
    QTest::newRow("an undated tournament has no season") << "undated" << QStringList{"!Сезоны"};
    QTest::newRow("no tournament yet") << "empty" << QStringList{"Турниров пока нет"};
    QTest::newRow("no database") << "none"
                                 << QStringList{"Историю турниров не удалось прочитать",
                                                "База данных не изменена"};
}

void TestRecordsWindow::showsWhatTheHistoryHolds() {
    QFETCH(QString, database);
    QFETCH(QStringList, shown);
    RecordsOnScreen s(database);
    for (const QString& text : shown)
        if (text.startsWith(QLatin1Char('!')))
            QVERIFY2(!s.text().contains(text.mid(1)), qPrintable(text));
        else
            QVERIFY2(s.text().contains(text), qPrintable(text + "\n" + s.text()));
    // The rating comes before every other section, the seasons right after it.
    QVERIFY(s.text().indexOf("Рейтинг") <= s.text().indexOf("Рекорды группы"));
    QVERIFY(s.text().indexOf("Сезоны") <= s.text().indexOf("Рекорды группы"));
    // Reading never writes: no database appears where there was none.
    QCOMPARE(s.folder.exists(QStringLiteral("base.db")), database != QLatin1String("none"));
}

void TestRecordsWindow::followsAWrite() {
    RecordsOnScreen s(QStringLiteral("sample"));
    s.store.writeTournament(QStringLiteral("05_03_2024__20_00_00"), kvtest::sampleTournament());
    QVERIFY2(s.text().contains(QStringLiteral("Турниров учтено: 4.")), qPrintable(s.text()));
    // A player who starts afresh under a new name is a former player at the next showing.
    s.window->hide();
    s.folder.writeSettings({.players = {"Зурко", "Новичок", "Лодыш"}});
    s.window->show();
    QVERIFY2(s.text().contains(QStringLiteral("Пенва (бывший игрок)")), qPrintable(s.text()));
}

void TestRecordsWindow::savesPdfAndCsv() {
    RecordsOnScreen s(QStringLiteral("sample"));
    s.text();
    QStringList offered;
    QString typed; // what the players typed in the dialog; empty: the name proposed
    s.window->setChooseSaveFile([&](QWidget*, const QString& proposed) {
        offered << QFileInfo(proposed).fileName();
        return s.folder.path(typed.isEmpty() ? QFileInfo(proposed).completeBaseName() : typed);
    });
    s.window->savePdfClick();
    s.window->saveCsvClick();
    typed = QStringLiteral("Матчи.csv");
    s.window->saveCsvClick();
    QCOMPARE(s.dialogs.errors(), QStringList{});
    QCOMPARE(offered, (QStringList{"Рекорды-2024-03-09.pdf", "Матчи-2024-03-09.xlsx",
                                   "Матчи-2024-03-09-2.xlsx"}));
    QVERIFY(s.folder.bytes(QStringLiteral("Рекорды-2024-03-09.pdf")).startsWith("%PDF"));
    // A header and the six matches of each of the three counted evenings.
    const QByteArray csv = s.folder.bytes(QStringLiteral("Матчи.csv"));
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(csv.count("\r\n"), 1 + 3 * 6);

    // The workbook as a spreadsheet program reads it: real dates and numbers, the header frozen
    // and filtered.
    QProcess reader;
    reader.start(QStringLiteral(KV_PYTHON3),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, openpyxl\n"
                                 "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
                                 "print(ws.title, ws.freeze_panes, ws.auto_filter.ref, ws.max_row)\n"
                                 "print(*[repr(c.value) for c in ws[2]], sep='|')\n"),
                  s.folder.path(QStringLiteral("Матчи-2024-03-09.xlsx"))});
    QVERIFY(reader.waitForFinished(30000));
    QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
    const QStringList lines = QString::fromUtf8(reader.readAllStandardOutput()).split('\n');
    QCOMPARE(lines.value(0), QStringLiteral("Матчи A2 $A$1:$K$19 19"));
    QCOMPARE(lines.value(1),
             QStringLiteral("datetime.datetime(2024, 3, 1, 0, 0)|'01_03_2024__20_00_00'|'Зурко'|"
                            "'Реал Мадрид'|'Пенва'|'Ювентус'|2|0|'Другие'|'Другие'|None"));
}

void TestRecordsWindow::bookOfAPeriod_data() {
    QTest::addColumn<QStringList>("picks"); // the choice's items picked in turn
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("pdf"); // the name proposed
    const QStringList march{"Рекорды: Март 2024", "Турниров учтено: 3."};
    QTest::newRow("a year") << QStringList{"2024"}
                            << QStringList{"Рекорды: 2024",
                                           "Турниров учтено: 3.",
                                           "рейтинг - на его конец, 31.12.2024.",
                                           "Сезоны",
                                           "Месяцы 2024 года",
                                           "Март 2024\n3\n"}
                            << "Рекорды-2024.pdf";
    QTest::newRow("a month of the year")
        << QStringList{"2024", "    Март 2024"} << march << "Рекорды-2024-03.pdf";
    QTest::newRow("own dates") << QStringList{"Свои даты...:2024-03-03:2024-03-02"}
                               << QStringList{"Рекорды: 02.03.2024 – 03.03.2024",
                                              "Турниров учтено: 2."}
                               << "Рекорды-2024-03-02-2024-03-03.pdf";
    QTest::newRow("own dates without a tournament")
        << QStringList{"Свои даты...:2023-01-01:2023-12-31"}
        << QStringList{"В этом периоде турниров нет", "!Рейтинг"}
        << "Рекорды-2023-01-01-2023-12-31.pdf";
    QTest::newRow("own dates cancelled, then all time again")
        << QStringList{"2024", "Свои даты...", "Всё время"}
        << QStringList{"Рекорды: Всё время", "Турниров учтено: 3."} << "Рекорды-2024-03-09.pdf";
}

void TestRecordsWindow::bookOfAPeriod() {
    QFETCH(QStringList, picks);
    QFETCH(QStringList, shown);
    QFETCH(QString, pdf);
    RecordsOnScreen s(QStringLiteral("sample"));
    s.text();
    kv::PeriodChoice* choice = s.window->periodChoice();
    std::optional<std::pair<QDate, QDate>> dates;
    choice->setAskDates([&](QWidget*, QDate, QDate) { return dates; });
    for (const QString& pick : picks) {
        const QStringList parts = pick.split(':');
        dates.reset();
        if (parts.size() == 3)
            dates = std::pair{QDate::fromString(parts[1], Qt::ISODate),
                              QDate::fromString(parts[2], Qt::ISODate)};
        const int index = choice->findText(parts[0]);
        QVERIFY2(index >= 0, qPrintable(pick));
        emit choice->activated(index);
        s.text();
    }
    for (const QString& text : shown)
        if (text.startsWith(QLatin1Char('!')))
            QVERIFY2(!s.text().contains(text.mid(1)), qPrintable(text));
        else
            QVERIFY2(s.text().contains(text), qPrintable(text + "\n" + s.text()));
    QCOMPARE(choice->currentText().trimmed(), choice->period().title());
    QString offered;
    s.window->setChooseSaveFile([&](QWidget*, const QString& proposed) {
        offered = QFileInfo(proposed).fileName();
        return s.folder.path(offered);
    });
    s.window->savePdfClick();
    QCOMPARE(s.dialogs.errors(), QStringList{});
    QCOMPARE(offered, pdf);
    QVERIFY(s.folder.bytes(pdf).startsWith("%PDF"));
}

void TestRecordsWindow::aWriteTellsOfBrokenRecords_data() {
    QTest::addColumn<QStringList>("wins"); // Зурко's score over Пенва, evening by evening
    QTest::addColumn<bool>("atOnce");      // the evenings after the first written without a pause
    QTest::addColumn<QString>("news");     // the records the last write tells
    QTest::addColumn<bool>("told");        // anything: a copy of an earlier evening tells nothing
    QTest::newRow("the first evening sets records silently")
        << QStringList{"3"} << false << QString() << true;
    QTest::newRow("a bigger win") << QStringList{"3", "5"} << false
                                  << "Новый рекорд: самая крупная победа - Зурко (Команда 1) - "
                                     "Пенва (Команда 2) 5:0, 08.12.2016"
                                  << true;
    QTest::newRow("a tie is no record") << QStringList{"3", "3"} << false << QString() << false;
    // The news of the first is still being found when the second is written: one message.
    QTest::newRow("two evenings before their news")
        << QStringList{"3", "5", "7"} << true
        << "Новый рекорд: самая крупная победа - Зурко (Команда 1) - Пенва (Команда 2) 7:0, "
           "08.12.2016"
        << true;
}

void TestRecordsWindow::aWriteTellsOfBrokenRecords() {
    QFETCH(QStringList, wins);
    QFETCH(bool, atOnce);
    QFETCH(QString, news);
    QFETCH(bool, told);
    kvtest::ResultsWindow w;
    for (qsizetype i = 0; i < wins.size(); ++i) {
        w.dialogs.clear();
        w.clock.advance(60);
        w.handOver();
        w.scores({{0, wins[i]}});
        kvtest::child<QPushButton>(w.form.get(), QStringLiteral("Button1"))->click();
        kvtest::child<QPushButton>(w.form.get(), QStringLiteral("Button3"))->click();
        kvtest::child<QPushButton>(w.form.get(), QStringLiteral("BitBtn1"))->click();
        // The records are looked for beside the window, which says so meanwhile.
        QVERIFY(w.form->isFindingRecords());
        QCOMPARE(w.form->ProgressBar1->text(), QStringLiteral("Ищу новые рекорды..."));
        if (atOnce && i > 0 && i + 1 < wins.size())
            continue;
        QTRY_VERIFY(!w.form->isFindingRecords());
        QVERIFY(!w.form->ProgressBar1->isTextVisible());
    }
    QCOMPARE(w.dialogs.errors(), QStringList{});
    // Every write tells the ratings, the records after them in the same message.
    const QStringList said = w.dialogs.texts();
    QCOMPARE(said.size(), told ? 1 : 0);
    const QString text = said.value(0);
    QVERIFY2(text.startsWith(QStringLiteral("Зурко ")) == told, qPrintable(text));
    QVERIFY2(news.isEmpty() ? !text.contains(QStringLiteral("Новый рекорд"))
                            : text.contains(QStringLiteral("\n\n") + news),
             qPrintable(text));
}

// Deletions one after another, each while the book of the one before is still being computed:
// the book shown at the end is that of the last history, never an older one.
void TestRecordsWindow::changesWhileComputingEndInTheLastOne() {
    RecordsOnScreen s(QStringLiteral("household"));
    QVERIFY2(s.text().contains(QStringLiteral("Турниров учтено: 50.")), qPrintable(s.text()));
    const QStringList tables = s.store.tournamentTables();
    for (int i = 0; i < 3; ++i) {
        s.store.deleteTournament(tables[i]);
        QVERIFY(s.window->isComputing());
        QCOMPARE(s.status(), QStringLiteral("Считаю рекорды..."));
    }
    QVERIFY2(s.text().contains(QStringLiteral("Турниров учтено: 47.")), qPrintable(s.text()));
    QCOMPARE(s.status(), QString());
    QCOMPARE(s.dialogs.errors(), QStringList{});
}

// Another program holds the file: the reading waits for it, the window does not. A window closed
// while its book is computed goes without a trace.
void TestRecordsWindow::readsBesideTheWindow() {
    kvtest::WorkFolder folder;
    kvtest::writeHousehold({.evenings = 50});
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        other.setDatabaseName(QStringLiteral("base.db"));
        QVERIFY(other.open());
        QSqlQuery lock(other);
        QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        kvtest::Fakes fakes;
        kv::HistoryStore store;
        auto window = std::make_unique<kv::RecordsWindow>(store, fakes.dialogs, fakes.clock,
                                                          std::function<kv::LevelOf()>());
        QElapsedTimer shown;
        shown.start();
        window->show();
        QTest::qWait(300);
        QVERIFY2(shown.elapsed() < 1000, qPrintable(QString::number(shown.elapsed())));
        QVERIFY(window->isComputing());
        QVERIFY(!kvtest::child<QPushButton>(window.get(), "SavePdfButton")->isEnabled());
        QVERIFY(lock.exec(QStringLiteral("COMMIT")));
        QTRY_VERIFY_WITH_TIMEOUT(!window->isComputing(), 30000);
        QVERIFY(window->document()->toPlainText().contains("Турниров учтено: 50."));
        store.deleteTournament(store.tournamentTables().first());
        QVERIFY(window->isComputing());
        window.reset();
        QCOMPARE(fakes.dialogs.errors(), QStringList{});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

QTEST_MAIN(TestRecordsWindow)
void TestRecordsWindow::pdfHoldsEachWordOnceAndWhole_data() {
    QTest::addColumn<QString>("database");
    QTest::newRow("three evenings") << "sample";
    QTest::newRow("a household's fifty, many pages") << "household";
}

// Every word of the book is in the PDF's text once: none broken inside, no line of the next page
// drawn again at the foot of this one. And the window needs no sideways scrolling when it fits.
void TestRecordsWindow::pdfHoldsEachWordOnceAndWhole() {
    QFETCH(QString, database);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    RecordsOnScreen s(database);
    s.window->resize(900, 620);
    const QString text = s.text();
    QTRY_COMPARE(kvtest::child<QTextBrowser>(s.window.get(), QStringLiteral("RecordsView"))
                     ->horizontalScrollBar()
                     ->maximum(),
                 0);
    const QString pdf = s.folder.path(QStringLiteral("book.pdf"));
    s.window->setChooseSaveFile([&](QWidget*, const QString&) { return pdf; });
    s.window->savePdfClick();
    QCOMPARE(s.dialogs.errors(), QStringList{});
    QProcess reader;
    reader.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(reader.waitForFinished(30000));
    const QString pages = QString::fromUtf8(reader.readAllStandardOutput());
    // Header rows repeat on each page: the words are compared as sets.
    const auto words = [](QString t) {
        // A reader of the PDF may give the non-breaking hyphen as a plain one.
        // and ligatures as one character, and it may join "0 / 3".
        const QStringList w = t.normalized(QString::NormalizationForm_KC)
                                  .replace(QChar(0x2011), QLatin1Char('-'))
                                  .replace(QRegularExpression(QStringLiteral(" ?/ ?")), "/")
                                  .split(QRegularExpression(QStringLiteral("\\s+")),
                                         Qt::SkipEmptyParts);
        return QSet<QString>(w.cbegin(), w.cend());
    };
    const QSet<QString> inPdf = words(pages), inBook = words(text);
    QVERIFY2((inPdf - inBook).isEmpty(), qPrintable(QStringList((inPdf - inBook).values()).join(" | ")));
    QCOMPARE(QStringList((inBook - inPdf).values()), QStringList{});
    // A line cut off at a page's foot would be the next page's first line again.
    const QStringList split = pages.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    for (qsizetype p = 0; p + 1 < split.size(); ++p) {
        const QStringList here = split[p].split('\n', Qt::SkipEmptyParts);
        const QStringList next = split[p + 1].split('\n', Qt::SkipEmptyParts);
        if (!here.isEmpty() && !next.isEmpty())
            QVERIFY2(here.last() != next.first(), qPrintable(next.first()));
    }
    if (database == QLatin1String("household"))
        QVERIFY(split.size() > 2);
}

#include "test_records_gui.moc"
