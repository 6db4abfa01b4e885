// Where a window opens: at its own place when it fits on the screen, else moved just enough.
#include "common/windowplace.h"

#include <QtTest>

class TestWindowPlace : public QObject {
    Q_OBJECT
private slots:
    void fitWithin_data();
    void fitWithin();
    void fitFrame_data();
    void fitFrame();
    void sideBySide_data();
    void sideBySide();
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

// Frames with a window manager's caption, on a laptop of 1366 x 768.
void TestWindowPlace::fitFrame_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<bool>("resizable"); // the minimum client size is 592 x 400
    QTest::addColumn<QRect>("placed");
    QTest::newRow("taller than the screen: made smaller")
        << QRect(100, 50, 1204, 900) << true << QRect(100, 0, 1204, 768);
    QTest::newRow("fixed: keeps its size and top-left corner")
        << QRect(100, 50, 1204, 900) << false << QRect(100, 0, 1204, 900);
    QTest::newRow("never below its minimum")
        << QRect(0, 0, 1500, 300) << true << QRect(0, 0, 1366, 434);
}

void TestWindowPlace::fitFrame() {
    QFETCH(QRect, frame);
    QFETCH(bool, resizable);
    QFETCH(QRect, placed);
    QCOMPARE(kv::fitFrame(frame, kv::assumedFrame({}), QRect(0, 0, 1366, 768), QSize(592, 400),
                          resizable),
             placed);
}

// The sheet window as it opens on each screen and the results window, frames included.
void TestWindowPlace::sideBySide_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("sheet");
    QTest::addColumn<QRect>("first");
    QTest::addColumn<QRect>("second");
    QTest::newRow("wide: side by side as they are")
        << QRect(0, 0, 2560, 1400) << QSize(1208, 944) << QRect(193, 228, 1208, 944)
        << QRect(1401, 228, 965, 460);
    QTest::newRow("full HD at the right of another: the sheet narrower")
        << QRect(1920, 0, 1920, 1050) << QSize(1208, 944) << QRect(1920, 152, 955, 746)
        << QRect(2875, 152, 965, 460);
    QTest::newRow("laptop: opposite corners")
        << QRect(0, 0, 1366, 738) << QSize(1208, 664) << QRect(0, 0, 1208, 664)
        << QRect(401, 278, 965, 460);
}

void TestWindowPlace::sideBySide() {
    QFETCH(QRect, available);
    QFETCH(QSize, sheet);
    QFETCH(QRect, first);
    QFETCH(QRect, second);
    const kv::SideBySide placed =
        kv::sideBySide(QRect(QPoint(100, 100), sheet), 600, QRect(300, 500, 965, 460), available);
    QCOMPARE(placed.first, first);
    QCOMPARE(placed.second, second);
    QCOMPARE(placed.beside, first.right() < second.left());
}

QTEST_GUILESS_MAIN(TestWindowPlace)
#include "test_windowplace.moc"
