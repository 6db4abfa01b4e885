#include "common/errors.h"
#include "common/settings.h"
#include "testsupport.h"

using namespace kv;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void defaultFileHasTheTenLines();
    void firstReadGoesByPosition_data();
    void firstReadGoesByPosition();
    void markedValuesAreFoundAfterTheirMarkers();
    void missingMarkersStopAtTheEnd();
    void logAllFlagMustBeAWholeNumber();
    void dialogWritesTenOrNineLines();
    void everyReaderNeedsTheFile();
};

void TestSettings::defaultFileHasTheTenLines() {
    kvtest::WorkFolder folder;
    settings::writeDefault();
    QCOMPARE(folder.bytes("settings.ini"),
             QByteArray("1\r\nclubs\r\n[players]\r\nPlayer 1\r\nPlayer 2\r\nPlayer 3\r\n"
                        "[gift]\r\n1\r\n[log all teams]\r\n1\r\n"));
    QCOMPARE(settings::read().players, (QStringList{"Player 1", "Player 2", "Player 3"}));
    QCOMPARE(settings::read().gift.value(), QStringLiteral("1"));
    QCOMPARE(settings::read().logAllFlag(), 1);
}

void TestSettings::firstReadGoesByPosition_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("ask");
    QTest::addColumn<QString>("category");
    QTest::newRow("ten lines") << settings::defaultLines() << "1"
                               << "clubs";
    QTest::newRow("nine lines: no category")
        << QStringList{"0", "[players]", "A", "B", "C", "[gift]", "1", "[log all teams]", "1"}
        << "0"
        << "[players]";
    QTest::newRow("one line") << QStringList{"0"} << "0"
                              << "";
    QTest::newRow("empty file") << QStringList{} << ""
                                << "";
    QTest::newRow("blanks kept") << QStringList{" 1", "random "} << " 1"
                                 << "random ";
}

void TestSettings::firstReadGoesByPosition() {
    QFETCH(QStringList, lines);
    QFETCH(QString, ask);
    QFETCH(QString, category);
    kvtest::WorkFolder folder;
    folder.write("settings.ini", lines);
    const settings::Values read = settings::read();
    QCOMPARE(read.askFlag, ask);
    QCOMPARE(read.category, category);
}

void TestSettings::markedValuesAreFoundAfterTheirMarkers() {
    kvtest::WorkFolder folder;
    // nine lines; names with blanks and Cyrillic stay as they are
    folder.write("settings.ini", {"0", "[players]", QStringLiteral(" Зурко "), "", "O'Neil",
                                  "[gift]", "2", "[log all teams]", "0"});
    QCOMPARE(settings::read().players, (QStringList{QStringLiteral(" Зурко "), "", "O'Neil"}));
    QCOMPARE(settings::read().gift.value(), QStringLiteral("2"));
    QCOMPARE(settings::read().logAllFlag(), 0);

    folder.write("settings.ini", {"1", "clubs", "[players]", "A"}); // names cut short
    QCOMPARE(settings::read().players, (QStringList{"A", "", ""}));
}

void TestSettings::missingMarkersStopAtTheEnd() {
    kvtest::WorkFolder folder;
    folder.write("settings.ini", {"1", "clubs"});
    QCOMPARE(settings::read().players, (QStringList{"Player 1", "Player 2", "Player 3"}));
    QVERIFY(!settings::read().gift.has_value());
    QCOMPARE(settings::read().logAllFlag(), 1);
    // a marker on the last line gives an empty value, not the default
    folder.write("settings.ini", {"1", "clubs", "[gift]"});
    QCOMPARE(settings::read().gift.value(), QString());
}

void TestSettings::logAllFlagMustBeAWholeNumber() {
    kvtest::WorkFolder folder;
    folder.write("settings.ini", {"[log all teams]", "yes"});
    try {
        settings::read().logAllFlag();
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.text(), QStringLiteral("'yes' is not a valid integer value"));
    }
    folder.write("settings.ini", {"[log all teams]", "2"});
    QCOMPARE(settings::read().logAllFlag(), 2);
}

void TestSettings::dialogWritesTenOrNineLines() {
    kvtest::WorkFolder folder;
    settings::DialogValues values;
    values.askAtStart = false;
    values.category = Category::NationalTeams;
    values.names = {"A", "B", "C"};
    values.computeGifts = false;
    values.logAll = true;
    settings::writeDialogValues(values);
    QCOMPARE(folder.lines("settings.ini"), (QStringList{"0", "natteams", "[players]", "A", "B", "C",
                                                        "[gift]", "0", "[log all teams]", "1"}));
    values.category.reset();
    settings::writeDialogValues(values);
    QCOMPARE(folder.lines("settings.ini").size(), 9);
    QCOMPARE(settings::read().category, QStringLiteral("[players]"));
    QCOMPARE(settings::read().players, (QStringList{"A", "B", "C"}));
}

void TestSettings::everyReaderNeedsTheFile() {
    kvtest::WorkFolder folder;
    QVERIFY_THROWS_EXCEPTION(Error, settings::read());
    QVERIFY_THROWS_EXCEPTION(Error, settings::read().players);
    QVERIFY_THROWS_EXCEPTION(Error, settings::read().gift);
    QVERIFY_THROWS_EXCEPTION(Error, settings::read().logAllFlag());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
