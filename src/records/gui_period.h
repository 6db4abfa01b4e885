#pragma once

#include "records/period.h"

#include <QComboBox>

#include <functional>
#include <optional>
#include <utility>

namespace kv {

// Asks the players for their own dates, proposing from and to; none when they cancel.
using AskDates =
    std::function<std::optional<std::pair<QDate, QDate>>(QWidget* parent, QDate from, QDate to)>;
// A small dialog with two date fields.
AskDates datesDialog();

// The choice of a period: "Всё время", each year that holds tournaments (newest first), the
// months of the chosen year, and "Свои даты...".
class PeriodChoice : public QComboBox {
    Q_OBJECT
public:
    explicit PeriodChoice(QWidget* parent = nullptr);

    // The years and months the history holds; the period chosen stays chosen.
    void setHeld(const QList<HeldYear>& held);
    Period period() const { return period_; }
    // Chooses a period as the players would; tells of it when it changed.
    void choose(const Period& period);
    void setAskDates(AskDates ask) { ask_ = std::move(ask); }

signals:
    void periodChosen();

private:
    void rebuild();
    void picked(int index);

    QList<HeldYear> held_;
    Period period_;
    QList<std::optional<Period>> items_; // none: "Свои даты..."
    AskDates ask_;
};

} // namespace kv
