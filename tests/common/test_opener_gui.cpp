// The desktop opener refuses a file that no application on the desktop takes, instead of
// reporting success and leaving the players waiting for a sheet that never opens; the window
// stays responsive while the desktop is asked.
#include "common/gui_dialogs.h"
#include "testsupport.h"

#include <QFile>

class TestOpener : public QObject {
    Q_OBJECT
private slots:
    void fileWithoutApplicationIsRefused();
};

void TestOpener::fileWithoutApplicationIsRefused() {
    kvtest::WorkFolder folder;
    QDir(folder.path()).mkdir("bin");
    // A desktop whose type database names no application for anything.
    const QString fake = folder.path("bin/xdg-mime");
    {
        QFile script(fake);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$@\" >> \"$(dirname \"$0\")/asked\"\nexit 0\n");
    }
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(folder.path("bin")) + ":" + oldPath);
    folder.writeBytes("sheet.xlsx", "PK");
    kv::DesktopOpener opener;
    int answers = 0;
    bool opened = true;
    opener.openFile(folder.path("sheet.xlsx"), nullptr, [&](bool result) {
        ++answers;
        opened = result;
    });
    qputenv("PATH", oldPath);
    QCOMPARE(answers, 0); // the answer comes from the event loop, not while we wait
    QTRY_COMPARE(answers, 1);
    QVERIFY(!opened);
    QVERIFY(QString::fromUtf8(folder.bytes("bin/asked")).startsWith("query default "));
}

QTEST_MAIN(TestOpener)
#include "test_opener_gui.moc"
