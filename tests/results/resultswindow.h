#pragma once

// A results window in a fresh folder with every seam faked, shared by the window's tests and
// its database fault tests.

#include "results/tform9.h"
#include "resultsdb.h"

#include <QLabel>
#include <QLineEdit>

#include <memory>

namespace kvtest {

// The clock stands at the moment this table name stands for.
inline const QString kResultsTable = QStringLiteral("08_12_2016__21_05_33");
inline const QStringList kResultsNames{QStringLiteral("Зурко"), QStringLiteral("Пенва"),
                                       QStringLiteral("Лодыш")};

struct ResultsWindow : Fakes {
    explicit ResultsWindow(bool withDatabase = true)
        : Fakes(1, QDateTime(QDate(2016, 12, 8), QTime(21, 5, 33))) {
        if (withDatabase)
            createBaseDb();
        form = std::make_unique<TForm9>(services, state, database);
    }
    // What the press hands over: teams, names, captions, an enabled compute button; unless told
    // otherwise, "Никто!" is chosen as the best scorer, so that a write asks nothing.
    void handOver(bool nobodyScored = true) {
        form->showTournament(
            {kResultsNames,
             {"Команда 1", "Команда 2", "Команда 3"},
             {"Команда 2", "Команда 3", "Команда 1", "Команда 2", "Команда 3", "Команда 1"}});
        if (nobodyScored)
            form->Button6->click();
    }
    // Boxes Edit1..Edit12 all "0" but the given ones {index, text}, index 0 = Edit1.
    void scores(std::initializer_list<std::pair<int, QString>> set) {
        for (int i = 1; i <= 12; ++i)
            child<QLineEdit>(form.get(), QStringLiteral("Edit%1").arg(i))->setText("0");
        for (const auto& [i, text] : set)
            child<QLineEdit>(form.get(), QStringLiteral("Edit%1").arg(i + 1))->setText(text);
    }
    QString label(int n) const {
        return child<QLabel>(form.get(), QStringLiteral("Label%1").arg(n))->text();
    }

    WorkFolder folder;
    kv::HistoryStore database{kv::kDatabaseFile, &clock};
    std::unique_ptr<TForm9> form;
};

} // namespace kvtest
