#include "app/tform1.h"
#include "common/errors.h"
#include "common/gui_theme.h"
#include "common/textfile.h"
#include "pools/gui_memo.h"
#include "pools/tform8.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QApplication>
#include <memory>

using kvtest::child;

namespace {

struct LogWindow : kvtest::WindowOnDefaults<TForm8> {
    LogWindow() : WindowOnDefaults(9) {}
    QColor color(const char* label) {
        QLabel* l = child<QLabel>(form.get(), label);
        l->ensurePolished();
        return l->palette().color(QPalette::WindowText);
    }
    // The colour as drawn, not only as set: some pixel of the text is (nearly) that colour.
    bool drawnIn(const char* label, const QColor& c) {
        const QImage image = child<QLabel>(form.get(), label)->grab().toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (const QColor p = image.pixelColor(x, y); qAbs(p.red() - c.red()) +
                                                                 qAbs(p.green() - c.green()) +
                                                                 qAbs(p.blue() - c.blue()) <=
                                                             30)
                    return true;
        return false;
    }
    void type(const QString& text) {
        form->Memo1->moveCursor(QTextCursor::End);
        form->Memo1->insertPlainText(text);
    }
};

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

} // namespace

class TestTForm8 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void layout();
    void labelsShowWhichPoolsAreUsedUp();
    void mainWindowButtonOpensIt();
    void missingLogIsReportedAndWindowStaysHidden();
    void clearAsksFirst();
    void clearWhileEditingKeepsEditing();
    void savesInTheReadEncoding_data();
    void savesInTheReadEncoding();
    void logSavedWithoutFinalBreakThenScheduled();
    void failedClearKeepsTheText();
    void saveKeepsTeamsAddedSinceLoading_data();
    void saveKeepsTeamsAddedSinceLoading();
    void closingWithUnsavedEditAsks_data();
    void closingWithUnsavedEditAsks();
};

void TestTForm8::initTestCase() {
    // The marks keep their colours in the dark theme.
    kv::applyCarbonTheme(*qobject_cast<QApplication*>(QCoreApplication::instance()));
}

void TestTForm8::layout() {
    LogWindow w;
    TForm8* f = w.form.get();
    QCOMPARE(f->windowTitle(), QStringLiteral("Все последние команды"));
    QCOMPARE(f->pos(), QPoint(855, 456));
    QVERIFY(f->Memo1->isReadOnly());
    QCOMPARE(f->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(f->minimumSize() != f->maximumSize()); // sizeable
    const QStringList labels{"Label7", "Label6", "Label1", "Label5", "Label4", "Label3", "Label2"};
    const QStringList captions{QStringLiteral("Суперклубы"),   QStringLiteral("Сборные 4*"),
                               QStringLiteral("Сборные 4,5*"), QStringLiteral("Сборные 5*"),
                               QStringLiteral("Клубы 4*"),     QStringLiteral("Клубы 4,5*"),
                               QStringLiteral("Клубы 5*")};
    f->show();
    // A wider font than the layout's widens the row of labels, and the memo with it.
    const QSize memo = f->Memo1->size();
    QCOMPARE(memo.height(), 425);
    QVERIFY2(kvtest::layoutFont(f->font()) ? memo.width() == 457 : memo.width() >= 457,
             qPrintable(QString::number(memo.width())));
    int x = -1;
    for (int i = 0; i < labels.size(); ++i) {
        QLabel* l = child<QLabel>(f, labels[i]);
        QCOMPARE(l->text(), captions[i]);
        QVERIFY(l->x() > x);
        QVERIFY(l->y() > f->Memo1->geometry().bottom());
        x = l->x();
    }
    QCOMPARE(f->Button1->text(), QStringLiteral("Править"));
    QCOMPARE(f->Button2->text(), QStringLiteral("Очистить"));
    QCOMPARE(f->Button3->text(), QStringLiteral("Сохранить"));
    QVERIFY(f->Button1->x() < f->Button2->x() && f->Button2->x() < f->Button3->x());
    QVERIFY(f->Button1->y() > f->Label7->geometry().bottom());
    QVERIFY(f->Button1->isEnabled() && f->Button2->isEnabled() && !f->Button3->isEnabled());
    f->resize(f->width() + 100, f->height() + 50);
    QCOMPARE(f->Memo1->size(), memo + QSize(100, 50));
}

void TestTForm8::labelsShowWhichPoolsAreUsedUp() {
    LogWindow w;
    // Every team of "teams45.txt" used; "natteams5.txt" with exactly three teams left.
    QStringList log = w.folder.lines("teams45.txt");
    const QStringList nat5 = w.folder.lines("natteams5.txt");
    log += nat5.mid(0, nat5.size() - 3);
    w.folder.write("all_last.txt", log);
    w.form->openFromMainWindow();
    QVERIFY(w.form->isVisible());
    QCOMPARE(w.color("Label3"), kRed);
    QCOMPARE(w.color("Label5"), kGreen);
    QVERIFY(w.drawnIn("Label3", kRed) && !w.drawnIn("Label3", kGreen));
    QVERIFY(w.drawnIn("Label5", kGreen) && !w.drawnIn("Label5", kRed));
    for (const char* l : {"Label1", "Label2", "Label4", "Label6", "Label7"})
        QCOMPARE(w.color(l), kGreen);
    // Every pool's name whole, on a dark mark that both colours read on.
    for (QLabel* l : w.form->findChildren<QLabel*>()) {
        QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
        const QColor behind = l->grab().toImage().pixelColor(1, 1);
        QVERIFY(behind.lightness() < w.form->palette().color(QPalette::Window).lightness());
        QVERIFY(kv::contrastRatio(l->palette().color(QPalette::WindowText), behind) >= 4);
    }
    QCOMPARE(kv::memoText(w.form->Memo1), log.join('\n') + '\n');

    // Clearing leaves the marks until the next opening.
    w.dialogs.queue(kv::Dialogs::Answer::Yes);
    w.form->Button2->click();
    QCOMPARE(w.color("Label3"), kRed);
    w.form->openFromMainWindow();
    QCOMPARE(w.color("Label3"), kGreen);
}

void TestTForm8::mainWindowButtonOpensIt() {
    LogWindow w;
    w.folder.writeSettings();
    w.folder.write("all_last.txt", {"Ajax"});
    TForm1 main(w.services, w.state, w.evening);
    Windows peers;
    peers.form8 = w.form.get();
    main.setPeers(peers);
    w.dialogs.clear();
    main.Button3->click();
    QVERIFY(w.dialogs.shown().isEmpty());
    QVERIFY(w.form->isVisible());
    QCOMPARE(kv::memoText(w.form->Memo1), QStringLiteral("Ajax\n"));
}

void TestTForm8::missingLogIsReportedAndWindowStaysHidden() {
    LogWindow w;
    try {
        w.form->openFromMainWindow();
        QFAIL("a missing log must fail");
    } catch (const kv::Error& e) {
        QVERIFY(e.text().startsWith("Cannot open file \"all_last.txt\"."));
    }
    QVERIFY(!w.form->isVisible());
}

void TestTForm8::clearAsksFirst() {
    LogWindow w;
    w.folder.writeBytes("all_last.txt", "Ajax\r\nPSV\r\nAZ\r\n");
    w.form->openFromMainWindow();
    w.dialogs.queue(kv::Dialogs::Answer::No);
    w.form->Button2->click();
    QCOMPARE(w.dialogs.texts(kv::ScriptedDialogs::Kind::YesNo),
             QStringList{QStringLiteral("Are you sure?")});
    QCOMPARE(w.folder.bytes("all_last.txt"), QByteArray("Ajax\r\nPSV\r\nAZ\r\n"));
    QCOMPARE(kv::memoText(w.form->Memo1), QStringLiteral("Ajax\nPSV\nAZ\n"));

    w.dialogs.queue(kv::Dialogs::Answer::Yes);
    w.form->Button2->click();
    QVERIFY(w.folder.exists("all_last.txt"));
    QCOMPARE(w.folder.bytes("all_last.txt"), QByteArray());
    QCOMPARE(kv::memoText(w.form->Memo1), QString());
    QVERIFY(w.form->Memo1->isReadOnly());
}

void TestTForm8::clearWhileEditingKeepsEditing() {
    LogWindow w;
    w.folder.writeBytes("all_last.txt", "\xEF\xBB\xBF"
                                        "Ajax\r\n");
    w.form->openFromMainWindow();
    w.form->Button1->click();
    w.type("PSV");
    w.dialogs.queue(kv::Dialogs::Answer::Yes);
    w.form->Button2->click();
    QCOMPARE(kv::memoText(w.form->Memo1), QString());
    QVERIFY(!w.form->Memo1->isReadOnly());
    QVERIFY(w.form->Button3->isEnabled());
    QVERIFY(!w.form->Button1->isEnabled());
    // The emptied file has no mark any more, and neither has the next save.
    w.type(QStringLiteral("Зенит"));
    w.form->Button3->click();
    QCOMPARE(w.folder.bytes("all_last.txt"), QStringLiteral("Зенит").toUtf8());
}

void TestTForm8::savesInTheReadEncoding_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QByteArray bom("\xEF\xBB\xBF");
    QTest::newRow("with mark") << bom + "Ajax\r\n" << bom + "Ajax\r\nPSV\r\n";
    QTest::newRow("without mark") << QByteArray("Ajax\n") << QByteArray("Ajax\r\nPSV\r\n");
}

void TestTForm8::savesInTheReadEncoding() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    LogWindow w;
    w.folder.writeBytes("all_last.txt", before);
    w.form->openFromMainWindow();
    w.form->Button1->click();
    QVERIFY(!w.form->Memo1->isReadOnly());
    QVERIFY(!w.form->Button1->isEnabled());
    w.type("PSV\n");
    w.form->Button3->click();
    QVERIFY(w.dialogs.shown().isEmpty());
    QCOMPARE(w.folder.bytes("all_last.txt"), after);
    QVERIFY(w.form->Memo1->isReadOnly());
    QVERIFY(w.form->Button1->isEnabled());
    QVERIFY(!w.form->Button3->isEnabled());
}

void TestTForm8::logSavedWithoutFinalBreakThenScheduled() {
    LogWindow w;
    w.folder.writeBytes("all_last.txt", "Ajax\r\n");
    w.form->openFromMainWindow();
    w.form->Button1->click();
    w.type("PSV"); // typed on the last, empty line
    w.form->Button3->click();
    QCOMPARE(w.folder.bytes("all_last.txt"), QByteArray("Ajax\r\nPSV"));
    kv::appendLines("all_last.txt", {"Feyenoord", "AZ", "Twente"}); // what the schedule does
    QCOMPARE(w.folder.lines("all_last.txt"),
             (QStringList{"Ajax", "PSV", "Feyenoord", "AZ", "Twente"}));
}

void TestTForm8::failedClearKeepsTheText() {
    LogWindow w;
    w.folder.writeBytes("all_last.txt", "Ajax\r\n");
    w.form->openFromMainWindow();
    w.form->Button1->click();
    w.type("PSV");
    QFile::remove(w.folder.path("all_last.txt"));
    QVERIFY(QDir(w.folder.path()).mkdir("all_last.txt"));
    w.dialogs.queue(kv::Dialogs::Answer::Yes);
    w.form->Button2->click();
    QCOMPARE(w.dialogs.errors().size(), 1);
    QCOMPARE(kv::memoText(w.form->Memo1), QStringLiteral("Ajax\nPSV"));
}

void TestTForm8::saveKeepsTeamsAddedSinceLoading_data() {
    QTest::addColumn<QString>("scheduled"); // when the schedule appends: "", "open", "edit"
    QTest::addColumn<int>("answer");        // to the question, -1: none asked
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<QStringList>("memo");
    QTest::addColumn<bool>("editing");
    using A = kv::Dialogs::Answer;
    const QStringList typed{"Ajax", "PSV"};
    const QStringList all{"Ajax", "Feyenoord", "AZ", "Twente"};
    QTest::newRow("nothing added") << "" << -1 << typed << typed << false;
    QTest::newRow("added before Править: edit starts from the file")
        << "open" << -1 << all + QStringList{"PSV"} << all + QStringList{"PSV"} << false;
    QTest::newRow("added while editing, Yes overwrites")
        << "edit" << int(A::Yes) << typed << typed << false;
    QTest::newRow("added while editing, No reloads") << "edit" << int(A::No) << all << all << true;
    QTest::newRow("added while editing, Cancel")
        << "edit" << int(A::Cancel) << all << typed << true;
}

void TestTForm8::saveKeepsTeamsAddedSinceLoading() {
    QFETCH(QString, scheduled);
    QFETCH(int, answer);
    QFETCH(QStringList, file);
    QFETCH(QStringList, memo);
    QFETCH(bool, editing);
    LogWindow w;
    w.folder.write("all_last.txt", {"Ajax"});
    const auto schedule = [&] { kv::appendLines("all_last.txt", {"Feyenoord", "AZ", "Twente"}); };
    w.form->openFromMainWindow();
    if (scheduled == "open")
        schedule();
    w.form->Button1->click();
    w.type("PSV\n");
    if (scheduled == "edit")
        schedule();
    if (answer >= 0)
        w.dialogs.queue(kv::Dialogs::Answer(answer));
    w.form->Button3->click();
    QCOMPARE(w.dialogs.texts(),
             answer >= 0 ? QStringList{TForm8::kLogChangedQuestion} : QStringList{});
    QCOMPARE(w.folder.lines("all_last.txt"), file);
    QCOMPARE(kv::memoText(w.form->Memo1), memo.join('\n') + '\n');
    QCOMPARE(!w.form->Memo1->isReadOnly(), editing);
    QCOMPARE(w.form->Button3->isEnabled(), editing);
}

void TestTForm8::closingWithUnsavedEditAsks_data() {
    QTest::addColumn<kv::Dialogs::Answer>("answer");
    QTest::newRow("save") << kv::Dialogs::Answer::Yes;
    QTest::newRow("drop") << kv::Dialogs::Answer::No;
    QTest::newRow("go back") << kv::Dialogs::Answer::Cancel;
}

void TestTForm8::closingWithUnsavedEditAsks() {
    QFETCH(kv::Dialogs::Answer, answer);
    LogWindow w;
    w.folder.writeBytes("all_last.txt", "Ajax\r\n");
    w.form->openFromMainWindow();
    w.form->Button1->click();
    w.type("PSV");
    w.dialogs.queue(answer);
    w.form->close();
    QCOMPARE(w.dialogs.texts(), QStringList{TForm8::kUnsavedQuestion});
    QCOMPARE(w.form->isVisible(), answer == kv::Dialogs::Answer::Cancel);
    QCOMPARE(w.folder.bytes("all_last.txt"),
             answer == kv::Dialogs::Answer::Yes ? "Ajax\r\nPSV" : "Ajax\r\n");
    QCOMPARE(kv::memoText(w.form->Memo1),
             answer == kv::Dialogs::Answer::No ? "Ajax\n" : "Ajax\nPSV");
}

QTEST_MAIN(TestTForm8)
#include "test_tform8.moc"
