// Writes a household's history into a data folder, for looking at the program on a long history
// by hand; optionally saves that history's records book as a PDF, as the records window does.
// Usage: kv_household DIR [EVENINGS] [--pdf FILE]
#include "common/clock.h"
#include "fakes.h"
#include "household.h"
#include "pools/pools.h"
#include "records/gui_records.h"
#include "history/historystore.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString pdf;
    if (const qsizetype at = args.indexOf(QStringLiteral("--pdf")); at >= 0 && at + 1 < args.size()) {
        pdf = QFileInfo(args[at + 1]).absoluteFilePath();
        args.remove(at, 2);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: kv_household DIR [EVENINGS] [--pdf FILE]\n");
        return 2;
    }
    const QString base = QDir(args[0]).filePath(QStringLiteral("base.db"));
    kvtest::writeHousehold({.evenings = args.value(1, QStringLiteral("300")).toInt()}, base);
    std::printf("%s\n", qPrintable(base));
    if (pdf.isEmpty())
        return 0;
    // The levels as the pools of that folder give them.
    QDir::setCurrent(args[0]);
    kv::ScriptedDialogs dialogs;
    kv::FixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(20, 0)));
    kv::HistoryStore store(base);
    kv::RecordsWindow records(store, dialogs, clock, [] {
        const QHash<QString, QString> labels = kv::poolLabelsOfTeams();
        return kv::LevelOf([labels](const QString& club) { return labels.value(club); });
    });
    records.setChooseSaveFile([&](QWidget*, const QString&) { return pdf; });
    records.show();
    if (!QTest::qWaitFor([&] { return !records.isComputing(); }, 60000))
        return 1;
    records.savePdfClick();
    for (const QString& error : dialogs.errors())
        std::fprintf(stderr, "%s\n", qPrintable(error));
    std::printf("%s\n", qPrintable(pdf));
    return dialogs.errors().isEmpty() ? 0 : 1;
}
