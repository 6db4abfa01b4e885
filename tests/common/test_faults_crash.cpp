// A crash in the middle of a rewrite: a child process rewrites a data file through the program's
// own writers and is killed with SIGKILL at random moments. The file must always hold one whole
// content, the old or the new one: never a mix, a torn tail or nothing.
#include "testsupport.h"

#include "common/textfile.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace {

constexpr int kKills = 100; // per row; the whole program stays well under 20 s

QByteArray crlfLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

// The rewriter, started once per case: each round it forks a fresh writer, which is let run until
// it has written once and then a random while longer, and killed.
class Rewriter {
public:
    explicit Rewriter(const QStringList& arguments) {
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(QStringLiteral(KV_REWRITER), arguments);
    }
    ~Rewriter() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000))
            process_.kill();
    }
    // False, with the reason, when the writer never got going.
    bool runAndKill(QRandomGenerator& random, QString* why) {
        process_.write("\n");
        bool started = false;
        const pid_t writer = pid_t(line().toInt(&started));
        if (!started) {
            *why = process_.errorString() + QLatin1Char(' ') +
                   QString::fromLocal8Bit(process_.readAllStandardError());
            return false;
        }
        QThread::usleep(random.bounded(4000));
        ::kill(writer, SIGKILL);
        // The rewriter has seen the writer end: nothing more touches the file.
        *why = QStringLiteral("the writer did not end");
        return line() == "end";
    }

private:
    QByteArray line() {
        while (!process_.canReadLine() && process_.waitForReadyRead(20000)) {
        }
        return process_.readLine().trimmed();
    }

    QProcess process_;
};

// Files other than the expected ones. A kill between the temporary file getting its name and
// the rename leaves that temporary file behind: harmless, since nothing reads it, so only a
// file of another shape counts.
QStringList strayFiles(const kvtest::WorkFolder& folder, const QStringList& expected) {
    QStringList stray = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : expected) {
        stray.removeAll(name);
        const QRegularExpression temporary(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(name) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
        stray.removeIf([&](const QString& s) { return temporary.match(s).hasMatch(); });
    }
    return stray;
}

} // namespace

class TestFaultsCrash : public QObject {
    Q_OBJECT
private slots:
    void killedRewriteLeavesOldOrNew();
    void killedAppendLeavesWholeLines_data();
    void killedAppendLeavesWholeLines();
};

void TestFaultsCrash::killedRewriteLeavesOldOrNew() {
    kvtest::WorkFolder folder;
    // Big enough that a write takes a while, so many kills land inside one.
    QStringList a, b;
    for (int i = 0; i < 4000; ++i) {
        a.append(QStringLiteral("Спартак %1 'A' <&>").arg(i));
        b.append(QStringLiteral("Zenit %1 \"B\"").arg(i * 7));
    }
    b.removeLast(); // a different length, so a mix cannot pass for either
    folder.write(QStringLiteral("a.src"), a);
    folder.write(QStringLiteral("b.src"), b);
    const QByteArray old = crlfLines(a), fresh = crlfLines(b);
    folder.writeBytes(QStringLiteral("last.txt"), old);

    QRandomGenerator random(20240501);
    int seenOld = 0, seenNew = 0;
    Rewriter rewriter({QStringLiteral("write"), folder.path(QStringLiteral("last.txt")),
                       folder.path(QStringLiteral("a.src")), folder.path(QStringLiteral("b.src"))});
    for (int k = 0; k < kKills; ++k) {
        QString why;
        QVERIFY2(rewriter.runAndKill(random, &why), qPrintable(why));
        const QByteArray now = folder.bytes(QStringLiteral("last.txt"));
        if (now == old)
            ++seenOld;
        else if (now == fresh)
            ++seenNew;
        else
            QFAIL(qPrintable(QStringLiteral("kill %1 left %2 bytes that are neither content")
                                 .arg(k)
                                 .arg(now.size())));
    }
    // Both contents turned up: the kills really fell in the middle of the loop.
    QVERIFY2(seenOld > 0 && seenNew > 0,
             qPrintable(QStringLiteral("old %1, new %2").arg(seenOld).arg(seenNew)));
    const QStringList stray = strayFiles(
        folder, {QStringLiteral("last.txt"), QStringLiteral("a.src"), QStringLiteral("b.src")});
    QVERIFY2(stray.isEmpty(), qPrintable(stray.join(QLatin1Char(' '))));
}

void TestFaultsCrash::killedAppendLeavesWholeLines_data() {
    QTest::addColumn<QByteArray>("initial");
    QTest::addColumn<int>("encoding");
    const QString text = QStringLiteral("Динамо\r\nAjax\r\n");
    QTest::newRow("utf-8") << text.toUtf8() << int(kv::TextEncoding::Plain);
    QTest::newRow("utf-8, no final break")
        << QStringLiteral("Динамо\r\nAjax").toUtf8() << int(kv::TextEncoding::Plain);
    QTest::newRow("utf-16 le") << kv::encodeText(text, kv::TextEncoding::Utf16LE)
                               << int(kv::TextEncoding::Utf16LE);
    // "Динамо" in Windows-1251: not valid UTF-8.
    QTest::newRow("windows-1251") << QByteArray("\xC4\xE8\xED\xE0\xEC\xEE\r\nAjax\r\n")
                                  << int(kv::TextEncoding::Windows1251);
}

void TestFaultsCrash::killedAppendLeavesWholeLines() {
    QFETCH(QByteArray, initial);
    QFETCH(int, encoding);
    kvtest::WorkFolder folder;
    folder.writeBytes(QStringLiteral("all_last.txt"), initial);
    const kv::DecodedText start = kv::decodeText(initial);
    QCOMPARE(int(start.encoding), encoding);
    QString base = start.text;
    if (!base.endsWith(QLatin1Char('\n')))
        base += QStringLiteral("\r\n");
    const QString line = QStringLiteral("Локомотив 'Москва' & <Co> 🙂");

    QRandomGenerator random(77 + encoding);
    qsizetype appended = 0;
    Rewriter rewriter(
        {QStringLiteral("append"), folder.path(QStringLiteral("all_last.txt")), line});
    for (int k = 0; k < kKills / 2; ++k) {
        QString why;
        QVERIFY2(rewriter.runAndKill(random, &why), qPrintable(why));
        const QByteArray now = folder.bytes(QStringLiteral("all_last.txt"));
        const kv::DecodedText read = kv::decodeText(now);
        // Nothing of the old text is lost and only whole lines were added.
        QVERIFY2(read.text.startsWith(base), qPrintable(QStringLiteral("kill %1").arg(k)));
        const QStringList added = kv::splitLines(read.text.mid(base.size()));
        QVERIFY2(read.text.endsWith(QStringLiteral("\r\n")),
                 qPrintable(QStringLiteral("kill %1: torn last line").arg(k)));
        for (const QString& got : added)
            QCOMPARE(got, line);
        // Appends made before the kill are never undone.
        QVERIFY(added.size() >= appended);
        appended = added.size();
        // The file keeps its mark; an old 8-bit file becomes UTF-8 once something is added.
        const kv::TextEncoding expected =
            encoding == int(kv::TextEncoding::Windows1251) && appended > 0
                ? kv::TextEncoding::Plain
                : kv::TextEncoding(encoding);
        if (encoding == int(kv::TextEncoding::Windows1251) && appended == 0)
            QCOMPARE(now, initial);
        QCOMPARE(int(read.encoding), int(expected));
    }
    QVERIFY2(appended > 0, "the child never appended");
    const QStringList stray = strayFiles(folder, {QStringLiteral("all_last.txt")});
    QVERIFY2(stray.isEmpty(), qPrintable(stray.join(QLatin1Char(' '))));
}

QTEST_GUILESS_MAIN(TestFaultsCrash)
#include "test_faults_crash.moc"
