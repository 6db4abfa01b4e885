// The players' rating over the sample history and over evenings made here, figures computed by
// hand, and computed again by a script from the matches CSV alone.
#include "records/rating.h"
#include "household.h"
#include "pools/pools.h"
#include "recordshistory.h"

#include <QRegularExpression>

#include <limits>

using namespace kv;

namespace {

// An evening of three players with clubs of one level: scores in the order of kMatches, after
// "name name name|" when other players than the sample's play it.
PlayedTournament evening(int day, QString scores) {
    QStringList players{"Зурко", "Пенва", "Лодыш"};
    if (const qsizetype bar = scores.indexOf('|'); bar >= 0) {
        players = scores.left(bar).split(' ');
        scores = scores.mid(bar + 1);
    }
    PlayedTournament t;
    t.table = QStringLiteral("t%1").arg(day);
    t.played = QDateTime(QDate(2024, 1, 1).addDays(day), QTime(20, 0));
    const QStringList goals = scores.split(QRegularExpression("[ :]"));
    for (int i = 0; i < 3; ++i)
        t.players[i] = players[i], t.teams[i] = QStringLiteral("Аякс");
    for (int m = 0; m < 6; ++m)
        t.matches[m] = {kMatches[m].home, kMatches[m].away, goals[2 * m].toLongLong(),
                        goals[2 * m + 1].toLongLong(), true};
    return t;
}

History historyOf(const QStringList& scores) {
    History h;
    for (const QString& s : scores)
        h.tournaments.append(evening(int(h.tournaments.size()), s));
    return h;
}

// Every player's rating, matches, best rating with its tournament and evenings as the best.
QString ratings(const Rating& r) {
    QStringList out;
    for (const PlayerRating& p : r.players)
        out << QStringLiteral("%1 %2 m%3 best %4@%5 e%6")
                   .arg(p.player, QString::number(p.rating, 'f', 2))
                   .arg(p.matches)
                   .arg(QString::number(p.best, 'f', 2))
                   .arg(p.bestTournament)
                   .arg(p.playerOfEvening);
    return out.join(QStringLiteral("; "));
}

struct SampleHistory {
    SampleHistory() {
        kvtest::writeSampleHistory();
        history = store.readHistory();
    }
    Rating rating() { return computeRating(store.readHistory(), kvtest::sampleLevelOf); }
    kvtest::WorkFolder folder;
    HistoryStore store;
    History history;
};

} // namespace

class TestRating : public QObject {
    Q_OBJECT
private slots:
    void formulas_data();
    void formulas();
    void chances_data();
    void chances();
    void sampleHistory_data();
    void sampleHistory();
    void evenings_data();
    void evenings();
    void changes_data();
    void changes();
    void theMatchesCsvRebuildsTheRatings_data();
    void theMatchesCsvRebuildsTheRatings();
    void newsOfAWrite_data();
    void newsOfAWrite();
};

void TestRating::formulas_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    const double weights[] = {1, 1, 1.5, 1.75, 1.875, 2};
    for (int n = 0; n <= 5; ++n)
        QTest::addRow("G for N = %d", n) << marginWeight(n) << weights[n];
    QTest::newRow("G of the away side's margin") << marginWeight(-4) << 1.875;
    QTest::newRow("G of a damaged cell's margin")
        << marginWeight(std::numeric_limits<qint64>::min()) << 1011.0 / 8;
    QTest::newRow("k under 30 matches") << drawFactor(29, 29) << 0.67;
    QTest::newRow("k, a quarter drawn") << drawFactor(10, 40) << 2.0 / 3;
    QTest::newRow("k, 40% drawn") << drawFactor(12, 30) << 4.0 / 3;
    QTest::newRow("k kept from 0.3") << drawFactor(3, 30) << 0.3;
    QTest::newRow("k kept to 1.5") << drawFactor(15, 30) << 1.5;
    QTest::newRow("k, every match drawn") << drawFactor(30, 30) << 1.5;
    const std::pair<const char*, int> levels[] = {
        {"Клубы 4*", 0},   {"Сборные 4*", 0},   {"Клубы 4,5*", 50}, {"Сборные 4,5*", 50},
        {"Клубы 5*", 100}, {"Сборные 5*", 100}, {"Суперклубы", 150}, {"Другие", 50},
        {"Мой пул", 50}};
    for (const auto& [level, strength] : levels)
        QTest::addRow("h of %s", level) << double(clubStrength(level)) << double(strength);
}

void TestRating::formulas() {
    QFETCH(double, value);
    QFETCH(double, expected);
    QVERIFY2(std::abs(value - expected) < 1e-12, qPrintable(QString::number(value, 'g', 17)));
}

void TestRating::chances_data() {
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("expected");
    const auto shown = [](const Chances& c, const QString& away = "Пенва") {
        return describeChances("Зурко", away, c);
    };
    // D = 50: 48.43, 24.33, 27.24; the point left goes to the largest remainder.
    QTest::newRow("50 more") << shown(matchChances(1600, 1550, 0.67))
                             << "Зурко 49% · ничья 24% · Пенва 27%";
    // 37.45 each side: a tie of remainders goes to the first.
    QTest::newRow("even") << shown(matchChances(1500, 1500, 0.67))
                          << "Зурко 38% · ничья 25% · Пенва 37%";
    // 20.93, 41.86, 37.21: two points left.
    QTest::newRow("draws likely") << shown(matchChances(1500, 1550, 1.5))
                                  << "Зурко 21% · ничья 42% · Пенва 37%";
    // 33.6, 33.6, 32.8: two points left, to the largest remainders.
    QTest::newRow("thirds") << shown({0.336, 0.336, 0.328}) << "Зурко 34% · ничья 33% · Пенва 33%";
    QTest::newRow("far apart") << shown(matchChances(2500, 1500, 0.67))
                               << "Зурко 100% · ничья 0% · Пенва 0%";
    QTest::newRow("no number for any gap") << shown(matchChances(1e300, -1e300, 0.67))
                                           << "Зурко 100% · ничья 0% · Пенва 0%";
    // After the sample history: Зурко 1459.91 with a 5* club against a new player's 4,5* one.
    SampleHistory s;
    QTest::newRow("coming match") << shown(comingChances(
        s.rating(), {"Зурко", "Реал Мадрид", "Новичок", "Милан"}, kvtest::sampleLevelOf), "Новичок")
                                  << "Зурко 40% · ничья 25% · Новичок 35%";
}

void TestRating::chances() {
    QFETCH(QString, shown);
    QFETCH(QString, expected);
    QCOMPARE(shown, expected);
}

void TestRating::sampleHistory_data() {
    QTest::addColumn<int>("tables");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("shown"); // Зурко's
    // The first evening by hand: Зурко 1600 (5*) - Пенва 1550 (4,5*): E = 0.6060 for Зурко;
    // Лодыш 1600 (5*) even with Зурко. Зурко 2:0 (G 1.5) +18.91, 1:1 away -3.39, 1:0 away +16,
    // 3:0 (G 1.75) +28 = +59.52; Пенва -18.91 +3.39 +3.39 +19.39 = +7.26; Лодыш -66.78.
    QTest::newRow("one evening") << 1
                                 << "Зурко 1559.52 m4 best 1559.52@0 e1; Пенва 1507.26 m4 best "
                                    "1507.26@0 e0; Лодыш 1433.22 m4 best 1433.22@0 e0"
                                 << "1560?";
    QTest::newRow("the best stays") << 2
                                    << "Зурко 1560.71 m8 best 1560.71@1 e1; Пенва 1455.02 m8 best "
                                       "1507.26@0 e0; Лодыш 1484.27 m8 best 1484.27@1 e1"
                                    << "1561?";
    QTest::newRow("with a damaged table") << 4
                                          << "Зурко 1459.91 m12 best 1560.71@1 e1; Пенва 1576.07 "
                                             "m12 best 1576.07@2 e1; Лодыш 1464.02 m12 best "
                                             "1484.27@1 e1"
                                          << "1460";
}

void TestRating::sampleHistory() {
    QFETCH(int, tables);
    QFETCH(QString, expected);
    QFETCH(QString, shown);
    SampleHistory s;
    s.history.tournaments = s.history.tournaments.mid(0, tables);
    const Rating r = computeRating(s.history, kvtest::sampleLevelOf);
    QCOMPARE(ratings(r), expected);
    QCOMPARE(r.leftOut.size(), tables == 4 ? 1 : 0);
    // "Бавария Мюнхен", in no pool, first plays on the third evening.
    QCOMPARE(r.clubsInNoPool.size(), tables == 4 ? 1 : 0);
    QCOMPARE(r.tournaments[0].strength, (std::array<int, 3>{100, 50, 100}));
    QCOMPARE(showRating(r.players[0]), shown);
}

void TestRating::evenings_data() {
    QTest::addColumn<QStringList>("scores");
    QTest::addColumn<QString>("expected"); // empty: not looked at
    QTest::addColumn<double>("drawFactor"); // for the next evening
    const QString draws = "1:1 1:1 1:1 1:1 1:1 1:1", wins = "1:0 1:0 1:0 1:0 1:0 1:0";
    // Three evenings of draws leave everyone at 1500 with 12 matches; then Зурко wins his four
    // matches with K 20 (+40), Пенва loses two with K 20 (-20), the new Дымок two with K 32 (-32).
    // Ties of the evenings of draws go to the first of the results table.
    QTest::newRow("K after 12 matches")
        << QStringList{draws, draws, draws, "Зурко Пенва Дымок|1:0 0:1 0:1 1:1 1:0 0:0"}
        << "Зурко 1540.00 m16 best 1540.00@3 e4; Пенва 1480.00 m16 best 1500.00@0 e0; Лодыш "
           "1500.00 m12 best 1500.00@0 e0; Дымок 1468.00 m4 best 1468.00@3 e0"
        << 0.67;
    QTest::newRow("k from 3/4 drawn") << (QStringList(6, draws) << wins << wins) << "" << 1.5;
    QTest::newRow("k from 1/4 drawn") << (QStringList(2, draws) << QStringList(6, wins)) << ""
                                      << 2.0 / 3;
    QTest::newRow("k from 1/8 drawn") << (QStringList(draws) << QStringList(7, wins)) << ""
                                      << 0.3;
    QTest::newRow("k from 30 matches") << QStringList(5, wins) << "" << 0.3;
    QTest::newRow("k under 30 matches") << QStringList(4, draws) << "" << 0.67;
}

void TestRating::evenings() {
    QFETCH(QStringList, scores);
    QFETCH(QString, expected);
    QFETCH(double, drawFactor);
    const Rating r = computeRating(historyOf(scores), {});
    if (!expected.isEmpty())
        QCOMPARE(ratings(r), expected);
    QCOMPARE(r.nextDrawFactor(), drawFactor);
    QCOMPARE(r.matches, 6 * scores.size());
}

void TestRating::changes_data() {
    QTest::addColumn<QString>("change"); // or the players of a table the rating leaves out
    QTest::addColumn<QString>("reason"); // given for that table
    QTest::newRow("matches of each evening in another order") << "reverse" << "";
    QTest::newRow("a deleted evening, as if never written") << "delete" << "";
    QTest::newRow("a renamed player keeps his rating") << "rename" << "";
    QTest::newRow("a mended score mends the evenings after it") << "mend" << "";
    QTest::newRow("no date") << "Зурко Пенва Лодыш" << "без даты в имени таблицы";
    QTest::newRow("twice the same player") << "Зурко Пенва Зурко"
                                           << "игрок \"Зурко\" записан в турнире дважды";
    QTest::newRow("no name") << "Зурко  Лодыш" << "у игрока в строке 2 нет имени";
}

void TestRating::changes() {
    QFETCH(QString, change);
    QFETCH(QString, reason);
    SampleHistory s;
    const QString table = QStringLiteral("02_03_2024__20_00_00");
    const QString before = ratings(s.rating());
    History expected = s.history; // the ratings after the change, computed without it
    if (change == "reverse") {
        for (PlayedTournament& t : s.history.tournaments) {
            std::reverse(t.matches.begin(), t.matches.end());
            t.playOrder = PlayOrder{5, 4, 3, 2, 1, 0};
        }
    } else if (!reason.isEmpty()) {
        s.history.tournaments.append(evening(9, change + "|1:0 1:0 1:0 1:0 1:0 1:0"));
        if (change == "Зурко Пенва Лодыш")
            s.history.tournaments.last().played = {};
    } else {
        if (change == "delete") {
            s.store.deleteTournament(table);
            expected.tournaments.removeAt(1);
        } else if (change == "rename") {
            s.store.renamePlayers({{"Пенва", "Пенва Второй"}});
        } else {
            kvtest::sqlite3("UPDATE \"" + table + "\" SET Team2 = '1''-''0' WHERE id = 1"); // 9:0
            expected.tournaments[1].matches[0].homeGoals = 1;
        }
        s.history = s.store.readHistory();
    }
    const Rating r = computeRating(s.history, kvtest::sampleLevelOf);
    QString want = ratings(computeRating(expected, kvtest::sampleLevelOf));
    QCOMPARE(ratings(r), change == "rename" ? want.replace("Пенва", "Пенва Второй") : want);
    QCOMPARE(ratings(r) == before, change == "reverse" || !reason.isEmpty());
    // The damaged table of the sample, then the one added.
    QCOMPARE(r.leftOut.size(), reason.isEmpty() ? 1 : 2);
    QVERIFY(r.leftOut.last().reason.startsWith(reason));
}

void TestRating::theMatchesCsvRebuildsTheRatings_data() {
    QTest::addColumn<int>("household"); // evenings; 0: the sample history
    QTest::newRow("sample") << 0;
    // Settled ratings, draw factors of their own, the pools' star levels.
    QTest::newRow("a household's 300 evenings") << 300;
}

void TestRating::theMatchesCsvRebuildsTheRatings() {
    QFETCH(int, household);
    SampleHistory s;
    LevelOf levelOf = kvtest::sampleLevelOf;
    if (household) {
        kvtest::writeHousehold({.evenings = household});
        s.folder.copyDefaultData();
        levelOf = [labels = poolLabelsOfTeams()](const QString& club) {
            return labels.value(club);
        };
        s.history = HistoryStore().readHistory(); // the file was replaced under the fixture's
    }
    s.folder.writeBytes("matches.csv", matchesCsv(s.history, levelOf, tournamentDate()));
    QProcess script;
    script.start(KV_PYTHON3, {kvtest::sourceDir() + "tests/records/rating_from_csv.py",
                              s.folder.path("matches.csv")});
    QVERIFY(script.waitForFinished(30000));
    QVERIFY2(script.exitCode() == 0, script.readAllStandardError().constData());
    QStringList program;
    const Rating rating = computeRating(s.history, levelOf);
    QCOMPARE(rating.tournaments.size(), household ? household : 3);
    QCOMPARE(rating.leftOut.size(), household ? 0 : 1);
    for (const PlayerRating& p : rating.players)
        program << QStringLiteral("rating %1=%2 matches=%3 best=%4 evening=%5")
                       .arg(p.player, QString::number(p.rating, 'f', 4))
                       .arg(p.matches)
                       .arg(QString::number(p.best, 'f', 4))
                       .arg(p.playerOfEvening);
    QCOMPARE(QString::fromUtf8(script.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
             program);
}

void TestRating::newsOfAWrite_data() {
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("expected"); // the start of it
    SampleHistory s;
    const auto news = [&](int evenings) {
        History h = s.history;
        h.tournaments = h.tournaments.mid(0, evenings);
        return eveningNews(h, {h.tournaments.last().table}, kvtest::sampleLevelOf,
                           tournamentDate())
            .text();
    };
    // The first evening sets records silently.
    QTest::newRow("the ratings of an evening") << news(1)
                                               << "Зурко 1500 → 1560 (+60)\nПенва 1500 → 1507 "
                                                  "(+7)\nЛодыш 1500 → 1433 (-67)\nИгрок вечера: "
                                                  "Зурко";
    QTest::newRow("then the records") << news(2).section("\n\n", 0, 1).left(130)
                                      << "Зурко 1560 → 1561 (+1)\nПенва 1507 → 1455 (-52)\nЛодыш "
                                         "1433 → 1484 (+51)\nИгрок вечера: Лодыш\n\nНовый "
                                         "рекорд: самая крупная победа";
    const History draws = historyOf({"1:1 1:1 1:1 1:1 1:1 1:1", "0:0 0:0 0:0 0:0 0:0 0:0"});
    QTest::newRow("no change") << eveningNews(draws, {"t1"}, {}, tournamentDate()).text()
                               << "Зурко 1500 → 1500 (+0)\nПенва 1500 → 1500 (+0)\nЛодыш 1500 → "
                                  "1500 (+0)\nИгрок вечера: Зурко";
    QTest::newRow("an evening the rating leaves out")
        << eveningNews(s.history, {"04_03_2024__20_00_00"}, {}, tournamentDate()).text() << "";
}

void TestRating::newsOfAWrite() {
    QFETCH(QString, shown);
    QFETCH(QString, expected);
    QVERIFY2(expected.isEmpty() ? shown.isEmpty() : shown.startsWith(expected), qPrintable(shown));
}

QTEST_GUILESS_MAIN(TestRating)
#include "test_rating.moc"
