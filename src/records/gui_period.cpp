#include "records/gui_period.h"

#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSignalBlocker>

namespace kv {

AskDates datesDialog() {
    return [](QWidget* parent, QDate from, QDate to) -> std::optional<std::pair<QDate, QDate>> {
        QDialog dialog(parent);
        dialog.setWindowTitle(QStringLiteral("Свои даты"));
        auto* layout = new QFormLayout(&dialog);
        const auto field = [&](QDate date, const QString& name) {
            auto* edit = new QDateEdit(date, &dialog);
            edit->setObjectName(name);
            edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
            edit->setCalendarPopup(true);
            return edit;
        };
        QDateEdit* first = field(from, QStringLiteral("FromDate"));
        QDateEdit* last = field(to, QStringLiteral("ToDate"));
        layout->addRow(QStringLiteral("С:"), first);
        layout->addRow(QStringLiteral("По:"), last);
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        layout->addRow(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return std::pair{first->date(), last->date()};
    };
}

PeriodChoice::PeriodChoice(QWidget* parent) : QComboBox(parent), ask_(datesDialog()) {
    setObjectName(QStringLiteral("PeriodChoice"));
    setToolTip(QStringLiteral("Какие турниры учитывать"));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    rebuild();
    connect(this, &QComboBox::activated, this, &PeriodChoice::picked);
}

void PeriodChoice::setHeld(const QList<HeldYear>& held) {
    held_ = held;
    rebuild();
}

void PeriodChoice::choose(const Period& period) {
    const bool changed = !(period == period_);
    period_ = period;
    rebuild();
    if (changed)
        emit periodChosen();
}

void PeriodChoice::rebuild() {
    const QSignalBlocker quiet(this);
    clear();
    items_.clear();
    const auto add = [&](const QString& text, std::optional<Period> p) {
        addItem(text);
        items_.append(p);
    };
    add(Period().title(), Period());
    const bool ofYear =
        period_.kind() == Period::Kind::Year || period_.kind() == Period::Kind::Month;
    const int chosenYear = ofYear ? period_.first().year() : 0;
    QList<HeldYear> years = held_;
    // A chosen year the history no longer holds stays listed: its book says it is empty.
    if (chosenYear && std::none_of(years.cbegin(), years.cend(),
                                   [&](const HeldYear& y) { return y.year == chosenYear; })) {
        qsizetype at = 0;
        while (at < years.size() && years[at].year > chosenYear)
            ++at;
        years.insert(at, HeldYear{chosenYear, {}});
    }
    for (const HeldYear& y : years) {
        add(QString::number(y.year), Period::ofYear(y.year));
        if (y.year != chosenYear)
            continue;
        QList<int> months = y.months;
        if (period_.kind() == Period::Kind::Month && !months.contains(period_.first().month())) {
            months.append(period_.first().month());
            std::sort(months.rbegin(), months.rend());
        }
        for (const int m : months)
            add(QStringLiteral("    ") + Period::ofMonth(y.year, m).title(),
                Period::ofMonth(y.year, m));
    }
    if (period_.kind() == Period::Kind::Dates)
        add(period_.title(), period_);
    add(QStringLiteral("Свои даты..."), std::nullopt);
    for (qsizetype i = 0; i < items_.size(); ++i)
        if (items_[i] && *items_[i] == period_)
            setCurrentIndex(int(i));
}

void PeriodChoice::picked(int index) {
    if (index < 0 || index >= items_.size())
        return;
    if (items_[index]) {
        choose(*items_[index]);
        return;
    }
    // Own dates: the period shown is proposed, else the month up to today.
    const QDate today = QDate::currentDate();
    const QDate from = period_.isAllTime() ? today.addMonths(-1) : period_.first();
    const QDate to = period_.isAllTime() ? today : period_.last();
    const auto dates = ask_ ? ask_(this, from, to) : std::nullopt;
    if (dates)
        choose(Period::between(dates->first, dates->second));
    else
        rebuild(); // back to the period shown
}

} // namespace kv
