// Replays the fuzzers' corpora (fuzz/corpus/<target>/) through the same target bodies, so that
// every input a fuzzer once found interesting stays checked. The workbook target fills the
// build's own table.xlsx.
#include "../../fuzz/targets.h"
#include "testsupport.h"

#include <QDirIterator>
#include <functional>

class TestFuzzReplay : public QObject {
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
};

void TestFuzzReplay::replay_data() {
    QTest::addColumn<QString>("target");
    for (const char* target : {"textfile", "settings", "standings", "workbook"})
        QTest::newRow(target) << QString::fromLatin1(target);
}

void TestFuzzReplay::replay() {
    QFETCH(QString, target);
    kvtest::WorkFolder folder;
    const auto workbook = [&](const std::uint8_t* data, std::size_t size) {
        kvfuzz::workbookFill(data, size, folder.files());
    };
    const QMap<QString, std::function<void(const std::uint8_t*, std::size_t)>> bodies{
        {"textfile", kvfuzz::textFile},
        {"settings", kvfuzz::settingsReaders},
        {"standings", kvfuzz::standings},
        {"workbook", workbook},
    };
    QDirIterator it(kvtest::sourceDir() + "fuzz/corpus/" + target, QDir::Files);
    int count = 0;
    while (it.hasNext()) {
        QFile file(it.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        bodies[target](reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size()));
        ++count;
    }
    QVERIFY2(count > 0, "empty corpus");
}

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "test_fuzz_replay.moc"
