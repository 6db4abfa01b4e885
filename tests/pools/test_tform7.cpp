#include "pools/tform7.h"
#include "testsupport.h"

#include <QSet>
#include <memory>

namespace {

struct TwoPlayerWindow : kvtest::WindowOnDefaults<TForm7> {
    TwoPlayerWindow() : WindowOnDefaults(11) {}
};

} // namespace

class TestTForm7 : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void pressesGiveTwoDifferentTeamsOfOnePool();
    void poolWithoutTwoDifferentTeamsEndsWithAMessage_data();
    void poolWithoutTwoDifferentTeamsEndsWithAMessage();
};

void TestTForm7::layout() {
    TwoPlayerWindow w;
    TForm7* f = w.form.get();
    QCOMPARE(f->windowTitle(), QStringLiteral("Рандом на двоих"));
    QCOMPARE(f->size(), QSize(225, 88));
    QVERIFY(f->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(f->Button1->text(), QStringLiteral("Клубы"));
    QCOMPARE(f->Button2->text(), QStringLiteral("Сборные"));
    QVERIFY(f->Button1->x() < f->Button2->x());
    QVERIFY(f->Label1->x() < f->Label2->x());
    QVERIFY(f->Label1->y() > f->Button1->geometry().bottom());
    f->show();
    QVERIFY(!f->Label1->isVisible());
    QVERIFY(!f->Label2->isVisible());
}

void TestTForm7::pressesGiveTwoDifferentTeamsOfOnePool() {
    TwoPlayerWindow w;
    TForm7* f = w.form.get();
    f->show();
    const QStringList clubFiles{"teams4.txt", "teams45.txt", "teams5.txt"};
    QSet<QString> poolsSeen;
    const QByteArray before = w.folder.bytes("teams4.txt");
    for (int i = 0; i < 200; ++i) {
        f->Button1->click();
        QVERIFY(f->Label1->isVisible() && f->Label2->isVisible());
        const QString a = f->Label1->text(), b = f->Label2->text();
        QVERIFY(a != b);
        int from = -1;
        for (int k = 0; k < clubFiles.size(); ++k) {
            const QStringList pool = w.folder.lines(clubFiles[k]);
            if (pool.contains(a) && pool.contains(b))
                from = k;
        }
        QVERIFY2(from >= 0, qPrintable(a + " / " + b));
        poolsSeen.insert(clubFiles[from]);
    }
    QCOMPARE(poolsSeen.size(), 3);
    const QStringList national = w.folder.lines("natteams.txt");
    for (int i = 0; i < 50; ++i) {
        f->Button2->click();
        QVERIFY(f->Label1->text() != f->Label2->text());
        QVERIFY(national.contains(f->Label1->text()));
        QVERIFY(national.contains(f->Label2->text()));
    }
    QVERIFY(w.dialogs.shown().isEmpty());
    QCOMPARE(w.folder.bytes("teams4.txt"), before);
    QVERIFY(!w.folder.exists("all_last.txt"));
}

void TestTForm7::poolWithoutTwoDifferentTeamsEndsWithAMessage_data() {
    QTest::addColumn<QByteArray>("natteams");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("one name") << QByteArray("Brazil\r\n");
    QTest::newRow("same name on every line") << QByteArray("Brazil\r\nBrazil\r\nBrazil");
}

void TestTForm7::poolWithoutTwoDifferentTeamsEndsWithAMessage() {
    QFETCH(QByteArray, natteams);
    TwoPlayerWindow w;
    w.form->show();
    w.form->Button1->click(); // an earlier result stays as it was
    const QString first = w.form->Label1->text();
    w.folder.writeBytes("natteams.txt", natteams);
    w.form->Button2->click();
    QCOMPARE(w.dialogs.errors().size(), 1);
    QVERIFY2(w.dialogs.errors()[0].contains("\"natteams.txt\""), qPrintable(w.dialogs.errors()[0]));
    QCOMPARE(w.form->Label1->text(), first);
}

QTEST_MAIN(TestTForm7)
#include "test_tform7.moc"
