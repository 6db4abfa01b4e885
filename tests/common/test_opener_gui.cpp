// The desktop opener refuses a file that no application on the desktop takes, instead of
// reporting success and leaving the players waiting for a sheet that never opens; the window
// stays responsive while the desktop is asked.
#include "common/gui_dialogs.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QFile>

class TestOpener : public QObject {
    Q_OBJECT
private slots:
    void fileWithoutApplicationIsRefused();
};

void TestOpener::fileWithoutApplicationIsRefused() {
    kvtest::WorkFolder folder;
    // The fake desktop tools live beside this test program: the temporary folder may be on a
    // mount that runs nothing. The search path holds them alone, so that nothing reaches the
    // real desktop even when the opener goes further than it should.
    QTemporaryDir bin(QCoreApplication::applicationDirPath() +
                      QStringLiteral("/fake-desktop-XXXXXX"));
    QVERIFY(bin.isValid());
    const auto fake = [&](const char* name) {
        QFile script(bin.filePath(QString::fromLatin1(name)));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QByteArray("#!/bin/sh\necho \"$@\" >> \"${0%/*}/") + name + ".asked\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    // A desktop whose type database names no application for anything.
    fake("xdg-mime");
    fake("xdg-open");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    folder.writeBytes("sheet.xlsx", "PK");
    kv::DesktopOpener opener;
    int answers = 0;
    bool opened = true;
    opener.openFile(folder.path("sheet.xlsx"), nullptr, [&](bool result) {
        ++answers;
        opened = result;
    });
    QCOMPARE(answers, 0); // the answer comes from the event loop, not while we wait
    QTRY_COMPARE(answers, 1);
    qputenv("PATH", oldPath);
    QFile asked(bin.filePath("xdg-mime.asked"));
    QVERIFY2(asked.open(QIODevice::ReadOnly), "the fake xdg-mime did not run");
    QVERIFY(asked.readAll().startsWith("query default "));
    QVERIFY(!opened);
    QVERIFY(!QFile::exists(bin.filePath("xdg-open.asked")));
}

QTEST_MAIN(TestOpener)
#include "test_opener_gui.moc"
