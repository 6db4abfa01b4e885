// The real spreadsheet: the filled copy of table.xlsx as an independent reader sees it, the
// template left alone, and each step failing where it should.
#include "testsupport.h"
#include "workbookreader.h"

#include "common/errors.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/textfile.h"
#include "tournament/gui_xlsxspreadsheet.h"
#include "tournament/tournamentpress.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QJsonArray>

namespace {

QByteArray templateBytes() {
    QFile file(kvtest::programFiles().sheetTemplate());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

kv::Tournament sampleInput() {
    return {{QStringLiteral("Зурко"), QStringLiteral(" Пенва "), QStringLiteral("Ло\x01дыш")},
            {QStringLiteral("Реал Мадрид"), QString(), QStringLiteral("Ajax & <Co>")},
            {QStringLiteral("Реал Мадрид"), QString(), QString(), QStringLiteral("Ajax & <Co>"),
             QStringLiteral("Ajax & <Co>"), QStringLiteral("Реал Мадрид")}};
}

kv::PreviousPrizes samplePrizes() {
    return {kvtest::imagePath(QStringLiteral("team.bmp")),
            kvtest::imagePath(QStringLiteral("yellowcard.bmp")), QStringLiteral("Пенва")};
}

const QStringList kCells = {"A2", "A3", "A4", "B2", "B3",  "B4",  "B7", "C7",
                            "B8", "C8", "B9", "C9", "D15", "B11", "A7"};

} // namespace

class TestXlsxSpreadsheet : public QObject {
    Q_OBJECT
private slots:
    void filledWorkbookReadsBack();
    void eachPressShowsItsOwnFile();
    void failingStep_data();
    void failingStep();
    void picturesTakenAsPng_data();
    void picturesTakenAsPng();
};

void TestXlsxSpreadsheet::filledWorkbookReadsBack() {
    kvtest::WorkFolder folder;
    const QByteArray before = templateBytes();
    QVERIFY(!before.isEmpty());
    kv::RecordingOpener opener;
    kv::XlsxSpreadsheetFactory factory(opener, folder.path(QStringLiteral("out")));

    kv::fillTournamentSheet(factory, sampleInput(), samplePrizes(), folder.files());

    QCOMPARE(templateBytes(), before);
    QCOMPARE(opener.opened.size(), 1);
    const QString shown = opener.opened[0].toLocalFile();
    QVERIFY(shown.startsWith(folder.path(QStringLiteral("out/Турнир-"))));
    QVERIFY(shown.endsWith(QLatin1String(".xlsx")));
    // The players' names are nobody else's business.
    QCOMPARE(QFile::permissions(folder.path(QStringLiteral("out"))).toInt() & 0x0077, 0);

    const QJsonObject book = readWorkbookIndependently(shown, kCells);
    QVERIFY2(!book.isEmpty(), "openpyxl could not read the workbook");
    const QJsonObject values = book["values"].toObject();
    QCOMPARE(values["A2"].toString(), QStringLiteral("Зурко"));
    QCOMPARE(values["A3"].toString(), QStringLiteral(" Пенва "));
    QCOMPARE(values["A4"].toString(), QStringLiteral("Лодыш")); // control character dropped
    QCOMPARE(values["B2"].toString(), QStringLiteral("Реал Мадрид"));
    QVERIFY(values["B3"].isNull()); // an empty team is an empty cell
    QCOMPARE(values["B4"].toString(), QStringLiteral("Ajax & <Co>"));
    QCOMPARE(values["B7"].toString(), QStringLiteral("Реал Мадрид"));
    QVERIFY(values["C7"].isNull());
    QVERIFY(values["B8"].isNull());
    QCOMPARE(values["C8"].toString(), QStringLiteral("Ajax & <Co>"));
    QCOMPARE(values["B9"].toString(), QStringLiteral("Ajax & <Co>"));
    QCOMPARE(values["C9"].toString(), QStringLiteral("Реал Мадрид"));
    QCOMPARE(values["D15"].toString(), QStringLiteral("Пенва"));
    // The template's own content and the cells' styles stay.
    QCOMPARE(values["B11"].toString(), QStringLiteral("=\"\"&C7"));
    QCOMPARE(values["A7"].toString(), QStringLiteral("Матч 1"));
    const QJsonObject borders = book["borders"].toObject();
    for (const char* cell : {"A2", "B3", "C9", "D15"})
        QCOMPARE(borders[QLatin1String(cell)].toString(), QStringLiteral("thin"));

    const QJsonArray images = book["images"].toArray();
    QCOMPARE(images.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QJsonObject image = images[i].toObject();
        QCOMPARE(image["kind"].toString(), QStringLiteral("OneCellAnchor"));
        QCOMPARE(image["col"].toInt(), 1 + i); // B, C
        QCOMPARE(image["row"].toInt(), 14);    // row 15
        QCOMPARE(image["cx"].toInteger(), 64 * 9525);
        QCOMPARE(image["cy"].toInteger(), 64 * 9525);
        QVERIFY(image["png"].toBool());
    }
    if (!book["loaded"].isNull()) // openpyxl with Pillow decodes the pictures too
        QCOMPARE(book["loaded"].toArray(),
                 QJsonArray({QJsonArray{1, 14, 64, 64}, QJsonArray{2, 14, 64, 64}}));
}

void TestXlsxSpreadsheet::eachPressShowsItsOwnFile() {
    kvtest::WorkFolder folder;
    kv::RecordingOpener opener;
    kv::XlsxSpreadsheetFactory factory(opener, folder.path(QStringLiteral("out")));
    kv::PreviousPrizes prizes = samplePrizes();
    kv::fillTournamentSheet(factory, sampleInput(), prizes, folder.files());
    prizes.bestScorer = QStringLiteral("Лодыш");
    kv::fillTournamentSheet(factory, sampleInput(), prizes, folder.files());

    QCOMPARE(opener.opened.size(), 2);
    QVERIFY(opener.opened[0] != opener.opened[1]);
    const QJsonObject first = readWorkbookIndependently(opener.opened[0].toLocalFile(), {"D15"});
    const QJsonObject second = readWorkbookIndependently(opener.opened[1].toLocalFile(), {"D15"});
    QCOMPARE(first["values"].toObject()["D15"].toString(), QStringLiteral("Пенва"));
    QCOMPARE(second["values"].toObject()["D15"].toString(), QStringLiteral("Лодыш"));
    QCOMPARE(second["images"].toArray().size(), 2);
}

void TestXlsxSpreadsheet::failingStep_data() {
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("firstGift");
    QTest::addColumn<QString>("secondGift");
    QTest::addColumn<bool>("openerWorks");
    QTest::addColumn<QString>("errorNames"); // what the error text must name
    QTest::addColumn<bool>("fileShown");

    const QString program = kvtest::buildProgramDir();
    const QString table = kvtest::programFiles().sheetTemplate();
    const QString team = kvtest::imagePath(QStringLiteral("team.bmp"));
    const QString travma = kvtest::imagePath(QStringLiteral("travma.bmp"));
    const QString gone = kvtest::imagePath(QStringLiteral("nosuch.bmp"));
    const QString missing = program + QStringLiteral("missing/");
    QTest::newRow("template missing")
        << missing << team << travma << true << missing + "table.xlsx" << false;
    QTest::newRow("first picture missing") << program << gone << travma << true << gone << false;
    QTest::newRow("second picture missing") << program << team << gone << true << gone << false;
    QTest::newRow("not a picture") << program << table << travma << true << table << false;
    // Not a failure: the press goes on with the program's own sheet, and the file stays.
    QTest::newRow("no application for xlsx") << program << team << travma << false << "" << true;
}

void TestXlsxSpreadsheet::failingStep() {
    QFETCH(QString, programDir);
    QFETCH(QString, firstGift);
    QFETCH(QString, secondGift);
    QFETCH(bool, openerWorks);
    QFETCH(QString, errorNames);
    QFETCH(bool, fileShown);

    kvtest::WorkFolder folder;
    const QByteArray before = templateBytes();
    kv::RecordingOpener opener;
    opener.result = openerWorks;
    kv::XlsxSpreadsheetFactory factory(opener, folder.path(QStringLiteral("out")));
    QString error;
    QStringList answers;
    try {
        kv::fillTournamentSheet(factory, sampleInput(),
                                {firstGift, secondGift, QStringLiteral("x")},
                                kv::ProgramFiles(programDir), [&](bool shown, const QString& file) {
                                    answers << QStringLiteral("%1 %2").arg(shown).arg(file);
                                });
    } catch (const kv::Error& e) {
        error = e.text();
    }
    QVERIFY2(errorNames.isEmpty() ? error.isEmpty() : error.contains(errorNames),
             qPrintable(error));
    QCOMPARE(opener.opened.size(), fileShown ? 1 : 0);
    // A failed fill leaves nothing behind; the template is untouched.
    const QStringList left = QDir(folder.path(QStringLiteral("out"))).entryList(QDir::Files);
    QCOMPARE(left.size(), fileShown ? 1 : 0);
    if (fileShown)
        QCOMPARE(answers, QStringList{"0 " + opener.opened[0].toLocalFile()});
    QCOMPARE(templateBytes(), before);
}

void TestXlsxSpreadsheet::picturesTakenAsPng_data() {
    QTest::addColumn<QString>("beside"); // the PNG beside the bitmap: none, newer, older
    QTest::newRow("the program's own, kept as PNG too") << "newer";
    QTest::newRow("no PNG beside it") << "none";
    QTest::newRow("the PNG is older than the bitmap") << "older";
}

// A picture goes into the sheet as PNG of the bitmap's pixels, whether it is converted or taken
// from the PNG the program keeps beside its own bitmaps.
void TestXlsxSpreadsheet::picturesTakenAsPng() {
    QFETCH(QString, beside);
    kvtest::WorkFolder work;
    const QString bmp = work.path(QStringLiteral("team.bmp"));
    QVERIFY(QFile::copy(kvtest::imagePath(QStringLiteral("team.bmp")), bmp));
    QFile png(work.path(QStringLiteral("team.png")));
    if (beside != QLatin1String("none")) {
        QVERIFY(QFile::copy(kvtest::imagePath(QStringLiteral("team.png")), png.fileName()));
        QVERIFY(png.open(QIODevice::ReadWrite));
        const QDateTime bitmapTime = QFileInfo(bmp).lastModified();
        QVERIFY(png.setFileTime(bitmapTime.addSecs(beside == QLatin1String("older") ? -60 : 60),
                                QFileDevice::FileModificationTime));
        png.close();
    }
    QSize size;
    const QByteArray bytes = kv::pictureAsPng(bmp, &size);
    QCOMPARE(size, QSize(64, 64));
    QImage fromPng;
    QVERIFY(fromPng.loadFromData(bytes, "PNG"));
    QCOMPARE(fromPng.convertToFormat(QImage::Format_RGB32),
             QImage(bmp).convertToFormat(QImage::Format_RGB32));
    if (beside == QLatin1String("newer"))
        QCOMPARE(bytes, kv::readBytes(png.fileName()));
}

QTEST_MAIN(TestXlsxSpreadsheet)
#include "test_xlsxspreadsheet_gui.moc"
