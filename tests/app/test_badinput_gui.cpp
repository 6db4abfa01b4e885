// What a new user may type or keep in the data folder: odd names, pool files in any encoding,
// damaged files, scores that are not numbers. Everything goes through the real windows, and is
// either stored and shown exactly as given or refused with the program's own message.
#include "../results/resultswindow.h"
#include "programfixture.h"
#include "testsupport.h"

#include "../results/resultswindow.h"
#include "app/tform1.h"
#include "app/tform6.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "common/textfile.h"
#include "historydb.h"
#include "pools/tform2.h"
#include "results/tform9.h"
#include "tournament/spreadsheet.h"
#include "tournament/tform5.h"

#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>

#include <memory>

using kvtest::child;

namespace {

const QStringList kOtherPools{"teams4.txt",     "teams45.txt",   "natteams4.txt",
                              "natteams45.txt", "natteams5.txt", "superteams.txt"};

// A folder where the draw can only pick from teams5.txt: the other pools hold two teams each,
// too few for a tournament.
struct Program : kvtest::ProgramFixture {
    Program(const QStringList& teams5, const QStringList& players)
        : ProgramFixture(5, QDateTime(QDate(2024, 3, 9), QTime(20, 15, 7))) {
        folder.write("teams5.txt", teams5);
        for (const QString& pool : kOtherPools)
            folder.write(pool, {"Занято 1", "Занято 2"});
        folder.write("bomb.txt", {"Никто"});
        folder.writeStartData({.players = players});
        folder.write("all_last.txt", {});
        kvtest::createBaseDb();
    }
    void openWindows() { open(); }
    QStringList teams() const {
        return {form1->Edit1->text(), form1->Edit2->text(), form1->Edit3->text()};
    }
};

QStringList column(QSqlQuery query) {
    QStringList values;
    while (query.next())
        values.append(query.value(0).toString());
    return values;
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void oddNamesTravelUnchanged_data();
    void oddNamesTravelUnchanged();
    void poolFileInAnyEncoding_data();
    void poolFileInAnyEncoding();
    void damagedDataFiles_data();
    void damagedDataFiles();
    void scoreBoxes_data();
    void scoreBoxes();
};

void TestBadInput::oddNamesTravelUnchanged_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("apostrophe") << QStringLiteral("O'Neill's XI");
    QTest::newRow("quotes") << QStringLiteral("\"Спартак\" 'Москва'");
    QTest::newRow("markup") << QStringLiteral("<b>Ajax</b> & <i>Co</i> &amp;");
    QTest::newRow("sql") << QStringLiteral("x'); DROP TABLE Total; --");
    QTest::newRow("emoji") << QStringLiteral("⚽ Дружба 🙂👍🏽");
    QTest::newRow("cyrillic") << QStringLiteral("Ёлки-Палки ЩЪЫ");
    QTest::newRow("blanks around") << QStringLiteral("  Roma  ");
    QTest::newRow("tab and separators") << QStringLiteral("a\tb|c;d,e");
    QTest::newRow("10000 characters") << QString(QStringLiteral("Длинное имя 🙂 "))
                                             .repeated(10000 / 14 + 1)
                                             .left(10000);
}

// The same text is a team in a pool and a player's name: the start-up lists it, the draw picks
// it, the schedule logs it, the full table writes last.txt and the sheet, the results window
// stores it, the grid shows it and the best scorer's file keeps it, all byte for byte.
void TestBadInput::oddNamesTravelUnchanged() {
    QFETCH(QString, name);
    const QStringList pool{name, "Ajax", "Roma"};
    const QStringList players{name, "Пенва", "Лодыш"};
    Program p(pool, players);
    p.openWindows();
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join(" | ")));

    // Start-up: the candidate list and the choice boxes, the player's name.
    QCOMPARE(p.folder.lines("temp"), pool);
    QCOMPARE(sorted(kvtest::comboItems(p.form1->ComboBox5)), sorted(pool));
    QCOMPARE(p.form1->Label16->text(), name);

    // The draw and the schedule.
    p.form1->Button2->click();
    QCOMPARE(sorted(p.teams()), sorted(pool));
    p.form1->Button1->click();
    QCOMPARE(p.folder.lines("all_last.txt"), p.teams());

    // The full table.
    p.form1->BitBtn1->click();
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join(" | ")));
    QCOMPARE(p.folder.lines("last.txt"), p.teams() + QStringList{p.clock.shortDate()});
    QVERIFY(p.sheets.calls.contains("set a2=" + name));
    QVERIFY(p.sheets.calls.contains("set b" + QString::number(2 + p.teams().indexOf(name)) + "=" +
                                    name));
    QCOMPARE(p.form9->Label29->text(), name);

    // Results: computed, stored, shown.
    const QStringList scores{"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"};
    for (int i = 0; i < 12; ++i)
        child<QLineEdit>(p.form9, QStringLiteral("Edit%1").arg(i + 1))->setText(scores[i]);
    p.form9->Button1->click();
    p.dialogs.queue(kv::Dialogs::Answer::Yes); // the best scorer is chosen below
    p.form9->BitBtn1->click();
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join(" | ")));
    const QSqlDatabase db = kvtest::connectionOf(p.form9->database());
    const QString table = QStringLiteral("09_03_2024__20_15_07");
    QCOMPARE(
        column(QSqlQuery(QStringLiteral("SELECT Player FROM \"%1\" ORDER BY id").arg(table), db)),
        players);
    QCOMPARE(
        column(QSqlQuery(QStringLiteral("SELECT \"-\" FROM \"%1\" ORDER BY id").arg(table), db)),
        p.teams());
    QCOMPARE(column(QSqlQuery("SELECT Игрок FROM Total ORDER BY id", db)), players);
    QCOMPARE(kvtest::gridColumn(*p.form9, "Игрок"), players);
    QCOMPARE(kvtest::listedItems(p.form9->ListBox1, table).size(), 1);
    kvtest::choose(*p.form9, table);
    QCOMPARE(kvtest::gridColumn(*p.form9, "Player"), players);

    // The best scorer, and his mark at the next start.
    QCOMPARE(p.form9->Button3->text(), name);
    p.form9->Button3->click();
    QCOMPARE(p.folder.lines("bomb.txt"), QStringList{name});
    kv::EveningOwner nextRun;
    TForm1 next(p.services, p.state, nextRun);
    QVERIFY(!next.Image2->isHidden());
    QVERIFY(next.Image5->isHidden());
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join(" | ")));

    // The settings dialog keeps the name as typed (two players swap names: no name twice).
    p.form1->N8Click();
    p.form6->Edit1->setText(QStringLiteral("Пенва"));
    p.form6->Edit2->setText(name);
    p.dialogs.queue(kv::Dialogs::Answer::No); // the new names start afresh in the history
    p.form6->BitBtn1->click();
    QCOMPARE(p.form1->Label17->text(), name);
    kv::EveningOwner runAfter;
    TForm1 again(p.services, p.state, runAfter);
    QCOMPARE(again.Label17->text(), name);
}

void TestBadInput::poolFileInAnyEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("teams"); // what the program must read
    const QStringList t{"Зенит", "Crvena zvezda", "Спартак", "Ференцварош"};
    const QString crlf = t.join("\r\n") + "\r\n";
    QStringEncoder cp1251("windows-1251");
    QVERIFY(cp1251.isValid());
    QTest::newRow("windows-1251") << QByteArray(cp1251.encode(crlf)) << t;
    QTest::newRow("utf-8") << crlf.toUtf8() << t;
    QTest::newRow("utf-8 with mark") << kv::encodeText(crlf, kv::TextEncoding::Utf8Bom) << t;
    QTest::newRow("utf-16 le") << kv::encodeText(crlf, kv::TextEncoding::Utf16LE) << t;
    QTest::newRow("utf-16 be") << kv::encodeText(crlf, kv::TextEncoding::Utf16BE) << t;
    QTest::newRow("utf-8, LF only, no final break") << t.join("\n").toUtf8() << t;
    QTest::newRow("utf-16 le, CR only")
        << kv::encodeText(t.join("\r"), kv::TextEncoding::Utf16LE) << t;
    QTest::newRow("control characters")
        << QByteArray("Aj\0ax\r\nRo\x01ma\x7f\r\nBa\x1bri\x0c\r\n", 23)
        << QStringList{QString::fromLatin1("Aj\0ax", 5), "Ro\x01ma\x7f", "Ba\x1bri\x0c"};
    QTest::newRow("blank lines") << QByteArray("\r\n\r\nAjax\r\n\r\nRoma\r\nBari\r\n")
                                 << QStringList{"", "", "Ajax", "", "Roma", "Bari"};
}

// A pool file as a user may have saved it: the start-up reads it and writes "temp" in UTF-8,
// the draw picks from it without hanging, and the pools editor opens it and saves it unchanged.
void TestBadInput::poolFileInAnyEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, teams);
    Program p({}, {"A", "B", "C"});
    p.folder.writeBytes("teams5.txt", bytes);
    p.openWindows();
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join(" | ")));
    QCOMPARE(p.state.currentPool, QStringLiteral("teams5.txt"));
    QCOMPARE(p.folder.lines("temp"), teams);
    QCOMPARE(p.folder.bytes("temp"), (teams.join("\r\n") + "\r\n").toUtf8());

    p.form1->Button2->click();
    const QStringList drawn = p.teams();
    for (const QString& team : drawn)
        QVERIFY2(teams.contains(team), qPrintable(team));

    // Edit and OK without a change: the same teams, in the same encoding where it was not the
    // old 8-bit one.
    p.form2->openFromMenu();
    QCOMPARE(p.form2->Label1->text(), QStringLiteral("(%1)").arg(teams.size()));
    p.form2->Button1->click();
    p.form2->BitBtn1->click();
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join(" | ")));
    QCOMPARE(kv::readLines(p.folder.path("teams5.txt")), teams);
    const kv::TextEncoding was = kv::decodeText(bytes).encoding;
    const kv::TextEncoding now = kv::decodeText(p.folder.bytes("teams5.txt")).encoding;
    QCOMPARE(int(now), int(was == kv::TextEncoding::Windows1251 ? kv::TextEncoding::Plain : was));
    if (bytes.endsWith('\n') && was != kv::TextEncoding::Windows1251)
        QCOMPARE(p.folder.bytes("teams5.txt"), bytes);
}

void TestBadInput::damagedDataFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QRandomGenerator random(8);
    QByteArray binary(4096, '\0');
    for (char& c : binary)
        c = char(random.bounded(256));
    binary[10] = '\0';
    binary[11] = '\0';
    const QStringList files{"settings.ini", "teams5.txt", "all_last.txt", "last.txt",
                            "gift1.txt",    "bomb.txt",   "base.db"};
    for (const QString& f : files) {
        QTest::addRow("%s empty", qPrintable(f)) << f << QByteArray();
        QTest::addRow("%s binary", qPrintable(f)) << f << binary;
    }
}

// A damaged or empty data file: the program starts, shows what it could not use, and the file
// itself stays as it was (only the log is emptied by its own rules, and "temp" rewritten).
// The tournament then goes as far as the file allows without a crash or a hang.
void TestBadInput::damagedDataFiles() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    Program p({"Ajax", "Roma", "Bari", "Inter"}, {"A", "B", "C"});
    p.folder.writeBytes(file, bytes);
    p.openWindows();
    if (file != "all_last.txt")
        QCOMPARE(p.folder.bytes(file), bytes);

    p.form1->Button2->click();
    p.form1->Button1->click();
    p.form1->BitBtn1->click();
    for (int i = 1; i <= 12; ++i)
        child<QLineEdit>(p.form9, QStringLiteral("Edit%1").arg(i))->setText("1");
    p.form9->Button1->click();
    p.dialogs.queue(kv::Dialogs::Answer::Yes);
    p.form9->BitBtn1->click();
    if (file == "base.db" && !bytes.isEmpty()) {
        // Not a database: refused, never replaced.
        QVERIFY(!p.dialogs.errors().isEmpty());
        QCOMPARE(p.folder.bytes(file), bytes);
    }
    for (const QString& error : p.dialogs.errors())
        QVERIFY2(!error.trimmed().isEmpty(), "an error without a text");
}

void TestBadInput::scoreBoxes_data() {
    QTest::addColumn<QString>("box"); // Edit1; every other box holds "1"
    QTest::addColumn<bool>("valid");
    QTest::newRow("number") << "3" << true;
    QTest::newRow("leading blanks") << "  3" << true;
    QTest::newRow("plus") << "+3" << true;
    QTest::newRow("biggest") << "2147483647" << true;
    QTest::newRow("smallest") << "-2147483648" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blank") << " " << false;
    QTest::newRow("trailing blank") << "3 " << false;
    QTest::newRow("letters") << "три" << false;
    QTest::newRow("hex") << "0x10" << false;
    QTest::newRow("exponent") << "1e3" << false;
    QTest::newRow("too big") << "2147483648" << false;
    QTest::newRow("huge") << QString(400, '9') << false;
    QTest::newRow("other digits") << "٣" << false;
    QTest::newRow("full-width") << "３" << false;
    QTest::newRow("emoji") << "3️⃣" << false;
    QTest::newRow("nul") << QString(QChar(0)) + "3" << false;
}

// A score box is a whole number or the program says it is not, and the results are stored only
// when computed: what is stored equals what the window shows.
void TestBadInput::scoreBoxes() {
    QFETCH(QString, box);
    QFETCH(bool, valid);
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    kvtest::Fakes fakes(1, QDateTime(QDate(2024, 3, 9), QTime(20, 15, 7)));
    kv::ScriptedDialogs& dialogs = fakes.dialogs;
    kv::HistoryStore database;
    TForm9 form(fakes.services, database);
    form.showTournament({{"P0", "P1", "P2"}, {"T0", "T1", "T2"}, {}});
    form.Button6->click();
    form.Edit1->setText(box);
    for (int i = 2; i <= 12; ++i)
        child<QLineEdit>(&form, QStringLiteral("Edit%1").arg(i))->setText("1");
    form.Button1->click();
    if (!valid) {
        QCOMPARE(dialogs.errors(),
                 QStringList{QStringLiteral("'%1' is not a valid integer value").arg(box)});
        QVERIFY(!form.BitBtn1->isEnabled());
        QCOMPARE(kvtest::sqliteRows("SELECT count(*) FROM Total"), QStringList{"0"});
        return;
    }
    QVERIFY(dialogs.errors().isEmpty());
    form.BitBtn1->click();
    QVERIFY2(dialogs.errors().isEmpty(), qPrintable(dialogs.errors().join(" | ")));
    const QStringList shown{form.Label15->text(), form.Label16->text(), form.Label18->text(),
                            form.Label19->text()};
    QCOMPARE(kvtest::sqliteRows("SELECT Забито, Пропущено, Разница, Очки FROM Total WHERE "
                                "Игрок='P0'"),
             QStringList{shown.join('|')});
    QCOMPARE(form.Label15->text(), QString::number(qint64(box.trimmed().toInt()) + 3));
}

QTEST_MAIN(TestBadInput)
#include "test_badinput_gui.moc"
