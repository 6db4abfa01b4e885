// Where a window opens: at its own place when it fits on the screen, else moved just enough.
#include "common/windowplace.h"

#include <QtTest>

class TestWindowPlace : public QObject {
    Q_OBJECT
private slots:
    void fitWithin_data();
    void fitWithin();
};

void TestWindowPlace::fitWithin_data() {
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("placed");
    const QRect fullHd(0, 0, 1920, 1040);
    const QRect laptop(0, 0, 1366, 738); // 1366 x 768 less a panel at the bottom
    const QRect recentTeams(855, 456, 475, 525 + 30);
    const QRect poolsEditor(369, 321, 219, 507 + 30);
    QTest::newRow("recent teams fit a big screen") << recentTeams << fullHd << QPoint(855, 456);
    QTest::newRow("recent teams on a laptop") << recentTeams << laptop << QPoint(855, 183);
    QTest::newRow("pools editor on a laptop") << poolsEditor << laptop << QPoint(369, 201);
    QTest::newRow("panel on the left")
        << QRect(10, 10, 200, 200) << QRect(48, 0, 1318, 768) << QPoint(48, 10);
    QTest::newRow("off the right edge")
        << QRect(1300, 100, 200, 200) << laptop << QPoint(1166, 100);
    QTest::newRow("second screen to the right")
        << recentTeams.translated(1920, 0) << QRect(1920, 0, 1366, 738) << QPoint(2775, 183);
    QTest::newRow("taller than the screen keeps its top")
        << QRect(100, 300, 300, 900) << laptop << QPoint(100, 0);
    QTest::newRow("no screen known") << recentTeams << QRect() << QPoint(855, 456);
}

void TestWindowPlace::fitWithin() {
    QFETCH(QRect, window);
    QFETCH(QRect, available);
    QFETCH(QPoint, placed);
    const QRect got = kv::fitWithin(window, available);
    QCOMPARE(got.topLeft(), placed);
    QCOMPARE(got.size(), window.size());
}

QTEST_GUILESS_MAIN(TestWindowPlace)
#include "test_windowplace.moc"
