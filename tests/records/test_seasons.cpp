// Periods and seasons over a history of two years and three months made here, figures computed by
// hand: Зурко, Пенва and Лодыш sit in the same seats every evening.
#include "records/seasons.h"
#include "testsupport.h"
#include "tournament/standings.h"

#include <QRegularExpression>

using namespace kv;

Q_DECLARE_METATYPE(kv::Period)

namespace {

// An evening on `day` (none: a table without a date): scores in the order of kMatches, places
// of the seats as "123".
PlayedTournament evening(const QString& table, QDate day, const QString& scores,
                         const QString& places) {
    PlayedTournament t;
    t.table = table;
    if (day.isValid())
        t.played = QDateTime(day, QTime(20, 0), Qt::UTC);
    const QStringList goals = scores.split(QRegularExpression("[ :]"));
    const QStringList players{"Зурко", "Пенва", "Лодыш"};
    for (int i = 0; i < 3; ++i) {
        t.players[i] = players[i];
        t.teams[i] = QStringLiteral("Аякс");
        t.places[i] = places.mid(i, 1).toInt();
    }
    for (int m = 0; m < 6; ++m) {
        PlayedMatch& match = t.matches[m];
        match = {kMatches[m].home, kMatches[m].away, goals[2 * m].toLongLong(),
                 goals[2 * m + 1].toLongLong(), true};
        t.goalsFor[match.home] += match.homeGoals;
        t.goalsAgainst[match.home] += match.awayGoals;
        t.goalsFor[match.away] += match.awayGoals;
        t.goalsAgainst[match.away] += match.homeGoals;
    }
    return t;
}

// The winner of an evening wins all his matches, the other two draw: Зурко 1:0 on 10.11.2025 and
// 15.01.2026, Пенва 2:0 on 24.11.2025 and in the undated final, Лодыш 1:0 on 05.12.2025 and
// 20.01.2026.
History twoYears() {
    const QString zurko = "1:0 0:1 0:1 0:0 1:0 0:0", penva = "0:2 2:0 1:1 0:2 1:1 2:0",
                  lodysh = "0:0 0:0 1:0 1:0 0:1 0:1";
    History h;
    h.tournaments = {evening("10_11_2025__20_00_00", {2025, 11, 10}, zurko, "123"),
                     evening("24_11_2025__20_00_00", {2025, 11, 24}, penva, "213"),
                     evening("Финал", {}, penva, "213"),
                     evening("05_12_2025__20_00_00", {2025, 12, 5}, lodysh, "231"),
                     evening("15_01_2026__20_00_00", {2026, 1, 15}, zurko, "123"),
                     evening("20_01_2026__20_00_00", {2026, 1, 20}, lodysh, "231")};
    h.unreadable = {{"06_12_2025__20_00_00", "строки не турнира"}, {"Старая", "строки не турнира"}};
    h.players = {"Зурко", "Пенва", "Лодыш"};
    return h;
}

QString seasonText(const Season& s) {
    QStringList players;
    for (const SeasonPlayer& p : s.players)
        players << QStringLiteral("%1 %2 %3")
                       .arg(p.player)
                       .arg(p.firstPlaces)
                       .arg(pointsPerMatch(p.tally));
    return QStringLiteral("%1: t=%2 %3 champion=%4")
        .arg(s.period.title())
        .arg(s.tournaments)
        .arg(players.join(QStringLiteral("; ")), namesJoined(s.champions));
}

} // namespace

class TestSeasons : public QObject {
    Q_OBJECT
private slots:
    void periodNames_data();
    void periodNames();
    void booksOfPeriods_data();
    void booksOfPeriods();
    void seasons_data();
    void seasons();
    void heldYearsAndMonths();
};

void TestSeasons::periodNames_data() {
    QTest::addColumn<Period>("period");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("file");
    QTest::newRow("all time") << Period() << "Всё время"
                              << "";
    QTest::newRow("year") << Period::ofYear(2026) << "2026"
                          << "-2026";
    QTest::newRow("month") << Period::ofMonth(2026, 11) << "Ноябрь 2026"
                           << "-2026-11";
    QTest::newRow("own dates") << Period::between({2026, 11, 1}, {2026, 11, 15})
                               << "01.11.2026 – 15.11.2026"
                               << "-2026-11-01-2026-11-15";
    QTest::newRow("own dates given backwards")
        << Period::between({2026, 11, 15}, {2026, 11, 1}) << "01.11.2026 – 15.11.2026"
        << "-2026-11-01-2026-11-15";
}

void TestSeasons::periodNames() {
    QFETCH(Period, period);
    QFETCH(QString, title);
    QFETCH(QString, file);
    QCOMPARE(period.title(), title);
    QCOMPARE(period.fileNamePart(), file);
}

void TestSeasons::booksOfPeriods_data() {
    QTest::addColumn<Period>("period");
    QTest::addColumn<QString>("expected");
    // Tournaments, each player's first places and rating's matches, the left-out tables.
    QTest::newRow("all time keeps the undated final")
        << Period()
        << "t=6 Зурко 2 m20; Пенва 2 m20; Лодыш 2 m20; left out 06_12_2025__20_00_00 Старая";
    QTest::newRow("a year: runs of its own, the rating at its end")
        << Period::ofYear(2025)
        << "t=3 Зурко 1 m12; Пенва 1 m12; Лодыш 1 m12; left out 06_12_2025__20_00_00";
    QTest::newRow("a month") << Period::ofMonth(2025, 11)
                             << "t=2 Зурко 1 m8; Пенва 1 m8; Лодыш 0 m8; left out ";
    QTest::newRow("the next year")
        << Period::ofYear(2026) << "t=2 Зурко 1 m20; Пенва 0 m20; Лодыш 1 m20; left out ";
    QTest::newRow("own dates across the years")
        << Period::between({2025, 12, 1}, {2026, 1, 16})
        << "t=2 Зурко 1 m16; Пенва 0 m16; Лодыш 1 m16; left out 06_12_2025__20_00_00";
    QTest::newRow("a month without tournaments") << Period::ofMonth(2025, 10) << "t=0 ; left out ";
}

void TestSeasons::booksOfPeriods() {
    QFETCH(Period, period);
    QFETCH(QString, expected);
    const PeriodBook b = computePeriodBook(twoYears(), period, {}, {});
    QStringList players;
    for (const PlayerRecord& p : b.book.players)
        players << QStringLiteral("%1 %2 m%3")
                       .arg(p.player)
                       .arg(p.firstPlaces)
                       .arg(b.ratings.find(p.player)->matches);
    QStringList leftOut;
    for (const SkippedTable& t : b.book.leftOut)
        leftOut << t.table;
    QCOMPARE(QStringLiteral("t=%1 %2; left out %3")
                 .arg(b.book.tournaments)
                 .arg(players.join(QStringLiteral("; ")), leftOut.join(QLatin1Char(' '))),
             expected);
    // Runs and records are those of the period's tournaments alone.
    QCOMPARE(b.book.players.size() == 0 ? 0 : b.book.players[0].tournaments, b.book.tournaments);
    QCOMPARE(b.history.players.size(), b.book.players.size());
}

void TestSeasons::seasons_data() {
    QTest::addColumn<Period>("chosen");
    QTest::addColumn<QStringList>("expected");
    const QString y2026 =
        "2026: t=2 Зурко 1 1,75; Лодыш 1 1,75; Пенва 0 0,50 champion=Зурко и Лодыш";
    // Points a match tie in 2025: the goal difference a match decides.
    const QString y2025 = "2025: t=3 Пенва 1 1,33; Зурко 1 1,33; Лодыш 1 1,33 champion=Пенва";
    QTest::newRow("all time: years alone, a shared champion")
        << Period() << QStringList{y2026, y2025};
    QTest::newRow("a year: its months")
        << Period::ofYear(2026)
        << QStringList{y2026, y2025,
                       "Январь 2026: t=2 Зурко 1 1,75; Лодыш 1 1,75; "
                       "Пенва 0 0,50 champion=Зурко и Лодыш"};
    QTest::newRow("a month: the months of its year")
        << Period::ofMonth(2025, 11)
        << QStringList{y2026, y2025,
                       "Декабрь 2025: t=1 Лодыш 1 3,00; Зурко 0 0,50; Пенва 0 0,50 "
                       "champion=Лодыш",
                       "Ноябрь 2025: t=2 Пенва 1 1,75; Зурко 1 1,75; Лодыш 0 0,50 "
                       "champion=Пенва"};
}

void TestSeasons::seasons() {
    QFETCH(Period, chosen);
    QFETCH(QStringList, expected);
    const Seasons s = computeSeasons(twoYears(), chosen);
    QStringList got;
    for (const QList<Season>* list : {&s.years, &s.months})
        for (const Season& season : *list)
            got << seasonText(season);
    QCOMPARE(got, expected);
    QCOMPARE(namesJoined({"Зурко", "Пенва", "Лодыш"}), QStringLiteral("Зурко, Пенва и Лодыш"));
}

void TestSeasons::heldYearsAndMonths() {
    History h = twoYears();
    // A damaged table names no season.
    h.tournaments.append(
        evening("01_03_2024__20_00_00", {2024, 3, 1}, "1:0 0:1 0:1 0:0 1:0 0:0", "123"));
    h.tournaments.last().fault = QStringLiteral("испорчена");
    QStringList held;
    for (const HeldYear& y : heldYears(h)) {
        QStringList months;
        for (int m : y.months)
            months << QString::number(m);
        held << QStringLiteral("%1:%2").arg(y.year).arg(months.join(QLatin1Char(',')));
    }
    QCOMPARE(held, QStringList({"2026:1", "2025:12,11"}));
}

QTEST_MAIN(TestSeasons)
#include "test_seasons.moc"
