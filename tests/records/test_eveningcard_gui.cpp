// The evening's card: what it draws for the sample evening, hostile names drawn as text and
// shortened, the clipboard, and where its picture is saved.
#include "../results/resultswindow.h"
#include "common/savepath.h"
#include "records/gui_eveningcard.h"
#include "recordshistory.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace kv;

namespace {

struct CardOnScreen : kvtest::Fakes {
    CardOnScreen() {
        kvtest::writeSampleHistory();
        window = std::make_unique<EveningCardWindow>(store, dialogs,
                                                     [] { return LevelOf(kvtest::sampleLevelOf); });
        window->show();
    }
    void open(const QString& table) {
        window->showTournament(table);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isComputing(), 30000);
    }
    QPushButton* button(const char* name) const {
        return kvtest::child<QPushButton>(window.get(), QString::fromLatin1(name));
    }
    kvtest::WorkFolder folder;
    HistoryStore store;
    std::unique_ptr<EveningCardWindow> window;
};

// An evening of three players whose names are all `name`'s kind.
EveningSummary summaryOf(const QString& player, const QString& club) {
    EveningSummary s;
    s.date = QStringLiteral("03.03.2024");
    for (int place = 1; place <= 3; ++place)
        s.table3.append({place == 1 ? player : QStringLiteral("Пенва"), club,
                         QStringLiteral("Другие"), place, 3, 1, 1});
    for (int m = 0; m < 6; ++m)
        s.scores.append({player, QStringLiteral("Лодыш"), 1, 0});
    s.bestScorer = player;
    return s;
}

} // namespace

class TestEveningCard : public QObject {
    Q_OBJECT
private slots:
    void theSampleEvening();
    void hostileNamesAreTextAndShortened_data();
    void hostileNamesAreTextAndShortened();
    void copies();
    void savesWhereItMay_data();
    void savesWhereItMay();
    void aTournamentItCannotSumUp();
    void opensFromTheResultsWindow_data();
    void opensFromTheResultsWindow();
};

void TestEveningCard::theSampleEvening() {
    CardOnScreen s;
    s.open(QStringLiteral("03_03_2024__20_00_00"));
    QVERIFY(s.window->card());
    const EveningCard& card = *s.window->card();
    QCOMPARE(card.image.size(), QSize(1080, 1350));
    QCOMPARE(card.texts.mid(0, 42), (QStringList{"Итоги вечера",
                                                 "03.03.2024",
                                                 "Таблица",
                                                 "1. Пенва",
                                                 "10 очков, 12:0",
                                                 "Ювентус · Клубы 4,5*",
                                                 "рейтинг 1455 → 1576 (+121)",
                                                 "2. Зурко",
                                                 "4 очка, 3:13",
                                                 "Реал Мадрид · Клубы 5*",
                                                 "рейтинг 1561 → 1460 (-101)",
                                                 "3. Лодыш",
                                                 "2 очка, 2:4",
                                                 "Бавария Мюнхен · Другие",
                                                 "рейтинг 1484 → 1464 (-20)",
                                                 "Матчи",
                                                 "1",
                                                 "Зурко",
                                                 "Пенва",
                                                 "0:9",
                                                 "2",
                                                 "Пенва",
                                                 "Зурко",
                                                 "2:0",
                                                 "3",
                                                 "Лодыш",
                                                 "Зурко",
                                                 "1:1",
                                                 "4",
                                                 "Лодыш",
                                                 "Пенва",
                                                 "0:1",
                                                 "5",
                                                 "Зурко",
                                                 "Лодыш",
                                                 "2:1",
                                                 "6",
                                                 "Пенва",
                                                 "Лодыш",
                                                 "0:0",
                                                 "Лучший бомбардир: Пенва",
                                                 "Игрок вечера: Пенва"}));
    // The season and the records wrap where the fonts of the machine make them; word for word,
    // the end shortened when the room ends first.
    const QString wrapped = card.texts.mid(42).join(QLatin1Char(' '));
    const QString whole = QStringLiteral(
        "Сезон 2024, первые места: Зурко 1, Пенва 1, Лодыш 1 Новые рекорды • лучшая разница мячей "
        "за турнир (12) - Пенва (Ювентус) против Лодыш (Бавария Мюнхен) и Зурко (Реал Мадрид), "
        "03.03.2024");
    QVERIFY2(wrapped == whole || (wrapped.endsWith(QStringLiteral("...")) &&
                                  whole.startsWith(wrapped.chopped(3)) && wrapped.size() > 120),
             qPrintable(wrapped));
    // The window with its buttons fits a small laptop's screen.
    QVERIFY(s.window->frameGeometry().width() <= 1366);
    QVERIFY(s.window->frameGeometry().height() <= 740);
    QVERIFY(s.button("SavePictureButton")->isEnabled());
}

void TestEveningCard::hostileNamesAreTextAndShortened_data() {
    QTest::addColumn<QString>("player");
    QTest::addColumn<QString>("club");
    QTest::addColumn<QString>("firstRow"); // the place and name as drawn
    QTest::newRow("markup") << "<b>x</b>"
                            << "<i>Милан</i>"
                            << "1. <b>x</b>";
    QTest::newRow("right to left") << "أحمد"
                                   << "ريال"
                                   << "1. \u2068أحمد\u2069";
    QTest::newRow("very long") << QString(80, QChar(u'Ж')) << QString(90, QChar(u'Щ')) << "";
    QTest::newRow("long right to left")
        << QString(60, QChar(u'ع')) << QString(70, QChar(u'ق')) << "";
}

void TestEveningCard::hostileNamesAreTextAndShortened() {
    QFETCH(QString, player);
    QFETCH(QString, club);
    QFETCH(QString, firstRow);
    const EveningCard card = drawEveningCard(summaryOf(player, club));
    if (!firstRow.isEmpty()) {
        QCOMPARE(card.texts.value(3), firstRow);
        QVERIFY(card.texts.contains(QStringLiteral("%1 · Другие").arg(isolated(club))));
    } else {
        QVERIFY(card.texts.value(3).endsWith(QStringLiteral("...")));
        QVERIFY(card.texts.value(5).endsWith(QStringLiteral("... · Другие")));
    }
    for (const QString& text : card.texts) {
        QVERIFY2(!text.contains(QChar(0x2026)), qPrintable(text));
        QCOMPARE(text.count(QChar(0x2068)), text.count(QChar(0x2069)));
    }
    // A shortened text fits the room it is shortened for.
    QFont font;
    font.setPixelSize(40);
    const QFontMetrics metrics(font);
    const QString cut = shortened(isolated(player) + player, metrics, 300);
    QVERIFY(metrics.horizontalAdvance(cut) <= 300 || cut == QStringLiteral("..."));
}

void TestEveningCard::copies() {
    CardOnScreen s;
    s.open(QStringLiteral("01_03_2024__20_00_00"));
    s.button("CopyTextButton")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), summaryText(*s.window->summary()));
    s.button("CopyPictureButton")->click();
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(1080, 1350));
    QVERIFY(kvtest::child<QLabel>(s.window.get(), "ClipboardNote")->text().contains("буфере"));
}

void TestEveningCard::savesWhereItMay_data() {
    QTest::addColumn<QStringList>("chosen"); // one save each; empty: the name proposed
    QTest::addColumn<QStringList>("saved");  // the pictures in the folder afterwards
    QTest::addColumn<int>("refusals");
    QTest::newRow("proposed, then the next free name")
        << QStringList{"", ""} << QStringList{"Итоги-2024-03-03-2.png", "Итоги-2024-03-03.png"}
        << 0;
    QTest::newRow("never over the history") << QStringList{"base.db"} << QStringList{} << 1;
    QTest::newRow("never over a file of another kind")
        << QStringList{"notes.png"} << QStringList{} << 1;
}

void TestEveningCard::savesWhereItMay() {
    QFETCH(QStringList, chosen);
    QFETCH(QStringList, saved);
    QFETCH(int, refusals);
    CardOnScreen s;
    s.folder.writeBytes(QStringLiteral("notes.png"), "not a picture");
    rememberSaveFolder(s.folder.path());
    s.open(QStringLiteral("03_03_2024__20_00_00"));
    for (const QString& name : chosen) {
        s.window->setChooseSaveFile([&](QWidget*, const QString& proposed) {
            return name.isEmpty() ? proposed : s.folder.path(name);
        });
        s.window->savePictureClick();
    }
    QCOMPARE(s.dialogs.texts(ScriptedDialogs::Kind::Information).size(), refusals);
    QCOMPARE(QDir(s.folder.path()).entryList({"Итоги*"}, QDir::Files, QDir::Name), saved);
    for (const QString& name : saved)
        QCOMPARE(QImage(s.folder.path(name)).size(), QSize(1080, 1350));
    QCOMPARE(s.folder.bytes(QStringLiteral("notes.png")), QByteArray("not a picture"));
}

void TestEveningCard::aTournamentItCannotSumUp() {
    CardOnScreen s;
    s.open(QStringLiteral("04_03_2024__20_00_00"));
    QCOMPARE(s.dialogs.texts(ScriptedDialogs::Kind::Information).size(), 1);
    QVERIFY(!s.window->card());
    for (const char* name : {"CopyPictureButton", "CopyTextButton", "SavePictureButton"})
        QVERIFY(!s.button(name)->isEnabled());
    // Closed, the card says nothing of a tournament deleted meanwhile; shown again, it does.
    s.open(QStringLiteral("03_03_2024__20_00_00"));
    s.window->close();
    s.store.deleteTournament(QStringLiteral("03_03_2024__20_00_00"));
    QTest::qWait(50);
    QVERIFY(!s.window->isComputing());
    s.window->show();
    QTRY_VERIFY(!s.window->isComputing() && !s.window->card());
    QCOMPARE(s.dialogs.texts(ScriptedDialogs::Kind::Information).size(), 2);
}

void TestEveningCard::opensFromTheResultsWindow_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("shown"); // the card's date; empty: no card
    QTest::newRow("the news of a write, offer taken") << "taken"
                                                      << "08.12.2016";
    QTest::newRow("the news of a write, offer left") << "left"
                                                     << "";
    QTest::newRow("the button, a tournament chosen") << "chosen"
                                                     << "08.12.2016";
    QTest::newRow("the button, the total chosen") << "Total"
                                                  << "";
    QTest::newRow("the button, nothing chosen") << "none"
                                                << "";
}

void TestEveningCard::opensFromTheResultsWindow() {
    QFETCH(QString, way);
    QFETCH(QString, shown);
    kvtest::ResultsWindow w;
    w.dialogs.takeOffers(way == QLatin1String("taken"));
    if (way != QLatin1String("none")) {
        w.handOver();
        w.scores({{0, "3"}});
        w.form->Button1->click();
        w.form->BitBtn1->click();
        QTRY_VERIFY(!w.form->isFindingRecords());
        QCOMPARE(w.dialogs.shown().value(0).buttons, (QStringList{"OK", "Итоги вечера..."}));
    }
    w.dialogs.clear();
    if (way == QLatin1String("chosen") || way == QLatin1String("Total")) {
        w.choose(way == QLatin1String("Total") ? QStringLiteral("Total") : kvtest::kResultsTable);
        kvtest::child<QPushButton>(w.form.get(), "SummaryButton")->click();
    } else if (way == QLatin1String("none")) {
        kvtest::child<QPushButton>(w.form.get(), "SummaryButton")->click();
    }
    auto* card = w.form->findChild<EveningCardWindow*>();
    if (shown.isEmpty()) {
        QVERIFY(!card || !card->isVisible());
        if (way != QLatin1String("left"))
            QVERIFY(w.dialogs.texts().value(0).startsWith(QStringLiteral("Турнир не выбран.")));
        return;
    }
    QVERIFY(card && card->isVisible());
    QTRY_VERIFY(!card->isComputing());
    QCOMPARE(card->summary()->date, shown);
    QCOMPARE(w.dialogs.errors(), QStringList{});
}

QTEST_MAIN(TestEveningCard)
#include "test_eveningcard_gui.moc"
