#pragma once

// A results window in a fresh folder with every seam faked, shared by the window's tests and
// its database fault tests.

#include "historydb.h"
#include "results/tform9.h"
#include "tournament/evening.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSqlRecord>
#include <QSqlTableModel>

#include <memory>

namespace kvtest {

// The table the results window's grid shows.
inline QSqlTableModel* gridTable(const TForm9* form) {
    return child<QSqlTableModel>(const_cast<TForm9*>(form), QStringLiteral("ADOTable1"));
}

// The clock stands at the moment this table name stands for.
inline const QString kResultsTable = QStringLiteral("08_12_2016__21_05_33");

// The values of one column of the table the grid shows, by the database's name of the column.
inline QStringList gridColumn(const TForm9& form, const QString& name) {
    QStringList values;
    const QSqlTableModel* table = gridTable(&form);
    const int c = table->record().indexOf(name);
    for (int r = 0; r < table->rowCount(); ++r)
        values << table->index(r, c).data().toString();
    return values;
}

// The items of the list of tournaments that stand for a table: each keeps its table's name.
inline QList<QListWidgetItem*> listedItems(const QListWidget* list, const QString& table) {
    QList<QListWidgetItem*> found;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toString() == table)
            found.append(list->item(i));
    return found;
}

// The tables of the list of tournaments, in the list's order.
inline QStringList listedTables(const QListWidget* list) {
    QStringList tables;
    for (int i = 0; i < list->count(); ++i)
        tables << list->item(i)->data(Qt::UserRole).toString();
    return tables;
}

// Chooses a table in the list of tournaments, as a click on it does.
inline void choose(const TForm9& form, const QString& table) {
    const auto found = listedItems(form.ListBox1, table);
    QVERIFY(!found.isEmpty());
    if (form.ListBox1->currentItem() == found.first())
        const_cast<TForm9&>(form).ListBox1Click(); // a click on the chosen item opens it again
    else
        form.ListBox1->setCurrentItem(found.first());
}

struct ResultsWindow : Fakes {
    explicit ResultsWindow(bool withDatabase = true)
        : Fakes(1, QDateTime(QDate(2016, 12, 8), QTime(21, 5, 33))) {
        if (withDatabase)
            createBaseDb();
        form = std::make_unique<TForm9>(services, database, &evening);
    }
    // What the press hands over: teams, names, captions, an enabled compute button; unless told
    // otherwise, "Никто!" is chosen as the best scorer, so that a write asks nothing.
    void handOver(bool nobodyScored = true) {
        form->showTournament(
            {kPlayers,
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
    QStringList list() const { return listedTables(form->ListBox1); }
    void choose(const QString& table) const { kvtest::choose(*form, table); }
    QStringList gridColumn(const QString& name) const { return kvtest::gridColumn(*form, name); }
    QString label(int n) const {
        return child<QLabel>(form.get(), QStringLiteral("Label%1").arg(n))->text();
    }

    WorkFolder folder;
    // Only the fault tests let another connection hold the file: they need not wait as long as
    // the program does for it to let go.
    kv::HistoryStore database{kv::kDatabaseFile, &clock, 100};
    kv::EveningOwner evening;
    std::unique_ptr<TForm9> form;
};

} // namespace kvtest
