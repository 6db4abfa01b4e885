// The gift award: when it runs, what it draws, what it stores and where a failure stops it.
#include "testsupport.h"

#include "common/dialogs.h"
#include "common/errors.h"
#include "common/random.h"
#include "history/storedprizes.h"
#include "historydb.h"
#include "tournament/gifts.h"
#include "tournament/prizeholders.h"
#include "tournament/standings.h"

#include <QFileInfo>

namespace {

QStringList settingsWithGift(const QString& flag) {
    return kvtest::Settings{.gift = flag}.lines();
}

void writeOldGifts(const kvtest::WorkFolder& folder) {
    folder.write(QStringLiteral("gift1.txt"), {QStringLiteral("C:\\old\\images\\team.bmp")});
    folder.write(QStringLiteral("gift2.txt"), {QStringLiteral("C:\\old\\images\\travma.bmp")});
}

struct Award {
    kvtest::StrictDialogs dialogs;
    QList<kv::PrizePlace> shown;
    bool uncovered = false;
    std::optional<kv::PrizePlace> failAt;

    bool run(kv::Random& random) {
        return kv::awardGifts(
            random, dialogs, kvtest::programFiles(),
            [&](kv::PrizePlace place, const QString& path) {
                if (failAt == place)
                    throw kv::cannotOpen(path, QStringLiteral("No such file or directory"));
                shown.append(place);
            },
            [&] { uncovered = true; });
    }
};

} // namespace

class TestGifts : public QObject {
    Q_OBJECT
private slots:
    void everyGiftHasItsPicture();
    void flag_data();
    void flag();
    void missingSettingsFileIsReported();
    void distribution();
    void awardsStoreOnlyPlaceGifts();
    void missingPicture_data();
    void missingPicture();
    void storedPathFindsThePicture_data();
    void storedPathFindsThePicture();
    void sharedPlacesShareThePrize_data();
    void sharedPlacesShareThePrize();
};

void TestGifts::everyGiftHasItsPicture() {
    kvtest::WorkFolder folder;
    const QStringList paths = kv::giftPaths(kvtest::programFiles());
    QCOMPARE(paths.size(), 7);
    for (const QString& path : paths) {
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        QVERIFY(path.startsWith(kvtest::buildProgramDir() + QStringLiteral("images/")));
    }
    QCOMPARE(QFileInfo(paths[0]).fileName(), QStringLiteral("unteam.bmp"));
    QCOMPARE(kv::giftsWindowOrder().size(), 7);
}

void TestGifts::flag_data() {
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<bool>("awarded");
    QTest::newRow("1") << settingsWithGift("1") << true;
    QTest::newRow("0") << settingsWithGift("0") << false;
    QTest::newRow("2") << settingsWithGift("2") << false;
    QTest::newRow("blank before") << settingsWithGift(" 1") << false;
    QTest::newRow("blank after") << settingsWithGift("1 ") << false;
    QTest::newRow("empty") << settingsWithGift("") << false;
    QTest::newRow("no [gift] line")
        << QStringList{"0", "clubs", "[players]", "A", "B", "C"} << false;
    QTest::newRow("[gift] is the last line") << QStringList{"1", "clubs", "[gift]"} << false;
    QTest::newRow("nine-line file")
        << QStringList{"0", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"}
        << true;
}

void TestGifts::flag() {
    QFETCH(QStringList, settings);
    QFETCH(bool, awarded);
    kvtest::WorkFolder folder;
    folder.write(QStringLiteral("settings.ini"), settings);
    writeOldGifts(folder);
    const QByteArray gift1 = folder.bytes(QStringLiteral("gift1.txt"));
    const QByteArray gift2 = folder.bytes(QStringLiteral("gift2.txt"));
    kv::Random random(3);
    Award award;

    QCOMPARE(award.run(random), awarded);
    QCOMPARE(award.uncovered, awarded);
    if (awarded) {
        QCOMPARE(award.dialogs.texts(kv::ScriptedDialogs::Kind::Information),
                 QStringList{kv::kGiftsAwardedMessage});
        QCOMPARE(award.shown, (QList<kv::PrizePlace>{kv::PrizePlace::First, kv::PrizePlace::Second,
                                                     kv::PrizePlace::BestScorer}));
        QVERIFY(folder.bytes(QStringLiteral("gift1.txt")) != gift1);
    } else {
        QVERIFY(award.dialogs.shown().isEmpty());
        QVERIFY(award.shown.isEmpty());
        QCOMPARE(folder.bytes(QStringLiteral("gift1.txt")), gift1);
        QCOMPARE(folder.bytes(QStringLiteral("gift2.txt")), gift2);
    }
}

void TestGifts::missingSettingsFileIsReported() {
    kvtest::WorkFolder folder;
    writeOldGifts(folder);
    kv::Random random(3);
    Award award;
    QVERIFY_THROWS_EXCEPTION(kv::Error, award.run(random));
    QVERIFY(award.shown.isEmpty());
    QVERIFY(!award.uncovered);
}

void TestGifts::distribution() {
    kvtest::WorkFolder folder;
    const QStringList paths = kv::giftPaths(kvtest::programFiles());
    kv::Random random(20240309);
    QMap<QString, int> first, second;
    int same = 0;
    const int n = 30000;
    for (int i = 0; i < n; ++i) {
        const QString p1 = kv::drawFirstPlaceGift(random, kvtest::programFiles());
        const QString p2 = kv::drawSecondPlaceGift(random, kvtest::programFiles());
        ++first[p1];
        ++second[p2];
        same += p1 == p2;
    }
    // First place: award indexes 2..6, each about 1/5; second: 5..7, each about 1/3.
    QStringList firstGifts = paths.mid(1, 5);
    QStringList secondGifts = paths.mid(4, 3);
    firstGifts.sort();
    secondGifts.sort();
    QCOMPARE(QStringList(first.keys()), firstGifts);
    QCOMPARE(QStringList(second.keys()), secondGifts);
    for (int count : first)
        QVERIFY2(qAbs(count - n / 5) < n / 5 / 20, qPrintable(QString::number(count)));
    for (int count : second)
        QVERIFY2(qAbs(count - n / 3) < n / 3 / 20, qPrintable(QString::number(count)));
    // Both places the same gift: about 2/15.
    QVERIFY2(qAbs(same - n * 2 / 15) < n * 2 / 15 / 10, qPrintable(QString::number(same)));
}

void TestGifts::awardsStoreOnlyPlaceGifts() {
    kvtest::WorkFolder folder;
    folder.write(QStringLiteral("settings.ini"), settingsWithGift("1"));
    const QStringList paths = kv::giftPaths(kvtest::programFiles());
    kv::Random random(11);
    QSet<QString> seen1, seen2;
    for (int i = 0; i < 60; ++i) {
        Award award;
        QVERIFY(award.run(random));
        const QByteArray g1 = folder.bytes(QStringLiteral("gift1.txt"));
        const QByteArray g2 = folder.bytes(QStringLiteral("gift2.txt"));
        // One path per file, a line of its own.
        QVERIFY(g1.endsWith("\r\n") && g1.count('\n') == 1);
        QVERIFY(g2.endsWith("\r\n") && g2.count('\n') == 1);
        seen1.insert(QString::fromUtf8(g1.chopped(2)));
        seen2.insert(QString::fromUtf8(g2.chopped(2)));
    }
    QVERIFY(!seen1.contains(paths[0]) && !seen2.contains(paths[0])); // never unteam.bmp
    QVERIFY(!seen2.contains(paths[2]));                              // never team.bmp second
    QVERIFY(seen1.size() >= 4 && seen2.size() == 3);
    QVERIFY((seen1 | seen2).size() <= 6);
}

void TestGifts::missingPicture_data() {
    QTest::addColumn<int>("place");
    QTest::addColumn<bool>("gift1Written");
    QTest::addColumn<bool>("gift2Written");
    QTest::newRow("first place") << int(kv::PrizePlace::First) << false << false;
    QTest::newRow("second place") << int(kv::PrizePlace::Second) << true << false;
    QTest::newRow("best scorer") << int(kv::PrizePlace::BestScorer) << true << true;
}

void TestGifts::missingPicture() {
    QFETCH(int, place);
    QFETCH(bool, gift1Written);
    QFETCH(bool, gift2Written);
    kvtest::WorkFolder folder;
    folder.write(QStringLiteral("settings.ini"), settingsWithGift("1"));
    writeOldGifts(folder);
    const QByteArray gift1 = folder.bytes(QStringLiteral("gift1.txt"));
    const QByteArray gift2 = folder.bytes(QStringLiteral("gift2.txt"));
    kv::Random random(5);
    Award award;
    award.failAt = kv::PrizePlace(place);

    QVERIFY_THROWS_EXCEPTION(kv::Error, award.run(random));
    QCOMPARE(folder.bytes(QStringLiteral("gift1.txt")) != gift1, gift1Written);
    QCOMPARE(folder.bytes(QStringLiteral("gift2.txt")) != gift2, gift2Written);
    QVERIFY(award.dialogs.shown().isEmpty());
    QVERIFY(!award.uncovered);
}

void TestGifts::storedPathFindsThePicture_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("picture"); // "own:<file>" is the program's own picture
    QTest::newRow("the program's own path") << "own:travma.bmp"
                                            << "own:travma.bmp";
    QTest::newRow("old Windows folder") << "C:\\Games\\KV\\images\\Team.bmp"
                                        << "own:team.bmp";
    QTest::newRow("moved program folder") << "/gone/kickvale/images/redcard.bmp"
                                          << "own:redcard.bmp";
    QTest::newRow("unknown picture keeps its path") << "/gone/images/ball.bmp"
                                                    << "/gone/images/ball.bmp";
    QTest::newRow("existing file elsewhere") << "here.bmp"
                                             << "here.bmp";
}

void TestGifts::storedPathFindsThePicture() {
    kvtest::WorkFolder folder;
    folder.writeBytes(QStringLiteral("here.bmp"), "BM");
    const auto resolve = [&](QString path) {
        if (path.startsWith(QLatin1String("own:")))
            return kvtest::imagePath(path.mid(4));
        return path == QLatin1String("here.bmp") ? folder.path(path) : path;
    };
    QFETCH(QString, stored);
    QFETCH(QString, picture);
    QCOMPARE(kv::giftPicture(resolve(stored), kvtest::programFiles()), resolve(picture));
}

void TestGifts::sharedPlacesShareThePrize_data() {
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    const QStringList draws(12, QStringLiteral("0"));
    QStringList shareFirst = draws, shareSecond = draws, circle = draws;
    shareFirst[8] = shareFirst[10] = QStringLiteral("1");
    shareSecond[0] = shareSecond[8] = QStringLiteral("1");
    circle[0] = QStringLiteral("2");
    circle[4] = circle[10] = QStringLiteral("1");
    const QStringList& n = kvtest::kPlayers;
    QTest::newRow("all level: all first, nobody second")
        << draws << n.join(QStringLiteral(", ")) << "никто (первое место поделили)";
    QTest::newRow("two first") << shareFirst << n[0] + ", " + n[1]
                               << "никто (первое место поделили)";
    QTest::newRow("two second") << shareSecond << n[0] << n[1] + ", " + n[2];
    QTest::newRow("level on points, one first") << circle << n[0] << n[2];
}

void TestGifts::sharedPlacesShareThePrize() {
    QFETCH(QStringList, boxes);
    QFETCH(QString, first);
    QFETCH(QString, second);
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    const QStringList teams{"Милан", "Аякс", "Порту"};
    kv::writePrizeEvening({kvtest::kPlayers, teams}, QDate(2026, 12, 9));
    kv::HistoryStore history;
    history.writeTournament(
        QStringLiteral("09_12_2026__21_05_33"),
        kv::tournamentEntry(kvtest::kPlayers, teams, {boxes, kv::computeStandings(boxes)}));
    const kv::PrizeHolders holders = kv::findPrizeHolders(history);
    QCOMPARE(holders.shownHolder(1), first);
    QCOMPARE(holders.shownHolder(2), second);
}

QTEST_GUILESS_MAIN(TestGifts)
#include "test_gifts.moc"
