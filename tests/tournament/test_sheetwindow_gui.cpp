// The program's own sheet window: the PDF it saves is the sheet as a reader we did not write
// sees it (poppler's pdfinfo and pdftotext), and a save never costs the players an old file.
#include "testsupport.h"

#include "common/programdir.h"
#include "tournament/gui_sheetwindow.h"
#include "tournament/tournamentsheet.h"

#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QString run(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        kvtest::fail(tool + " is missing: install poppler-utils");
        return QString();
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

kv::TournamentSheet sheetOf(const QStringList& players, const QStringList& teams) {
    const kv::Tournament input{
        players, teams, {teams[1], teams[2], teams[2], teams[0], teams[0], teams[1]}};
    return kv::makeTournamentSheet(input,
                                   {kv::imagePath(QStringLiteral("team.bmp")),
                                    kv::imagePath(QStringLiteral("travma.bmp")),
                                    QStringLiteral("Пенва")},
                                   QStringLiteral("09.03.2024"));
}

// A sheet window whose save dialog answers with a fixed path.
struct Window : kvtest::Fakes {
    kv::SheetWindow window{dialogs, clock, &opener};
    QString answer;
    QString proposed;
    explicit Window(const kv::TournamentSheet& sheet) {
        window.setSheet(sheet);
        window.setChooseSaveFile([this](QWidget*, const QString& offered) {
            proposed = offered;
            return answer;
        });
    }
    void save(const QString& path) {
        answer = path;
        kvtest::child<QPushButton>(&window, QStringLiteral("SavePdfButton"))->click();
    }
};

} // namespace

class TestSheetWindow : public QObject {
    Q_OBJECT
private slots:
    void pdfHoldsTheSheet_data();
    void pdfHoldsTheSheet();
    void saveOverAnOldFile_data();
    void saveOverAnOldFile();
};

void TestSheetWindow::pdfHoldsTheSheet_data() {
    QTest::addColumn<QStringList>("players");
    QTest::addColumn<QStringList>("teams");
    QTest::newRow("an evening") << QStringList{"Зурко", "Пенва", "Лодыш"}
                                << QStringList{"Милан", "Аякс", "Порту"};
    // Long names shrink to fit their boxes instead of being cut; markup stays text.
    QTest::newRow("long and odd names")
        << QStringList{"Зурко", "<b>Пенва</b>", "Лодыш-Длинноименный Третий"}
        << QStringList{"Боруссия Мёнхенгладбах Юниорс", "Ajax & Co", "ПСВ"};
}

void TestSheetWindow::pdfHoldsTheSheet() {
    QFETCH(QStringList, players);
    QFETCH(QStringList, teams);
    kvtest::WorkFolder folder;
    Window w(sheetOf(players, teams));
    w.save(folder.path(QStringLiteral("sheet.pdf")));
    QVERIFY2(w.dialogs.shown().isEmpty(), qPrintable(w.dialogs.texts().join('\n')));
    QCOMPARE(w.proposed, folder.path(QStringLiteral("Турнир-2024-03-09.pdf")));

    const QString info = run(QStringLiteral("pdfinfo"), {folder.path(QStringLiteral("sheet.pdf"))});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    // A4 landscape: 842 x 595 points.
    QVERIFY2(
        info.contains(QRegularExpression(QStringLiteral("Page size:\\s+84[12](\\.\\d+)? x 595"))),
        qPrintable(info));

    const QString text = run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-layout"), folder.path(QStringLiteral("sheet.pdf")),
                              QStringLiteral("-")})
                             .simplified();
    const auto row = [](QStringList cells) {
        for (QString& cell : cells)
            cell = QRegularExpression::escape(cell);
        return QRegularExpression(cells.join(QStringLiteral(" ")));
    };
    for (int i = 0; i < 3; ++i)
        QVERIFY2(text.contains(row({players[i], teams[i]})), qPrintable(text));
    // The first leg as scheduled, the second with the sides swapped.
    for (int i = 0; i < 3; ++i) {
        const QString home = teams[(i + 1) % 3];
        const QString away = teams[(i + 2) % 3];
        QVERIFY2(text.contains(row({QStringLiteral("Матч %1").arg(i + 1), home, away})),
                 qPrintable(text));
        QVERIFY2(text.contains(row({QStringLiteral("Матч %1").arg(i + 4), away, home})),
                 qPrintable(text));
    }
    QVERIFY(text.contains(QStringLiteral("Призы прошлого турнира")));
    QVERIFY(text.contains(QStringLiteral("09.03.2024")));
}

void TestSheetWindow::saveOverAnOldFile_data() {
    QTest::addColumn<QString>("breakIt");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<QString>("message"); // the start of an error message, "" for none
    QTest::newRow("replacing agreed") << "yes" << true << "";
    QTest::newRow("replacing refused") << "no" << false << "";
    QTest::newRow("read-only folder") << "read-only" << false << "Не удалось сохранить PDF";
    QTest::newRow("disk full") << "full" << false << "Не удалось сохранить PDF";
}

void TestSheetWindow::saveOverAnOldFile() {
    QFETCH(QString, breakIt);
    QFETCH(bool, replaced);
    QFETCH(QString, message);
    kvtest::WorkFolder folder;
    QDir(folder.path()).mkdir(QStringLiteral("out"));
    const QString path = folder.path(QStringLiteral("out/Турнир.pdf"));
    folder.writeBytes(QStringLiteral("out/Турнир.pdf"), "the old sheet");
    Window w(sheetOf({"Зурко", "Пенва", "Лодыш"}, {"Милан", "Аякс", "Порту"}));
    w.dialogs.queue(breakIt == QLatin1String("no") ? kv::Dialogs::Answer::No
                                                   : kv::Dialogs::Answer::Yes);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    if (breakIt == QLatin1String("read-only")) {
        QFile::setPermissions(folder.path(QStringLiteral("out")),
                              QFile::ReadOwner | QFile::ExeOwner);
        if (QFile probe(folder.path(QStringLiteral("out/probe"))); probe.open(QIODevice::WriteOnly))
            QSKIP("this account writes into read-only folders (root); the disk-full row covers it");
    } else if (breakIt == QLatin1String("full")) {
        signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the test
        rlimit small = limit;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    w.save(path);
    setrlimit(RLIMIT_FSIZE, &limit);
    QFile::setPermissions(folder.path(QStringLiteral("out")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The question names the file in the players' language.
    QCOMPARE(w.dialogs.texts(kv::ScriptedDialogs::Kind::YesNo),
             QStringList{QStringLiteral("Файл «%1» уже есть. Заменить его?").arg(path)});
    const QStringList errors = w.dialogs.errors();
    if (message.isEmpty()) {
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    } else {
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith(message) && errors[0].contains(path) &&
                     errors[0].contains(QStringLiteral("Прежний файл остался без изменений")),
                 qPrintable(errors[0]));
    }
    const QByteArray now = folder.bytes(QStringLiteral("out/Турнир.pdf"));
    if (replaced)
        QVERIFY(now.startsWith("%PDF"));
    else
        QCOMPARE(now, QByteArray("the old sheet"));
    // No half-written file is left beside it.
    QCOMPARE(QDir(folder.path(QStringLiteral("out"))).entryList(QDir::Files).size(), 1);
}

QTEST_MAIN(TestSheetWindow)
#include "test_sheetwindow_gui.moc"
