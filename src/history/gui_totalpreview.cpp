#include "history/gui_totalpreview.h"

#include "common/gui_fulltexttips.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {

QStringList columns() {
    return QStringList{QStringLiteral("Игрок")} + kTotalFigureColumns;
}

// Room for a name of about twenty letters.
constexpr int kNameColumnWidth = 140;

QTableWidget* table(const QList<TotalLine>& lines, bool rebuilt, QWidget* parent) {
    auto* t = new QTableWidget(int(lines.size()), int(columns().size()), parent);
    t->setHorizontalHeaderLabels(columns());
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    for (int r = 0; r < lines.size(); ++r) {
        const TotalLine& l = lines[r];
        const std::optional<Figures>& shown = rebuilt ? l.rebuilt : l.stored;
        const std::optional<Figures>& other = rebuilt ? l.stored : l.rebuilt;
        auto* name = new QTableWidgetItem(l.player);
        name->setToolTip(plainTip(l.player)); // the whole name, also when the column cuts it
        t->setItem(r, 0, name);
        // A row that stays as it is shows the stored sums on both sides.
        const std::optional<Figures>& value = (rebuilt && !l.rebuilt) ? l.stored : shown;
        if (!value)
            continue;
        const std::array<qint64, 10> f = value->inTotalOrder();
        const std::optional<std::array<qint64, 10>> o =
            other ? std::optional(other->inTotalOrder()) : std::nullopt;
        for (size_t c = 0; c < f.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::number(f[c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (l.rebuilt && (!o || (*o)[c] != f[c])) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            t->setItem(r, int(c) + 1, item);
        }
    }
    t->resizeColumnsToContents();
    // A long name is cut short with "..." rather than pushing the figures out of sight.
    t->setTextElideMode(Qt::ElideRight);
    t->setColumnWidth(0, std::min(t->columnWidth(0), kNameColumnWidth));
    return t;
}

} // namespace

QString rebuildNote(const TotalRebuild& rebuild) {
    QStringList kept;
    for (const TotalLine& l : rebuild.lines)
        if (!l.rebuilt)
            kept << l.player;
    QString text = QStringLiteral("Слева - \"Total\" сейчас, справа - каким он станет, если "
                                  "сложить все записанные турниры (отличия выделены).");
    if (!kept.isEmpty())
        text += QStringLiteral("\nСтроки игроков, которых нет ни в одном турнире, останутся как "
                               "есть: %1.")
                    .arg(kept.join(QStringLiteral(", ")));
    if (!rebuild.leftOut.isEmpty()) {
        text += QStringLiteral("\nЭти таблицы не посчитаны:");
        for (const QString& line : describeLeftOut(rebuild.leftOut))
            text += QStringLiteral("\n    ") + line;
    }
    text += QStringLiteral("\nЗаменить \"Total\"? Перед заменой сохраняется копия базы.");
    return text;
}

bool confirmTotalRebuild(QWidget* parent, const TotalRebuild& rebuild) {
    const QList<TotalLine>& lines = rebuild.lines;
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Пересчитать Total"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* note = new QLabel(rebuildNote(rebuild), &dialog);
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* sides = new QHBoxLayout;
    for (const bool rebuilt : {false, true}) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(rebuilt ? QStringLiteral("После пересчёта")
                                             : QStringLiteral("Сейчас в Total"),
                                     &dialog));
        column->addWidget(table(lines, rebuilt, &dialog));
        sides->addLayout(column);
    }
    layout->addLayout(sides);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Заменить Total"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    // Both tables with all their figures where the screen allows: about 1540 pixels.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() - 20 : 1100;
    dialog.resize(std::min(room, 1540), 420);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace kv
