#include "app/dialogactivation.h"

#include <QtTest>

// Events, one letter each: M / m the menu shows the dialog (it was not / was active already),
// A the dialog is activated, O another window of ours, B one of our message boxes, X another
// program becomes active, H the dialog is hidden. The expected answer: one digit per A, 1 when
// the dialog loads its boxes.
class TestDialogActivation : public QObject {
    Q_OBJECT
private slots:
    void loadsOnlyWhenComingFromOurWindows_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("loads");
        QTest::newRow("the menu's opening loads once") << "MA"
                                                       << "0";
        QTest::newRow("already active at the menu: the next activation loads") << "mA"
                                                                               << "1";
        QTest::newRow("back from the main window") << "MAOA"
                                                   << "01";
        QTest::newRow("back from another program") << "MAXA"
                                                   << "00";
        QTest::newRow("back from a message box") << "MABA"
                                                 << "00";
        QTest::newRow("another program, then our window") << "MAXOA"
                                                          << "01";
        QTest::newRow("our window before the activation") << "MOA"
                                                          << "1";
        QTest::newRow("hidden, then opened by the menu") << "MAHMA"
                                                         << "00";
        QTest::newRow("hidden, then activated") << "MAXHA"
                                                << "01";
    }
    void loadsOnlyWhenComingFromOurWindows() {
        QFETCH(QString, events);
        QFETCH(QString, loads);
        QObject dialog, mainWindow, box;
        kv::DialogActivation activation(&dialog);
        QString answers;
        for (const QChar e : events) {
            if (e == 'M' || e == 'm')
                activation.shownByMenu(e == 'm');
            if (e == 'A') {
                activation.activeWindowIs(&dialog, true);
                answers += activation.activated() ? '1' : '0';
            }
            if (e == 'O' || e == 'B' || e == 'X')
                activation.activeWindowIs(e == 'O'   ? &mainWindow
                                          : e == 'B' ? &box
                                                     : nullptr,
                                          e == 'O');
            if (e == 'H')
                activation.hidden();
        }
        QCOMPARE(answers, loads);
    }
};

QTEST_GUILESS_MAIN(TestDialogActivation)
#include "test_dialogactivation.moc"
