#pragma once

#include "history/historyfaults.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace kv {

class Dialogs;
class HistoryStore;

// "Восстановить из копии": the safety copies of the history and the files earlier restores set
// aside, newest first, each with the time it was made, how many tournaments it holds, the last
// of them and the change it came before; the chosen one is put in the place of base.db after a
// question, the current file kept beside it.
class RestoreWindow : public QWidget {
    Q_OBJECT
public:
    RestoreWindow(HistoryStore& store, Dialogs& dialogs, QWidget* parent = nullptr);
    ~RestoreWindow() override;

    static const QString kTitle;
    // Reads the copies again (each showing does); the list fills when they are read.
    void refresh();
    void restoreClick();
    HistoryStore& store() const { return store_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill(const QList<CopySummary>& copies);

    HistoryStore& store_;
    Dialogs& dialogs_;
    QList<CopySummary> copies_;
    QTableWidget* list_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* restore_ = nullptr;
    int reading_ = 0;
};

// Shows the program's one restore window, made on first use under owner; asking again brings
// the open one to the front.
void showRestoreWindow(QWidget* owner, HistoryStore& store, Dialogs& dialogs);

} // namespace kv
