#include "app/tform1.h"
#include "common/errors.h"
#include "pools/gui_memo.h"
#include "pools/poolfile_editor.h"
#include "pools/tform2.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <memory>

using kvtest::child;

namespace {

struct Editor : kvtest::WindowOnDefaults<TForm2> {
    Editor() : WindowOnDefaults(9) {}
    // The tab of a pool file: its memo, count label, "Править" and OK.
    QPlainTextEdit* memo(int n) { return child<QPlainTextEdit>(form.get(), memoName(n)); }
    QLabel* count(int n) { return child<QLabel>(form.get(), QStringLiteral("Label%1").arg(n)); }
    QPushButton* edit(int n) {
        return child<QPushButton>(form.get(), QStringLiteral("Button%1").arg(n));
    }
    QPushButton* ok(int n) {
        return child<QPushButton>(form.get(), QStringLiteral("BitBtn%1").arg(n));
    }
    static QString memoName(int n) { return QStringLiteral("Memo%1").arg(n); }
    void type(int n, const QString& text) {
        QPlainTextEdit* m = memo(n);
        m->moveCursor(QTextCursor::End);
        const QStringList parts = text.split('\n');
        for (int i = 0; i < parts.size(); ++i) {
            if (i > 0)
                QTest::keyClick(m, Qt::Key_Return);
            m->insertPlainText(parts[i]); // key clicks know ASCII only
        }
    }
};

} // namespace

class TestTForm2 : public QObject {
    Q_OBJECT
private slots:
    void layoutAndTabs();
    void menuShowsAndLoadsEveryPool();
    void countLabel_data();
    void countLabel();
    void savesTypedTextInTheReadEncoding_data();
    void savesTypedTextInTheReadEncoding();
    void tabsEditIndependently();
    void reopeningDiscardsUnsavedTextButKeepsEditing();
    void failedLoadStopsInLoadingOrder();
};

void TestTForm2::layoutAndTabs() {
    Editor e;
    TForm2* f = e.form.get();
    QCOMPARE(f->windowTitle(), QStringLiteral("Команды"));
    QCOMPARE(f->size(), QSize(219, 507));
    QCOMPARE(f->pos(), QPoint(369, 321));
    const QStringList sheets{"TabSheet4", "TabSheet3", "TabSheet1", "TabSheet2",
                             "TabSheet5", "TabSheet6", "TabSheet7"};
    const QStringList captions{QStringLiteral("Клубы 4 *"),  QStringLiteral("Клубы 4,5 *"),
                               QStringLiteral("Клубы 5 *"),  QStringLiteral("Сборные 4,5*"),
                               QStringLiteral("Сборные 5*"), QStringLiteral("Сборные 4*"),
                               QStringLiteral("Суперклубы")};
    f->show();
    QList<QAbstractButton*> tabs;
    for (int i = 0; i < sheets.size(); ++i) {
        QWidget* sheet = child<QWidget>(f, sheets[i]);
        QAbstractButton* tab = f->tabButton(sheet);
        QVERIFY(tab);
        QCOMPARE(tab->text(), captions[i]);
        tabs.append(tab);
        if (i > 0) // in order: left to right, then down
            QVERIFY(tab->y() > tabs[i - 1]->y() || tab->x() > tabs[i - 1]->x());
        QVERIFY(tab->geometry().right() < f->width()); // wrapped, never cut off
    }
    QVERIFY(tabs.last()->y() > tabs.first()->y()); // several rows
    QCOMPARE(f->Pages->currentWidget(), f->TabSheet7);
    QVERIFY(tabs.last()->isChecked());
    tabs[1]->click();
    QCOMPARE(f->Pages->currentWidget(), f->TabSheet3);
    QVERIFY(!tabs.last()->isChecked());
    for (int n = 1; n <= 7; ++n) {
        QPlainTextEdit* m = e.memo(n);
        QCOMPARE(m->size(), QSize(209, 385));
        QVERIFY(m->isReadOnly());
        QCOMPARE(m->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(m->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(m->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(e.edit(n)->text(), QStringLiteral("Править"));
        QVERIFY(e.edit(n)->isEnabled());
        QVERIFY(!e.ok(n)->isEnabled());
        QVERIFY(!e.ok(n)->icon().isNull());
        // the row under the memo, left to right, inside the window
        QVERIFY(e.edit(n)->geometry().top() > m->geometry().bottom());
        QVERIFY(e.count(n)->x() > e.edit(n)->geometry().right());
        QVERIFY(e.ok(n)->x() > e.count(n)->x());
        QVERIFY(f->rect().contains(QRect(e.ok(n)->mapTo(f, QPoint(0, 0)), e.ok(n)->size())));
    }
}

void TestTForm2::menuShowsAndLoadsEveryPool() {
    Editor e;
    e.folder.writeSettings();
    TForm1 main(e.services, e.state, e.evening);
    Windows peers;
    peers.form2 = e.form.get();
    main.setPeers(peers);
    e.dialogs.clear();
    main.N5Click();
    QVERIFY(e.dialogs.shown().isEmpty());
    QVERIFY(e.form->isVisible());
    const std::pair<int, const char*> files[] = {
        {1, "teams5.txt"},    {2, "natteams45.txt"}, {3, "teams45.txt"},   {4, "teams4.txt"},
        {5, "natteams5.txt"}, {6, "natteams4.txt"},  {7, "superteams.txt"}};
    for (const auto& [n, file] : files) {
        const QStringList lines = e.folder.lines(file);
        QCOMPARE(kv::memoText(e.memo(n)), lines.join('\n') + '\n');
        QCOMPARE(e.count(n)->text(), QStringLiteral("(%1)").arg(lines.size()));
    }
}

void TestTForm2::countLabel_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("caption");
    QByteArray ten;
    for (int i = 1; i <= 10; ++i)
        ten += "Team " + QByteArray::number(i) + "\r\n";
    QTest::newRow("ten, final break") << ten << "(10)";
    QTest::newRow("ten, no final break") << ten.chopped(2) << "(10)";
    QTest::newRow("empty line between two names") << QByteArray("A\r\n\r\nB\r\n") << "(3)";
    QTest::newRow("empty file") << QByteArray() << "(0)";
}

void TestTForm2::countLabel() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, caption);
    Editor e;
    e.folder.writeBytes("natteams5.txt", bytes);
    e.form->openFromMenu();
    QCOMPARE(e.count(5)->text(), caption);
    // Adding a name and saving counts it at once, as the next opening does.
    e.edit(5)->click();
    e.type(5, "\nExtra");
    e.ok(5)->click();
    const QString saved = kv::lineCountCaption(QString::fromUtf8(bytes) + "\nExtra");
    QVERIFY(saved != caption);
    QCOMPARE(e.count(5)->text(), saved);
    e.form->openFromMenu();
    QCOMPARE(e.count(5)->text(), saved);
}

void TestTForm2::savesTypedTextInTheReadEncoding_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("typed"); // at the end of the memo
    QTest::addColumn<QByteArray>("after");
    const QByteArray bom("\xEF\xBB\xBF");
    QTest::newRow("utf-8 with mark")
        << bom + QStringLiteral("Зенит\r\n").toUtf8() << QStringLiteral("Спартак")
        << bom + QStringLiteral("Зенит\r\nСпартак").toUtf8();
    QTest::newRow("LF only becomes CR LF") << QByteArray("Ajax\nPSV\n") << QStringLiteral("AZ\n")
                                           << QByteArray("Ajax\r\nPSV\r\nAZ\r\n");
    QTest::newRow("no mark stays without")
        << QByteArray("Ajax") << QStringLiteral("\nPSV") << QByteArray("Ajax\r\nPSV");
    QTest::newRow("windows-1251 saved as UTF-8")
        << QByteArray("\xC7\xE5\xED\xE8\xF2\r\n") << QString()
        << QStringLiteral("Зенит\r\n").toUtf8();
}

void TestTForm2::savesTypedTextInTheReadEncoding() {
    QFETCH(QByteArray, before);
    QFETCH(QString, typed);
    QFETCH(QByteArray, after);
    Editor e;
    e.folder.writeBytes("teams45.txt", before);
    e.form->openFromMenu();
    e.edit(3)->click();
    e.type(3, typed);
    e.ok(3)->click();
    QVERIFY(e.dialogs.shown().isEmpty());
    QCOMPARE(e.folder.bytes("teams45.txt"), after);
    QVERIFY(e.memo(3)->isReadOnly());
    QVERIFY(e.edit(3)->isEnabled());
    QVERIFY(!e.ok(3)->isEnabled());
}

void TestTForm2::tabsEditIndependently() {
    Editor e;
    e.form->openFromMenu();
    e.edit(1)->click();
    e.edit(7)->click();
    for (int n : {1, 7}) {
        QVERIFY(!e.memo(n)->isReadOnly());
        QVERIFY(!e.edit(n)->isEnabled());
        QCOMPARE(e.edit(n)->text(), QStringLiteral("Править"));
        QVERIFY(e.ok(n)->isEnabled());
    }
    QVERIFY(e.memo(4)->isReadOnly());
    // Tab leaves the list instead of typing a tab into a club name.
    const QString before = e.memo(7)->toPlainText();
    QTest::keyClick(e.memo(7), Qt::Key_Tab);
    QCOMPARE(e.memo(7)->toPlainText(), before);
    e.ok(1)->click();
    QVERIFY(e.memo(1)->isReadOnly());
    QVERIFY(!e.memo(7)->isReadOnly());
    QVERIFY(e.ok(7)->isEnabled());
}

void TestTForm2::reopeningDiscardsUnsavedTextButKeepsEditing() {
    Editor e;
    const QByteArray before = e.folder.bytes("superteams.txt");
    e.form->openFromMenu();
    e.edit(7)->click();
    e.type(7, "Unsaved");
    e.form->hide(); // the close box saves nothing
    e.form->openFromMenu();
    QVERIFY(!kv::memoText(e.memo(7)).contains("Unsaved"));
    QVERIFY(!e.memo(7)->isReadOnly());
    QVERIFY(e.ok(7)->isEnabled());
    QVERIFY(!e.edit(7)->isEnabled());
    QCOMPARE(e.folder.bytes("superteams.txt"), before);
}

void TestTForm2::failedLoadStopsInLoadingOrder() {
    Editor e;
    e.form->openFromMenu();
    // Loading order: natteams4, superteams, teams45, teams4, teams5, natteams45, natteams5.
    e.folder.write("natteams4.txt", {"New N4"});
    e.folder.write("superteams.txt", {"New S"});
    QFile::remove(e.folder.path("teams45.txt"));
    e.folder.write("teams4.txt", {"New T4"});
    const QString oldMemo4 = kv::memoText(e.memo(4));
    const QString oldCount4 = e.count(4)->text();
    e.form->hide();
    try {
        e.form->openFromMenu();
        QFAIL("a missing pool must fail");
    } catch (const kv::Error& error) {
        QVERIFY(error.text().startsWith("Cannot open file \"teams45.txt\"."));
    }
    QVERIFY(e.form->isVisible());
    QCOMPARE(kv::memoText(e.memo(6)), QStringLiteral("New N4\n"));
    QCOMPARE(e.count(6)->text(), QStringLiteral("(1)"));
    QCOMPARE(kv::memoText(e.memo(7)), QStringLiteral("New S\n"));
    QCOMPARE(kv::memoText(e.memo(4)), oldMemo4);
    QCOMPARE(e.count(4)->text(), oldCount4);
}

QTEST_MAIN(TestTForm2)
#include "test_tform2.moc"
