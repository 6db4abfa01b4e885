// The records book over a small history written with the sqlite3 tool, figures computed by hand,
// and computed again by a script from the matches CSV alone.
#include "records/records.h"
#include "recordshistory.h"

#include <QMap>

using namespace kv;

namespace {

QString date(const PlayedTournament& t) {
    return t.played.toString(QStringLiteral("dd.MM.yyyy"));
}

QString levelOf(const QString& club) {
    return kvtest::sampleLevelOf(club);
}

// Every figure of the book in the words of records_from_csv.py.
QMap<QString, QString> figures(const History& h, const RecordsBook& book) {
    const auto at = [&](const MatchAt& m) {
        return h.tournaments[m.tournament].table + QLatin1Char('#') + QString::number(m.match);
    };
    const auto tally = [](const Tally& t) {
        return QStringLiteral("%1 %2-%3-%4 %5:%6")
            .arg(t.matches)
            .arg(t.wins)
            .arg(t.draws)
            .arg(t.losses)
            .arg(t.goalsFor)
            .arg(t.goalsAgainst);
    };
    const auto clubs = [&](const QList<ClubRecord>& list) {
        QStringList out;
        for (const ClubRecord& c : list)
            out << QStringLiteral("%1 %2 %3").arg(c.club).arg(c.tournaments).arg(tally(c.tally));
        return out.join(QStringLiteral("; "));
    };
    QMap<QString, QString> out;
    for (const HeadToHead& p : book.headToHead) {
        QStringList last;
        for (const MatchAt& m : p.lastFive)
            last << at(m);
        out[QStringLiteral("h2h %1-%2").arg(p.player, p.opponent)] =
            QStringLiteral("%1 last=%2 win=%3 loss=%4")
                .arg(tally(p.tally), last.join(QLatin1Char(',')),
                     p.biggestWin ? at(*p.biggestWin) : QStringLiteral("-"),
                     p.biggestLoss ? at(*p.biggestLoss) : QStringLiteral("-"));
    }
    for (const PlayerRecord& p : book.players) {
        const auto run = [](const Run& now, const Run& best) {
            return QStringLiteral("%1/%2").arg(now.length).arg(best.length);
        };
        out[QStringLiteral("runs ") + p.player] =
            QStringLiteral("wins %1 unbeaten %2 losses %3 firsts %4")
                .arg(run(p.currentWins, p.longestWins), run(p.currentUnbeaten, p.longestUnbeaten),
                     run(p.currentLosses, p.longestLosses),
                     run(p.currentFirstPlaces, p.longestFirstPlaces));
        out[QStringLiteral("player ") + p.player] =
            QStringLiteral("t%1 first%2 scorer%3 nemesis=%4")
                .arg(p.tournaments)
                .arg(p.firstPlaces)
                .arg(p.bestScorer)
                .arg(p.nemesis.value_or("-"));
    }
    for (const PlayerClubs& c : book.clubs) {
        out[QStringLiteral("clubs ") + c.player] =
            clubs(c.clubs) + QStringLiteral("; best=%1 worst=%2")
                                 .arg(c.best ? c.best->club : "-", c.worst ? c.worst->club : "-");
        out[QStringLiteral("levels ") + c.player] = clubs(c.levels);
    }
    const GroupRecords& g = book.group;
    const auto evening = [&](const TournamentRecord& r) {
        const PlayedTournament& t = h.tournaments[r.tournament];
        return t.table + t.players[r.slot] + QLatin1Char(':') + QString::number(r.value);
    };
    out[QStringLiteral("group")] = QStringLiteral("win=%1:%2 goals=%3:%4 points=%5 diff=%6")
                                       .arg(at(g.biggestWin->at))
                                       .arg(g.biggestWin->value)
                                       .arg(at(g.mostGoals->at))
                                       .arg(g.mostGoals->value)
                                       .arg(evening(*g.mostPoints), evening(*g.bestDifference));
    out[QStringLiteral("book")] = QStringLiteral("tournaments=%1 noscorer=%2")
                                      .arg(book.tournaments)
                                      .arg(book.withoutBestScorer);
    return out;
}

struct SampleHistory {
    SampleHistory() {
        kvtest::writeSampleHistory();
        history = store.readHistory();
        book = computeRecords(history, levelOf);
    }
    kvtest::WorkFolder folder;
    HistoryStore store;
    History history;
    RecordsBook book;
};

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private slots:
    void figuresByHand_data();
    void figuresByHand();
    void theMatchesCsvRebuildsTheBook();
    void newRecordsOfAnEvening_data();
    void newRecordsOfAnEvening();
    void wording_data();
    void wording();
    void runsFollowThePlayOrder_data();
    void runsFollowThePlayOrder();
};

void TestRecords::figuresByHand_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString t1 = QStringLiteral("01_03_2024__20_00_00#"),
                  t2 = QStringLiteral("02_03_2024__20_00_00#"),
                  t3 = QStringLiteral("03_03_2024__20_00_00#");
    QTest::newRow("head to head, the first one's side")
        << "h2h Зурко-Пенва"
        << "6 3-1-2 13:12 last=" + t1 + "1," + t2 + "0," + t2 + "1," + t3 + "0," + t3 +
               "1 win=" + t2 + "0 loss=" + t3 + "0";
    QTest::newRow("head to head, biggest win each way")
        << "h2h Зурко-Лодыш"
        << "6 3-2-1 8:4 last=" + t1 + "4," + t2 + "2," + t2 + "4," + t3 + "2," + t3 +
               "4 win=" + t1 + "4 loss=" + t2 + "2";
    const auto row = [](const char* name, const char* key, const char* expected) {
        QTest::newRow(name) << key << expected;
    };
    // A draw ends a run of wins and of losses, not one without a loss.
    row("runs broken by a draw", "runs Зурко", "wins 1/4 unbeaten 2/6 losses 0/2 firsts 0/1");
    row("runs still going", "runs Пенва", "wins 0/3 unbeaten 5/5 losses 0/3 firsts 1/1");
    row("nemesis", "player Лодыш", "t3 first1 scorer0 nemesis=Зурко");
    row("best scorer kept since", "player Пенва", "t3 first1 scorer1 nemesis=Зурко");
    // 9:0 twice and 10 points twice: the first holder keeps the record.
    QTest::newRow("records tied") << "group"
                                  << "win=" + t2 + "0:9 goals=" + t2 +
                                         "0:9 points=01_03_2024__20_00_00Зурко:10 "
                                         "diff=03_03_2024__20_00_00Пенва:12";
    row("a renamed club is another club", "clubs Лодыш",
        "Бавария 2 8 2-3-3 8:11; Бавария Мюнхен 1 4 0-2-2 2:4; best=Бавария worst=Бавария");
    row("levels, and a club no pool holds", "levels Лодыш",
        "Клубы 5* 2 8 2-3-3 8:11; Другие 1 4 0-2-2 2:4");
    row("tournaments without a best scorer", "book", "tournaments=3 noscorer=2");
}

void TestRecords::figuresByHand() {
    QFETCH(QString, key);
    QFETCH(QString, expected);
    SampleHistory s;
    QCOMPARE(figures(s.history, s.book).value(key), expected);
    // The table with a cell the program never writes is named, the foreign one not counted.
    QCOMPARE(s.book.leftOut.size(), 1);
    QCOMPARE(s.book.leftOut[0].table, QStringLiteral("04_03_2024__20_00_00"));
}

void TestRecords::theMatchesCsvRebuildsTheBook() {
    SampleHistory s;
    s.folder.writeBytes(QStringLiteral("matches.csv"), matchesCsv(s.history, levelOf, date));
    QVERIFY(s.folder.bytes(QStringLiteral("matches.csv")).startsWith("\xEF\xBB\xBF"));
    QProcess script;
    script.start(QStringLiteral(KV_PYTHON3),
                 {kvtest::sourceDir() + QStringLiteral("tests/records/records_from_csv.py"),
                  s.folder.path(QStringLiteral("matches.csv"))});
    QVERIFY(script.waitForFinished(30000));
    QVERIFY2(script.exitCode() == 0, script.readAllStandardError().constData());
    QMap<QString, QString> rebuilt;
    for (const QString& line : QString::fromUtf8(script.readAllStandardOutput()).split('\n'))
        if (const qsizetype eq = line.indexOf(QLatin1Char('=')); eq > 0)
            rebuilt.insert(line.left(eq), line.mid(eq + 1));
    QCOMPARE(rebuilt, figures(s.history, s.book));
}

void TestRecords::newRecordsOfAnEvening_data() {
    QTest::addColumn<int>("evening"); // 2 or 3: the evening written last
    QTest::addColumn<QStringList>("news");
    QTest::newRow("records and the longest runs")
        << 2
        << QStringList{"Новый рекорд: самая крупная победа - Зурко (Реал Мадрид) - Пенва (Милан) "
                       "9:0, 02.03.2024",
                       "Новый рекорд: больше всего голов в матче (9) - Зурко (Реал Мадрид) - Пенва "
                       "(Милан) 9:0, 02.03.2024",
                       "Новый рекорд: лучшая разница мячей за турнир (9) - Зурко (Реал Мадрид) "
                       "против Пенва (Милан) и Лодыш (Бавария), 02.03.2024",
                       "Новый рекорд: Зурко выиграл 4 матча подряд",
                       "Новый рекорд: Зурко не проиграл 6 матчей подряд"};
    QTest::newRow("a tie is no record")
        << 3
        << QStringList{"Новый рекорд: лучшая разница мячей за турнир (12) - Пенва (Ювентус) против "
                       "Лодыш (Бавария Мюнхен) и Зурко (Реал Мадрид), 03.03.2024"};
}

void TestRecords::newRecordsOfAnEvening() {
    QFETCH(int, evening);
    QFETCH(QStringList, news);
    SampleHistory s;
    History after = s.history;
    after.tournaments = after.tournaments.mid(0, evening);
    History before = after;
    before.tournaments.removeLast();
    QCOMPARE(newRecords(computeRecords(before), after, computeRecords(after), date), news);
}

void TestRecords::wording_data() {
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("expected");
    const auto perMatch = [](int matches, int wins, int draws) {
        Tally t;
        t.matches = matches, t.wins = wins, t.draws = draws;
        return pointsPerMatch(t);
    };
    // Halves round up from the exact fraction, never by the binary neighbour of the decimal.
    QTest::newRow("63/40") << perMatch(40, 21, 0) << "1,58";
    QTest::newRow("21/8") << perMatch(8, 7, 0) << "2,63";
    QTest::newRow("whole") << perMatch(4, 0, 4) << "1,00";
    QTest::newRow("no match") << perMatch(0, 0, 0) << "-";
    QTest::newRow("a right-to-left name is isolated")
        << isolated(QStringLiteral("أحمد")) << QStringLiteral("\u2068أحمد\u2069");
    QTest::newRow("a left-to-right name stays") << isolated(QStringLiteral("Зурко")) << "Зурко";
    // A name a spreadsheet would run as a formula stays text in the matches CSV; one with the
    // separator or a quote stays one field.
    const auto inCsv = [](const QString& name, const QString& field) {
        History h;
        PlayedTournament t;
        t.table = QStringLiteral("t");
        t.players = {name, QStringLiteral("Пенва"), QStringLiteral("Лодыш")};
        for (int m = 0; m < 6; ++m)
            t.matches[m] = {kMatches[m].home, kMatches[m].away, 1, 0, true};
        h.tournaments.append(t);
        const QString csv = QString::fromUtf8(matchesCsv(h, levelOf, date));
        return csv.contains(QLatin1Char(',') + field + QLatin1Char(',')) ? field : csv;
    };
    QTest::newRow("csv =formula") << inCsv("=1+1", "'=1+1") << "'=1+1";
    QTest::newRow("csv +, -, @") << inCsv("+A1", "'+A1") + inCsv("-2", "'-2") + inCsv("@S", "'@S")
                                 << "'+A1'-2'@S";
    QTest::newRow("csv tab first") << inCsv("\tx", "'\tx") << "'\tx";
    QTest::newRow("csv comma and quote")
        << inCsv("a,\"b\"", "\"a,\"\"b\"\"\"") << "\"a,\"\"b\"\"\"";
    QTest::newRow("csv plain") << inCsv("Зурко", "Зурко") << "Зурко";
}

void TestRecords::wording() {
    QFETCH(QString, shown);
    QFETCH(QString, expected);
    QCOMPARE(shown, expected);
}

void TestRecords::runsFollowThePlayOrder_data() {
    QTest::addColumn<QString>("order"); // as stored; empty: none kept
    QTest::addColumn<QString>("runs");  // Пенва's wins and matches without a loss, now/longest
    QTest::addColumn<QString>("firstRow");
    // Пенва wins his three other matches and loses at home to Лодыш (3-2 in the results table).
    const auto row = [](const char* name, const char* order, const char* runs, const char* first) {
        QTest::newRow(name) << order << runs << first;
    };
    row("no order kept: the results table's", "", "wins 0/3 unbeaten 0/3 old=1", "Зурко-Пенва");
    row("the loss played first", "2-3 1-2 3-1 3-2 2-1 1-3", "wins 3/3 unbeaten 3/3 old=0",
        "Пенва-Лодыш");
    row("the loss played in the middle", "1-2 3-1 2-3 2-1 1-3 3-2", "wins 2/2 unbeaten 2/2 old=0",
        "Зурко-Пенва");
}

void TestRecords::runsFollowThePlayOrder() {
    QFETCH(QString, order);
    QFETCH(QString, runs);
    QFETCH(QString, firstRow);
    PlayedTournament t;
    t.table = QStringLiteral("t");
    t.players = {QStringLiteral("Зурко"), QStringLiteral("Пенва"), QStringLiteral("Лодыш")};
    t.teams = {QStringLiteral("Милан"), QStringLiteral("Аякс"), QStringLiteral("Порту")};
    for (int m = 0; m < 6; ++m) {
        const int home = kMatches[m].home, away = kMatches[m].away;
        qint64 hg = 1, ag = 1; // Зурко and Лодыш draw
        if (home == 1)
            hg = 2, ag = away == 2 ? 3 : 0;
        else if (away == 1)
            hg = 0, ag = 2;
        t.matches[m] = {home, away, hg, ag, true};
    }
    t.playOrder = playOrderFromStored(order);
    QCOMPARE(t.playOrder.has_value(), !order.isEmpty());
    History h;
    h.tournaments = {t};
    const RecordsBook book = computeRecords(h);
    const PlayerRecord& p = book.players[1];
    QCOMPARE(p.player, QStringLiteral("Пенва"));
    QCOMPARE(QStringLiteral("wins %1/%2 unbeaten %3/%4 old=%5")
                 .arg(p.currentWins.length)
                 .arg(p.longestWins.length)
                 .arg(p.currentUnbeaten.length)
                 .arg(p.longestUnbeaten.length)
                 .arg(book.withoutPlayOrder),
             runs);
    // The matches table lists them in the same order.
    const TableRow first = matchesTable(h, {}).rows.first();
    QCOMPARE(std::get<QString>(first[2]) + '-' + std::get<QString>(first[4]), firstRow);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "test_records.moc"
