// The program's own sheet window: the PDF it saves is the sheet as a reader we did not write
// sees it (poppler's pdfinfo and pdftotext), and a save never costs the players an old file.
#include "testsupport.h"

#include "common/savepath.h"
#include "common/textfile.h"
#include "tournament/gui_sheetwindow.h"
#include "tournament/tournamentsheet.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <tuple>
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
                                   {kvtest::imagePath(QStringLiteral("team.bmp")),
                                    kvtest::imagePath(QStringLiteral("travma.bmp")),
                                    QStringLiteral("Пенва"),
                                    {true, QStringLiteral("Победитель"), QStringLiteral("Призёр")}},
                                   QStringLiteral("09.03.2024"), kvtest::programFiles());
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
    void saveGoesOnlyWhereItMay_data();
    void saveGoesOnlyWhereItMay();
    void printingToAFileProposesTheSheetsName();
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
    kv::rememberSaveFolder(folder.path());
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
    // Under each prize, who won it.
    QVERIFY2(text.contains(QRegularExpression("Победитель +Призёр")), qPrintable(text));
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
    const QByteArray old = "%PDF-1.4 the old sheet";
    folder.writeBytes(QStringLiteral("out/Турнир.pdf"), old);
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
        QVERIFY(now.startsWith("%PDF") && now != old);
    else
        QCOMPARE(now, old);
    // No half-written file is left beside it.
    QCOMPARE(QDir(folder.path(QStringLiteral("out"))).entryList(QDir::Files).size(), 1);
}

void TestSheetWindow::saveGoesOnlyWhereItMay_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved"); // "" when nothing may be saved
    QTest::addColumn<QString>("says");  // what the refusal says
    const QString own = QStringLiteral("файл данных программы");
    const QString notPdf = QStringLiteral("это не PDF-файл");
    const std::tuple<const char*, const char*, const char*, QString> rows[] = {
        {"a name without the extension", "Вечер", "Вечер.pdf", ""},
        {"the extension in capitals", "Вечер.PDF", "Вечер.PDF", ""},
        {"the database", "base.db", "", own},
        {"the settings", "settings.ini", "", own},
        {"a list of the data folder", "bomb.txt", "", own},
        {"a safety copy", "backups/base-1.db", "", own},
        {"a link to the database", "link.pdf", "", own},
        {"not a PDF, though named so", "fake.pdf", "", notPdf},
        {"another file, no extension", "notes", "", notPdf},
        {"a folder", "out", "", QStringLiteral("это папка")}};
    for (const auto& [name, typed, saved, says] : rows)
        QTest::newRow(name) << QString(typed) << QString(saved) << says;
}

// Whatever name the players type, no file of the program and no file of another kind is lost.
// The name proposed is one not taken yet, in the documents folder the first time.
void TestSheetWindow::saveGoesOnlyWhereItMay() {
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(QString, says);
    kvtest::WorkFolder folder;
    for (const char* dir : {"backups", "out", "documents"})
        QDir(folder.path()).mkdir(dir);
    kv::writeLines(qEnvironmentVariable("XDG_CONFIG_HOME") + "/user-dirs.dirs",
                   {"XDG_DOCUMENTS_DIR=\"" + folder.path("documents") + "\""});
    const QMap<QString, QByteArray> kept{{"base.db", QByteArray("SQLite format 3\0", 16)},
                                         {"settings.ini", "1\r\n"},
                                         {"bomb.txt", "Пенва\r\n"},
                                         {"backups/base-1.db", "SQLite"},
                                         {"fake.pdf", "not a sheet"},
                                         {"notes", "a note"},
                                         {"documents/Турнир-2024-03-09.pdf", "%PDF-1.4"}};
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        folder.writeBytes(it.key(), it.value());
    QFile::link(folder.path("base.db"), folder.path("link.pdf"));
    Window w(sheetOf({"Зурко", "Пенва", "Лодыш"}, {"Милан", "Аякс", "Порту"}));
    w.save(folder.path(typed));

    QCOMPARE(w.proposed, folder.path("documents/Турнир-2024-03-09-2.pdf"));
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        QCOMPARE(folder.bytes(it.key()), it.value());
    const QStringList told = w.dialogs.texts();
    QCOMPARE(told.size(), saved.isEmpty() ? 1 : 0);
    if (saved.isEmpty())
        QVERIFY2(told[0].contains(says) && told[0].contains(typed), qPrintable(told[0]));
    else
        QVERIFY(folder.bytes(saved).startsWith("%PDF"));
    // The folder chosen is proposed next time; a refused choice is not.
    QCOMPARE(kv::saveFolder(), folder.path(saved.isEmpty() ? "documents" : ""));
}

// The print dialog proposes the document's name for printing to a file: no colon in it.
void TestSheetWindow::printingToAFileProposesTheSheetsName() {
    kvtest::WorkFolder folder;
    Window w(sheetOf({"Зурко", "Пенва", "Лодыш"}, {"Милан", "Аякс", "Порту"}));
    QString docName;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            poll.stop();
            docName = dialog->printer()->docName();
            dialog->reject();
        }
    });
    poll.start(10);
    kvtest::child<QPushButton>(&w.window, QStringLiteral("PrintButton"))->click();
    QCOMPARE(docName, QStringLiteral("Турнир-2024-03-09"));
}

QTEST_MAIN(TestSheetWindow)
#include "test_sheetwindow_gui.moc"
