// Makes the pictures of the README: plays one evening in a fresh data folder with fixed choices
// and saves the main window, the results window and the statistics view as PNG files.
// Usage: kv_screenshots SOURCE_DIR OUTPUT_DIR   (run by tools/screenshots.sh under xvfb)
#include "app/gui_program.h"
#include "app/tform1.h"
#include "app/tform6.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/gui_theme.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "common/textfile.h"
#include "fakes.h"
#include "history/historystore.h"
#include "pools/pools.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "records/gui_charts.h"
#include "records/gui_period.h"
#include "records/gui_records.h"
#include "results/tform9.h"
#include "tournament/gui_sheetwindow.h"
#include "tournament/spreadsheet.h"
#include "tournament/tform5.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

void fail(const QString& why) {
    std::fprintf(stderr, "%s\n", qPrintable(why));
    std::exit(1);
}

void save(QWidget* window, const QString& path) {
    window->show();
    window->raise();
    QApplication::processEvents();
    QTest::qWait(300);
    if (!window->grab().save(path))
        fail(QStringLiteral("cannot write ") + path);
    std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3)
        fail(QStringLiteral("usage: kv_screenshots SOURCE_DIR OUTPUT_DIR"));
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    kv::nameProgram();
    QApplication::setFont(kv::classicFont(11));
    kv::applyCarbonTheme(app);

    QTemporaryDir data;
    QDirIterator files(source + QStringLiteral("/data"), {QStringLiteral("*.txt")}, QDir::Files);
    while (files.hasNext()) {
        files.next();
        QFile::copy(files.filePath(), data.filePath(files.fileName()));
    }
    QDir::setCurrent(data.path());
    kv::writeLines(QStringLiteral("settings.ini"),
                   {"0", "clubs", "[players]", QStringLiteral("Зурко"), QStringLiteral("Пенва"),
                    QStringLiteral("Лодыш"), "[gift]", "1", "[log all teams]", "1"});
    const kv::ProgramFiles own = kv::ProgramFiles::installed();
    kv::writeLines(QStringLiteral("gift1.txt"), {own.imagePath(QStringLiteral("splayer.bmp"))});
    kv::writeLines(QStringLiteral("gift2.txt"), {own.imagePath(QStringLiteral("yellowcard.bmp"))});
    QProcess sqlite;
    sqlite.setStandardInputFile(source + QStringLiteral("/data/base.sql"));
    sqlite.start(QStringLiteral("sqlite3"), {QStringLiteral("base.db")});
    if (!sqlite.waitForFinished() || sqlite.exitCode() != 0)
        fail(QStringLiteral("sqlite3 could not create base.db"));

    kv::ScriptedDialogs dialogs;
    kv::Random random(2026);
    kv::FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(21, 5, 33)));
    kv::RecordingOpener opener;
    kv::RecordingSpreadsheetFactory sheets;
    kv::Services services{&dialogs, &random, &clock, &opener, &sheets, [] {}, own};
    kv::RunState state;
    kv::EveningOwner evening;
    ProgramWindows program(services, state, evening);
    TForm1& form1 = program.main();
    TForm9& form9 = *program.windows().form9;
    form1.show();

    sheets.shows = false; // a desktop without a spreadsheet program: the sheet window opens
    form1.Button2->click();
    form1.Button1->click();
    form1.BitBtn1->click();
    save(&form1, out + QStringLiteral("/main-window.png"));
    if (auto* sheet = form1.findChild<kv::SheetWindow*>()) {
        save(sheet, out + QStringLiteral("/sheet-window.png"));
        sheet->hide();
    }

    const QStringList scores{"2", "1", "0", "0", "1", "3", "2", "2", "1", "1", "0", "2"};
    QLineEdit* boxes[] = {form9.Edit1, form9.Edit2,  form9.Edit3,  form9.Edit4,
                          form9.Edit5, form9.Edit6,  form9.Edit7,  form9.Edit8,
                          form9.Edit9, form9.Edit10, form9.Edit11, form9.Edit12};
    for (int i = 0; i < 12; ++i)
        boxes[i]->setText(scores[i]);
    form9.Button1->click();
    form9.Button4->click();
    save(&form9, out + QStringLiteral("/results-window.png"));
    // The sheet after the evening: its scores, points and places, as a household fills it in.
    if (auto* sheet = form1.findChild<kv::SheetWindow*>()) {
        save(sheet, out + QStringLiteral("/sheet-after-evening.png"));
        sheet->hide();
    }

    form9.BitBtn1->click();
    form1.N6->trigger();
    save(&form9, out + QStringLiteral("/statistics-view.png"));

    // Two more evenings, then the charts of all three.
    const QStringList more[] = {{"1", "1", "3", "0", "0", "2", "1", "2", "2", "2", "4", "1"},
                                {"0", "1", "2", "2", "3", "1", "0", "0", "1", "2", "2", "0"}};
    for (const QStringList& evening : more) {
        clock.advance(7 * 24 * 3600);
        for (int i = 0; i < 12; ++i)
            boxes[i]->setText(evening[i]);
        form9.Button2->click(); // "Внести данные вручную": a new evening typed in
        form9.Button1->click();
        form9.Button3->click();
        form9.BitBtn1->click();
    }
    form9.hide();
    for (QAction* action : form1.findChildren<QAction*>())
        if (action->text() == QStringLiteral("Графики..."))
            action->trigger();
    if (auto* charts = form1.findChild<kv::TournamentCharts*>()) {
        save(charts, out + QStringLiteral("/charts-window.png"));
        charts->close();
    }

    // The smaller windows, opened the way the players open them.
    const Windows& w = program.windows();
    form1.N5->trigger();
    save(w.form2, out + QStringLiteral("/pools-editor.png"));
    w.form2->hide();
    form1.Button3->click();
    save(w.form8, out + QStringLiteral("/recent-teams.png"));
    w.form8->hide();
    form1.ComboBox1->setCurrentIndex(0);
    form1.ComboBox1Change();
    QMetaObject::invokeMethod(w.form7, "Button1Click");
    save(w.form7, out + QStringLiteral("/two-players.png"));
    w.form7->hide();
    form1.N8->trigger();
    save(w.form6, out + QStringLiteral("/settings-dialog.png"));
    w.form6->Button5->click();
    save(w.form5, out + QStringLiteral("/gifts.png"));

    w.form5->hide();
    w.form6->hide();

    // The records book on the tests' sample history, in a folder of its own.
    QTemporaryDir sample;
    QFile sql(sample.filePath(QStringLiteral("history.sql")));
    if (!sql.open(QIODevice::WriteOnly) ||
        sql.write(kv::readBytes(source + QStringLiteral("/data/base.sql")) +
                  kv::readBytes(source + QStringLiteral("/tests/records/sample-history.sql"))) < 0)
        fail(QStringLiteral("cannot write the sample history"));
    sql.close();
    QProcess history;
    history.setStandardInputFile(sql.fileName());
    history.start(QStringLiteral("sqlite3"), {sample.filePath(QStringLiteral("base.db"))});
    if (!history.waitForFinished() || history.exitCode() != 0)
        fail(QStringLiteral("sqlite3 could not write the sample history"));
    kv::HistoryStore sampleStore(sample.filePath(QStringLiteral("base.db")));
    kv::RecordsWindow records(sampleStore, dialogs, clock, [] {
        const QHash<QString, QString> labels = kv::poolLabelsOfTeams();
        return kv::LevelOf([labels](const QString& club) { return labels.value(club); });
    });
    records.resize(1000, 700);
    // The book of one year, as the players choose it.
    save(&records, out + QStringLiteral("/records-window.png"));
    if (auto* period = records.findChild<kv::PeriodChoice*>()) {
        period->choose(kv::Period::ofYear(2024));
        QTest::qWait(1500);
        save(&records, out + QStringLiteral("/records-window.png"));
    }

    if (!dialogs.errors().isEmpty())
        fail(dialogs.errors().join(QLatin1Char('\n')));
    return 0;
}
