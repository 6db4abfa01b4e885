// The charts window over the stored tournaments.
#include "common/errors.h"
#include "history/historystore.h"
#include "historydb.h"
#include "household.h"
#include "records/gui_charts.h"
#include "records/gui_period.h"
#include "records/rating.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTabWidget>
#include <QValueAxis>

#include <cmath>

namespace {

// The charts of a tab: one, or one per player on the goals tab.
QList<QChart*> chartsOf(kv::TournamentCharts& w, int tab) {
    QList<QChart*> charts;
    for (const QChartView* v : w.tabs()->widget(tab)->findChildren<QChartView*>())
        charts << v->chart();
    if (auto* one = qobject_cast<QChartView*>(w.tabs()->widget(tab)))
        charts = {one->chart()};
    return charts;
}

QChart* chartOf(kv::TournamentCharts& w, int tab) {
    return chartsOf(w, tab).value(0);
}

// Every point of the lines inside the plot, over the evenings' dates; a point a played evening
// on each line of points.
void verifyInsideThePlot(kv::TournamentCharts& w, int played) {
    const QList<QChart*> lines = chartsOf(w, 2) + QList<QChart*>{chartOf(w, 0)};
    for (QChart* chart : lines) {
        const auto* x = qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal)[0]);
        const auto* y = static_cast<QValueAxis*>(chart->axes(Qt::Vertical)[0]);
        QVERIFY(x);
        for (QAbstractSeries* s : chart->series()) {
            const QList<QPointF> points = static_cast<QXYSeries*>(s)->points();
            QCOMPARE(points.size(), played);
            for (const QPointF& p : points)
                QVERIFY(p.x() > x->min().toMSecsSinceEpoch() &&
                        p.x() < x->max().toMSecsSinceEpoch() && p.y() > y->min() &&
                        p.y() < y->max());
        }
    }
}

QStringList titles(kv::TournamentCharts& w) {
    QStringList out;
    for (int tab = 0; tab < w.tabs()->count(); ++tab)
        for (QChart* chart : chartsOf(w, tab))
            if (!chart->title().isEmpty())
                out << chart->title();
    return out;
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT
private slots:
    void nothingStored();
    void onePlayerOneColour();
    void followsTheHistoryAndNamesWhatItLeavesOut();
    void aPeriod_data();
    void aPeriod();
    void goalsReadableOverManyEvenings_data();
    void goalsReadableOverManyEvenings();
};

void TestCharts::nothingStored() {
    kvtest::WorkFolder folder;
    kv::HistoryStore store;
    kv::ScriptedDialogs dialogs;
    kv::TournamentCharts w(store, dialogs);
    // No database file: the message the results window gives.
    try {
        w.load();
        QFAIL("a missing database was read");
    } catch (const kv::Error& e) {
        QCOMPARE(e.text(), kv::cannotOpen(QStringLiteral("base.db"),
                                          QStringLiteral("No such file or directory"))
                               .text());
    }
    kvtest::createBaseDb();
    w.load();
    QTRY_VERIFY(!w.isReading());
    auto* empty = w.findChild<QLabel*>(QStringLiteral("NoTournaments"));
    QVERIFY(empty && empty->text().startsWith(QStringLiteral("В базе ещё нет ни одного турнира")));
}

void TestCharts::onePlayerOneColour() {
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    kv::HistoryStore store;
    // Written out of order, the second evening with a new player.
    store.writeTournament("08_12_2016__21_05_33", kvtest::sampleTournament());
    store.writeTournament("15_11_2016__20_00_00",
                          kvtest::sampleTournament({"Пенва", "Зурко", "Гость"}));
    kv::ScriptedDialogs dialogs;
    kv::TournamentCharts w(store, dialogs);
    w.load();
    QTRY_VERIFY(!w.isReading());
    QCOMPARE(w.tabs()->count(), 4);

    const QList<QAbstractSeries*> lines = chartOf(w, 0)->series();
    QStringList players;
    for (QAbstractSeries* s : lines)
        players << s->name();
    QCOMPARE(players, QStringList({"Пенва", "Зурко", "Гость", "Лодыш"}));
    // Cumulative points end at the sums "Total" holds.
    for (QAbstractSeries* s : lines) {
        const auto* line = static_cast<QLineSeries*>(s);
        QCOMPARE(QString::number(line->points().last().y()),
                 kvtest::sqliteRows(
                     QStringLiteral("SELECT Очки FROM Total WHERE Игрок='%1'").arg(s->name()))
                     .value(0));
    }
    const QList<QBarSet*> bars = static_cast<QBarSeries*>(chartOf(w, 1)->series()[0])->barSets();
    // Goals: a chart per player, for in his colour, against in another one.
    const QList<QChart*> goals = chartsOf(w, 2);
    QCOMPARE(goals.size(), 4);
    for (int p = 0; p < 4; ++p) {
        const QColor colour = static_cast<QLineSeries*>(lines[p])->color();
        QCOMPARE(bars[p]->color(), colour);
        QCOMPARE(static_cast<QLineSeries*>(goals[p]->series()[0])->pen().color(), colour);
        QVERIFY(static_cast<QLineSeries*>(goals[p]->series()[1])->pen().color() != colour);
    }
    QCOMPARE(bars[0]->at(0) + bars[0]->at(1) + bars[0]->at(2), 2.0);

    // The rating: a line per player in his colour, a point at the date of each evening he played,
    // inside the plot.
    QCOMPARE(w.tabs()->tabText(3), QStringLiteral("Рейтинг"));
    QChart* rating = chartOf(w, 3);
    const auto* dates = qobject_cast<QDateTimeAxis*>(rating->axes(Qt::Horizontal).value(0));
    QVERIFY(dates && dates->format() == QStringLiteral("dd.MM.yyyy"));
    const auto* y = static_cast<QValueAxis*>(rating->axes(Qt::Vertical)[0]);
    const kv::History history = store.readHistory();
    const kv::Rating expected = kv::computeRating(history, {});
    QCOMPARE(rating->series().size(), 4);
    for (int p = 0; p < 4; ++p) {
        const auto* line = static_cast<QLineSeries*>(rating->series()[p]);
        QCOMPARE(line->name(), players[p]);
        QCOMPARE(line->color(), static_cast<QLineSeries*>(lines[p])->color());
        QList<QPointF> points;
        for (const kv::RatedTournament& t : expected.tournaments) {
            const kv::PlayedTournament& played = history.tournaments[t.tournament];
            for (int slot = 0; slot < 3; ++slot)
                if (played.players[slot] == players[p])
                    points << QPointF(played.played.toMSecsSinceEpoch(), t.after[slot]);
        }
        QCOMPARE(line->points(), points);
        for (const QPointF& pt : points)
            QVERIFY(pt.x() > dates->min().toMSecsSinceEpoch() &&
                    pt.x() < dates->max().toMSecsSinceEpoch() && pt.y() > y->min() &&
                    pt.y() < y->max());
    }
    QCOMPARE(static_cast<QLineSeries*>(rating->series()[2])->points().size(), 1); // Гость

    // Every value axis ticks on whole numbers only: "%d" labels never repeat a number.
    for (int tab = 0; tab < w.tabs()->count(); ++tab)
        for (QChart* chart : chartsOf(w, tab))
            for (QAbstractAxis* a : chart->axes())
                if (auto* v = qobject_cast<QValueAxis*>(a)) {
                    QCOMPARE(v->tickType(), QValueAxis::TicksDynamic);
                    QVERIFY(v->tickInterval() >= 1);
                    QCOMPARE(std::floor(v->tickInterval()), v->tickInterval());
                    if (v->tickAnchor() == 0) // a count ends on a tick
                        QCOMPARE(std::fmod(v->max(), v->tickInterval()), 0.0);
                }
}

void TestCharts::followsTheHistoryAndNamesWhatItLeavesOut() {
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    kv::HistoryStore store;
    store.writeTournament("08_12_2016__21_05_33", kvtest::sampleTournament());
    kv::ScriptedDialogs dialogs;
    kv::TournamentCharts w(store, dialogs);
    w.load();
    QTRY_VERIFY(!w.isReading());
    verifyInsideThePlot(w, 1);
    QVERIFY(w.note()->isHidden());
    kvtest::sqlite3("CREATE TABLE \"Копия\" AS SELECT * FROM \"08_12_2016__21_05_33\";");

    // Written while the window is open: drawn at once, the copy left out and named.
    kv::TournamentEntry next = kvtest::sampleTournament();
    next.players[0].team = QStringLiteral("Другая команда");
    store.writeTournament("09_12_2016__21_05_33", next);
    QVERIFY(w.isReading());
    QTRY_VERIFY(!w.isReading());
    const auto* line = static_cast<QLineSeries*>(chartOf(w, 0)->series()[0]);
    QCOMPARE(line->points().size(), 2);
    QCOMPARE(line->points().last().y(), 14.0);
    verifyInsideThePlot(w, 2);
    QVERIFY(!w.note()->isHidden());
    QVERIFY2(w.note()->text().contains("\"Копия\": копия турнира \"08_12_2016__21_05_33\""),
             qPrintable(w.note()->text()));
}

void TestCharts::aPeriod_data() {
    QTest::addColumn<QString>("pick"); // the period's item
    QTest::addColumn<int>("evenings"); // points on each line
    QTest::addColumn<QString>("picture");
    QTest::newRow("all time, the undated table after the evening before it")
        << "Всё время" << 4 << "Графики-Очки.png";
    QTest::newRow("a year") << "2025" << 2 << "Графики-Очки-2025.png";
    QTest::newRow("a year of one evening") << "2026" << 1 << "Графики-Очки-2026.png";
}

void TestCharts::aPeriod() {
    QFETCH(QString, pick);
    QFETCH(int, evenings);
    QFETCH(QString, picture);
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    kv::HistoryStore store;
    // Each with a club of its own: an evening that repeats another's rows is a copy.
    for (const char* table :
         {"10_11_2025__20_00_00", "Финал", "24_12_2025__20_00_00", "05_01_2026__20_00_00"}) {
        kv::TournamentEntry entry = kvtest::sampleTournament();
        entry.players[0].team = QString::fromUtf8(table);
        store.writeTournament(QString::fromUtf8(table), entry);
    }
    kv::ScriptedDialogs dialogs;
    kv::TournamentCharts w(store, dialogs);
    w.load();
    QTRY_VERIFY(!w.isReading());
    const int index = w.periodChoice()->findText(pick);
    QVERIFY(index >= 0);
    emit w.periodChoice()->activated(index);
    QTRY_VERIFY(!w.isReading());
    verifyInsideThePlot(w, evenings);
    for (const QString& title : titles(w))
        QVERIFY2(title.endsWith(": " + pick), qPrintable(title));
    const QList<QPointF> points = static_cast<QXYSeries*>(chartOf(w, 0)->series()[0])->points();
    const QDateTime undated = QDateTime(QDate(2025, 11, 10), QTime(20, 1), Qt::UTC);
    QCOMPARE(points.contains(QPointF(undated.toMSecsSinceEpoch(), 14)), pick == "Всё время");
    // The rating counts dated evenings only, those of the period drawn.
    QCOMPARE(static_cast<QXYSeries*>(chartOf(w, 3)->series()[0])->points().size(),
             std::min(evenings, 3));

    // The picture of the tab shown, never over a picture saved before.
    QStringList offered;
    w.setChooseSaveFile([&](QWidget*, const QString& proposed) {
        offered << QFileInfo(proposed).fileName();
        return folder.path(QFileInfo(proposed).fileName());
    });
    w.savePictureClick();
    w.savePictureClick();
    QCOMPARE(dialogs.errors(), QStringList{});
    QCOMPARE(offered, QStringList({picture, QString(picture).replace(".png", "-2.png")}));
    QVERIFY(folder.bytes(picture).startsWith("\x89PNG"));
}

// On a household's 50 and 300 evenings the goals show each evening as a point, smaller when many,
// and the mean of the last ten as a line.
void TestCharts::goalsReadableOverManyEvenings_data() {
    QTest::addColumn<int>("evenings");
    QTest::addColumn<qreal>("dot");
    QTest::newRow("50") << 50 << 6.0;
    QTest::newRow("300") << 300 << 4.0;
}

void TestCharts::goalsReadableOverManyEvenings() {
    QFETCH(int, evenings);
    QFETCH(qreal, dot);
    kvtest::WorkFolder folder;
    kvtest::writeHousehold({.evenings = evenings});
    kv::HistoryStore store;
    kv::ScriptedDialogs dialogs;
    kv::TournamentCharts w(store, dialogs);
    w.load();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isReading(), 30000);
    for (QChart* chart : chartsOf(w, 2)) {
        const auto* mean = static_cast<QLineSeries*>(chart->series()[0]);
        const auto* each = qobject_cast<QScatterSeries*>(chart->series()[2]);
        QVERIFY(each);
        QCOMPARE(each->markerSize(), dot);
        const QList<QPointF> goals = each->points();
        QCOMPARE(mean->points().size(), goals.size());
        qreal sum = 0;
        for (qsizetype i = goals.size() - 10; i < goals.size(); ++i)
            sum += goals[i].y();
        QCOMPARE(mean->points().last(), QPointF(goals.last().x(), sum / 10));
    }
    // The window with its charts fits a 1366x768 screen with a panel.
    QVERIFY(w.frameGeometry().height() <= 700 && w.width() <= 1366);
}

QTEST_MAIN(TestCharts)
#include "test_charts_gui.moc"
