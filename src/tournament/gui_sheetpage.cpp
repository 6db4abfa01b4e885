#include "tournament/gui_sheetpage.h"

#include "common/errors.h"
#include "tournament/tournamentsheet.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <numeric>

namespace kv {

namespace {

// The drawing works in tenths of a millimetre on a 297 x 210 mm page.
constexpr double kPageWidth = 2970;
constexpr double kPageHeight = 2100;
constexpr double kLeft = 127; // the workbook's margins: 0.5 in at the sides,
constexpr double kTop = 229;  // 0.9 in at the top with the header at 0.4 in
constexpr double kHeaderTop = 102;
constexpr double kPerPoint = 3.5278; // tenths of a millimetre per typographic point
constexpr double kIndent = 24;       // a cell's text indent
constexpr double kPicture = 169;     // 64 pixels at 96 dpi

// Column widths in the workbook's units, and row heights in points (rows 1 to 15). The last
// column, the matches' chances, is there only when they are known.
constexpr std::array<double, 6> kColumns{30, 38, 38, 13, 13, 52};
constexpr std::array<double, 15> kRows{28, 28, 28, 28, 15, 28, 28, 28, 28, 28, 28, 28, 28, 28, 72};

enum class Look { Heading, Name, NumberBox, Caption, MatchNumber, PictureBox, BestScorer, Chances };

QFont sheetFont(double points, bool bold = false, bool underline = false) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qRound(points * kPerPoint));
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

class Table {
public:
    Table(QPainter& painter, bool withChances) : p_(painter) {
        const std::size_t columns = kColumns.size() - (withChances ? 0 : 1);
        const double total = std::accumulate(kColumns.begin(), kColumns.begin() + columns, 0.0);
        const double width = kPageWidth - 2 * kLeft;
        double x = kLeft;
        for (std::size_t i = 0; i < columns; ++i) {
            x_[i] = x;
            x += width * kColumns[i] / total;
        }
        x_[columns] = x;
        double y = kTop;
        for (std::size_t i = 0; i < kRows.size(); ++i) {
            y_[i] = y;
            y += kRows[i] * kPerPoint;
        }
        y_[kRows.size()] = y;
    }

    // A cell from column `first` to `last` (0 = A) in row `row` (1 = the first row).
    QRectF cell(int row, int first, int last = -1) const {
        if (last < 0)
            last = first;
        return QRectF(QPointF(x_[first], y_[row - 1]), QPointF(x_[last + 1], y_[row]));
    }

    void put(const QRectF& box, Look look, const QString& text = QString()) {
        const bool framed = look != Look::Caption;
        if (look == Look::Heading || look == Look::MatchNumber)
            p_.fillRect(box, QColor(0xD9, 0xD9, 0xD9));
        if (framed) {
            p_.setPen(QPen(Qt::black, 3));
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(box);
        }
        if (text.isEmpty())
            return;
        QFont font;
        Qt::Alignment align = Qt::AlignVCenter;
        QRectF area = box;
        int flags = Qt::TextSingleLine;
        switch (look) {
        case Look::Heading:
            font = sheetFont(12, true);
            align |= Qt::AlignHCenter;
            break;
        case Look::Name:
            font = sheetFont(12);
            align |= Qt::AlignLeft;
            area.adjust(kIndent, 0, -kIndent / 2, 0);
            break;
        case Look::NumberBox:
            font = sheetFont(14, true);
            align |= Qt::AlignHCenter;
            break;
        case Look::Caption:
            font = sheetFont(13, true, true);
            align |= Qt::AlignLeft;
            break;
        case Look::MatchNumber:
            font = sheetFont(12);
            align |= Qt::AlignHCenter;
            break;
        case Look::PictureBox:
            return;
        case Look::Chances:
            font = sheetFont(10);
            align |= Qt::AlignLeft;
            area.adjust(kIndent, 0, -kIndent / 2, 0);
            break;
        case Look::BestScorer:
            font = sheetFont(14, true);
            align |= Qt::AlignHCenter;
            area.adjust(kIndent / 2, 0, -kIndent / 2, 0);
            flags = Qt::TextWordWrap;
            break;
        }
        // A long name shrinks to fit its box rather than being cut, as the workbook's cells do.
        const QRectF need = QFontMetricsF(font).boundingRect(area, flags | int(align), text);
        if (need.width() > area.width() || need.height() > area.height()) {
            const double scale =
                std::min(area.width() / need.width(), area.height() / need.height());
            font.setPixelSize(std::max(8, int(font.pixelSize() * scale)));
        }
        p_.setFont(font);
        p_.setPen(Qt::black);
        p_.drawText(area, flags | int(align), text);
    }

private:
    QPainter& p_;
    std::array<double, kColumns.size() + 1> x_{};
    std::array<double, kRows.size() + 1> y_{};
};

// A prize: its picture in the box's corner, what it lets its holder do beside it, the name of
// its holder under it.
void drawPrize(QPainter& painter, const QRectF& box, const QString& path, const QString& meaning,
               const QString& holder) {
    const QImage picture(path);
    if (!picture.isNull()) { // else the workbook could not have been made either
        const QSizeF size =
            QSizeF(picture.size()).scaled(QSizeF(kPicture, kPicture), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(box.topLeft() + QPointF(12, 12), size), picture);
    }
    if (!meaning.isEmpty()) {
        const QRectF beside = box.adjusted(12 + kPicture + kIndent, 12, -kIndent / 2, -12 - 60);
        QFont font = sheetFont(9);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        // A long meaning shrinks to fit beside the picture.
        while (font.pixelSize() > 8 &&
               QFontMetricsF(font).boundingRect(beside, flags, meaning).height() > beside.height())
            font.setPixelSize(font.pixelSize() - 1);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(beside, flags, meaning);
    }
    if (holder.isEmpty())
        return;
    const QRectF area = box.adjusted(kIndent, 12 + kPicture, -kIndent, 0);
    QFont font = sheetFont(10);
    const double width = QFontMetricsF(font).horizontalAdvance(holder);
    if (width > area.width()) // a long name shrinks rather than being cut
        font.setPixelSize(std::max(8, int(font.pixelSize() * area.width() / width)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, holder);
}

QString pdfFailure(const QString& path, const QString& reason, bool oldFileKept) {
    QString text = QStringLiteral("Не удалось сохранить PDF-файл «%1»: %2.\n"
                                  "Выберите другую папку или освободите место на диске.")
                       .arg(QDir::toNativeSeparators(path), reason);
    if (oldFileKept)
        text += QStringLiteral("\nПрежний файл остался без изменений.");
    return text;
}

} // namespace

QPageLayout sheetPageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF());
}

void paintTournamentSheet(QPainter& painter, const QRectF& page, const TournamentSheet& sheet) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double scale = std::min(page.width() / kPageWidth, page.height() / kPageHeight);
    painter.translate(page.center());
    painter.scale(scale, scale);
    painter.translate(-kPageWidth / 2, -kPageHeight / 2);
    painter.fillRect(QRectF(0, 0, kPageWidth, kPageHeight), Qt::white);

    // The header, as the workbook prints it: the title on the left, the date on the right.
    const QRectF header(kLeft, kHeaderTop, kPageWidth - 2 * kLeft, kTop - kHeaderTop - 20);
    painter.setPen(Qt::black);
    painter.setFont(sheetFont(14, true));
    painter.drawText(header, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, sheet.title);
    painter.setFont(sheetFont(12));
    painter.drawText(header, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, sheet.date);

    namespace t = sheet_text;
    const bool withChances = hasChances(sheet);
    Table table(painter, withChances);
    // Players, teams, and boxes for the points and the place.
    table.put(table.cell(1, 0), Look::Heading, t::kPlayer);
    table.put(table.cell(1, 1), Look::Heading, t::kTeam);
    table.put(table.cell(1, 2), Look::Heading, t::kPoints);
    table.put(table.cell(1, 3, 4), Look::Heading, t::kPlace);
    for (int i = 0; i < 3; ++i) {
        table.put(table.cell(2 + i, 0), Look::Name, sheet.players.value(i));
        table.put(table.cell(2 + i, 1), Look::Name, sheet.teams.value(i));
        table.put(table.cell(2 + i, 2), Look::NumberBox, sheet.points.value(i));
        table.put(table.cell(2 + i, 3, 4), Look::NumberBox, sheet.places.value(i));
    }
    // Both legs, each match with a box per side for its goals.
    const auto leg = [&](int row, const QString& caption, const QList<SheetMatch>& matches,
                         int firstNumber) {
        table.put(table.cell(row, 0), Look::Caption, caption);
        table.put(table.cell(row, 1), Look::Heading, t::kHome);
        table.put(table.cell(row, 2), Look::Heading, t::kAway);
        table.put(table.cell(row, 3, 4), Look::Heading, t::kScore);
        if (withChances)
            table.put(table.cell(row, 5), Look::Heading, t::kChances);
        for (int i = 0; i < 3; ++i) {
            const SheetMatch match = matches.value(i);
            table.put(table.cell(row + 1 + i, 0), Look::MatchNumber,
                      t::kMatch.arg(firstNumber + i));
            table.put(table.cell(row + 1 + i, 1), Look::Name, match.home);
            table.put(table.cell(row + 1 + i, 2), Look::Name, match.away);
            table.put(table.cell(row + 1 + i, 3), Look::NumberBox, match.homeGoals);
            table.put(table.cell(row + 1 + i, 4), Look::NumberBox, match.awayGoals);
            if (withChances)
                table.put(table.cell(row + 1 + i, 5), Look::Chances, match.chances);
        }
    };
    leg(6, t::kFirstLeg, sheet.firstLeg, 1);
    leg(10, t::kSecondLeg, sheet.secondLeg, 4);
    // The previous tournament's prizes.
    table.put(table.cell(14, 0), Look::Caption, t::kPrizes);
    table.put(table.cell(14, 1), Look::Heading, t::kFirstPlace);
    table.put(table.cell(14, 2), Look::Heading, t::kSecondPlace);
    table.put(table.cell(14, 3, 4), Look::Heading, t::kBestScorer);
    table.put(table.cell(15, 1), Look::PictureBox);
    table.put(table.cell(15, 2), Look::PictureBox);
    table.put(table.cell(15, 3, 4), Look::BestScorer, sheet.prizes.bestScorer);
    // Before anybody won a prize there is none to show.
    const PrizeHolders& holders = sheet.prizes.holders;
    if (holders.won) {
        drawPrize(painter, table.cell(15, 1), sheet.firstPicture, sheet.firstMeaning,
                  holders.shownHolder(1));
        drawPrize(painter, table.cell(15, 2), sheet.secondPicture, sheet.secondMeaning,
                  holders.shownHolder(2));
    }
    painter.restore();
}

void writeSheetPdf(QIODevice& device, const TournamentSheet& sheet) {
    QPdfWriter writer(&device);
    writer.setCreator(sheet.title);
    writer.setTitle(sheet.title + QLatin1Char(' ') + sheet.date);
    writer.setPageLayout(sheetPageLayout());
    QPainter painter;
    if (!painter.begin(&writer))
        throw Error(QStringLiteral("Не удалось начать рисование PDF-файла."));
    paintTournamentSheet(painter, QRectF(0, 0, writer.width(), writer.height()), sheet);
    painter.end();
}

void saveSheetPdf(const TournamentSheet& sheet, const QString& path) {
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(pdfFailure(path, file.errorString(), existed));
    writeSheetPdf(file, sheet);
    if (!file.commit())
        throw Error(pdfFailure(path, file.errorString(), existed));
}

} // namespace kv
