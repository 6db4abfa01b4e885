#include "records/gui_eveningcard.h"

#include "common/besidework.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/guard.h"
#include "history/historyread.h"
#include "history/historystore.h"

#include <QClipboard>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <QVBoxLayout>

#include <memory>

namespace kv {

namespace {

const QString kDots = QStringLiteral("...");
const QString kRecordPrefix = QStringLiteral("Новый рекорд: ");

// Colours of print, not of the theme.
const QColor kGround(0xFB, 0xF8, 0xF1);
const QColor kGreen(0x1E, 0x5B, 0x3A);
const QColor kInk(0x1D, 0x1D, 0x1D);
const QColor kGrey(0x5A, 0x5A, 0x5A);
const QColor kRule(0xDD, 0xD6, 0xC8);
const QColor kSeason(0xE6, 0xEF, 0xE3);

constexpr int kMargin = 60;
constexpr int kInner = EveningCard::kWidth - 2 * kMargin;

// Draws every text as plain text in one line of its box, shortened to fit, and keeps a list of
// what it drew.
class CardPainter {
public:
    CardPainter(QImage& image, QStringList& texts) : painter_(&image), texts_(texts) {
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setRenderHint(QPainter::TextAntialiasing);
    }
    void font(int pixels, bool bold, const QColor& colour) {
        QFont f = painter_.font();
        f.setPixelSize(pixels);
        f.setBold(bold);
        painter_.setFont(f);
        painter_.setPen(colour);
    }
    void text(const QRect& box, const QString& text, Qt::Alignment align = Qt::AlignLeft) {
        const QString shown = shortened(text, painter_.fontMetrics(), box.width());
        painter_.drawText(box, int(align | Qt::AlignVCenter | Qt::TextSingleLine), shown);
        texts_.append(shown);
    }
    // Words over at most `most` lines from `top`, the last shortened; returns the lines drawn.
    int wrapped(int top, int lineHeight, const QString& text, int most, int indent = 0) {
        const QFontMetrics fm = painter_.fontMetrics();
        const int width = kInner - indent;
        QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        int lines = 0;
        while (!words.isEmpty() && lines < most) {
            QString line = words.takeFirst();
            if (lines + 1 < most)
                while (!words.isEmpty() &&
                       fm.horizontalAdvance(line + QLatin1Char(' ') + words.first()) <= width)
                    line += QLatin1Char(' ') + words.takeFirst();
            else if (!words.isEmpty())
                line += QLatin1Char(' ') + words.join(QLatin1Char(' ')), words.clear();
            this->text(QRect(kMargin + indent, top + lines * lineHeight, width, lineHeight), line);
            ++lines;
        }
        return lines;
    }
    void fill(const QRect& box, const QColor& colour) { painter_.fillRect(box, colour); }
    QFontMetrics metrics() const { return painter_.fontMetrics(); }
    void rule(int y) {
        painter_.setPen(kRule);
        painter_.drawLine(kMargin, y, kMargin + kInner, y);
    }

private:
    QPainter painter_;
    QStringList& texts_;
};

void heading(CardPainter& p, int& y, const QString& text) {
    p.font(34, true, kGreen);
    p.text(QRect(kMargin, y, kInner, 46), text);
    y += 52;
}

void tableRows(CardPainter& p, int& y, const EveningSummary& s) {
    heading(p, y, QStringLiteral("Таблица"));
    for (int i = 0; i < s.table3.size(); ++i) {
        const EveningSummary::Line& line = s.table3[i];
        p.font(46, true, kInk);
        p.text(QRect(kMargin, y, kInner - 400, 58),
               QStringLiteral("%1. %2").arg(line.place).arg(isolated(line.player)));
        p.text(QRect(kMargin + kInner - 390, y, 390, 58), pointsText(line), Qt::AlignRight);
        p.font(29, false, kGrey);
        // A long club gives way to its level, which says more about the evening.
        const QString level = QStringLiteral(" · ") + line.level;
        const int room = kInner - 46 - 490;
        p.text(QRect(kMargin + 46, y + 58, room, 42),
               shortened(isolated(line.club), p.metrics(),
                         room - p.metrics().horizontalAdvance(level)) +
                   level);
        if (i < s.ratings.size()) {
            p.text(QRect(kMargin + kInner - 480, y + 58, 480, 42),
                   QStringLiteral("рейтинг ") + ratingChangeText(s.ratings[i]), Qt::AlignRight);
        }
        y += 106;
        p.rule(y - 4);
    }
    y += 12;
}

void scoreRows(CardPainter& p, int& y, const EveningSummary& s) {
    heading(p, y, QStringLiteral("Матчи"));
    constexpr int number = 50, side = 375, score = 130, height = 46;
    for (int i = 0; i < s.scores.size(); ++i) {
        const EveningSummary::Score& m = s.scores[i];
        p.font(34, false, kGrey);
        p.text(QRect(kMargin, y, number, height), QString::number(i + 1));
        p.font(34, false, kInk);
        p.text(QRect(kMargin + number, y, side, height), isolated(m.home), Qt::AlignRight);
        p.text(QRect(kMargin + number + side + score, y, side, height), isolated(m.away));
        p.font(36, true, kInk);
        p.text(QRect(kMargin + number + side, y, score, height),
               QStringLiteral("%1:%2").arg(m.homeGoals).arg(m.awayGoals), Qt::AlignHCenter);
        y += height;
    }
    y += 14;
}

void facts(CardPainter& p, int& y, const EveningSummary& s) {
    p.font(36, false, kInk);
    if (s.bestScorer) {
        p.text(QRect(kMargin, y, kInner, 48), bestScorerText(s));
        y += 50;
    }
    if (s.playerOfEvening) {
        p.text(QRect(kMargin, y, kInner, 48),
               QStringLiteral("Игрок вечера: ") + isolated(*s.playerOfEvening));
        y += 50;
    }
    y += 8;
}

void records(CardPainter& p, int y, int bottom, const EveningSummary& s) {
    if (s.records.isEmpty())
        return;
    heading(p, y, QStringLiteral("Новые рекорды"));
    constexpr int lineHeight = 38;
    p.font(29, false, kInk);
    for (int i = 0; i < s.records.size(); ++i) {
        const int room = (bottom - y) / lineHeight;
        const int left = int(s.records.size()) - i;
        if (room < 1)
            break;
        // The last line that fits says how many more there are, when it cannot hold them.
        if (left > 1 && room == 1) {
            p.text(QRect(kMargin, y, kInner, lineHeight),
                   QStringLiteral("И ещё %1 — в тексте для чата.")
                       .arg(countOf(left, QStringLiteral("рекорд"), QStringLiteral("рекорда"),
                                    QStringLiteral("рекордов"))));
            break;
        }
        QString record = s.records[i];
        if (record.startsWith(kRecordPrefix))
            record = record.mid(kRecordPrefix.size());
        y += lineHeight * p.wrapped(y, lineHeight, QStringLiteral("• ") + record,
                                    std::min(3, room - (left > 1)));
    }
}

} // namespace

QString shortened(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    // Cut between whole letters, an accent never parted from its letter.
    QTextBoundaryFinder letters(QTextBoundaryFinder::Grapheme, text);
    letters.toEnd();
    for (qsizetype end = letters.toPreviousBoundary(); end > 0;
         end = letters.toPreviousBoundary()) {
        QString cut = text.left(end);
        while (cut.endsWith(QLatin1Char(' ')))
            cut.chop(1);
        if (cut.count(QChar(0x2068)) > cut.count(QChar(0x2069)))
            cut += QChar(0x2069);
        if (metrics.horizontalAdvance(cut + kDots) <= width)
            return cut + kDots;
    }
    return kDots;
}

EveningCard drawEveningCard(const EveningSummary& s) {
    EveningCard card;
    card.image = QImage(EveningCard::kWidth, EveningCard::kHeight, QImage::Format_RGB32);
    card.image.fill(kGround);
    CardPainter p(card.image, card.texts);

    p.fill(QRect(0, 0, EveningCard::kWidth, 190), kGreen);
    p.font(66, true, Qt::white);
    p.text(QRect(kMargin, 26, kInner, 84), QStringLiteral("Итоги вечера"));
    p.font(44, false, Qt::white);
    p.text(QRect(kMargin, 110, kInner, 58), s.date);

    int y = 214;
    tableRows(p, y, s);
    scoreRows(p, y, s);
    facts(p, y, s);

    int bottom = EveningCard::kHeight - 24;
    if (!s.season.isEmpty()) {
        const int top = EveningCard::kHeight - 130;
        p.fill(QRect(0, top, EveningCard::kWidth, EveningCard::kHeight - top), kSeason);
        p.font(32, true, kGreen);
        p.wrapped(top + 16, 46, seasonText(s), 2);
        bottom = top - 10;
    }
    records(p, y, bottom, s);
    return card;
}

const QString EveningCardWindow::kTitle = QStringLiteral("Итоги вечера");

EveningCardWindow::EveningCardWindow(HistoryStore& store, Dialogs& dialogs,
                                     std::function<LevelOf()> levels, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), dialogs_(dialogs), levels_(std::move(levels)),
      choose_(fileDialogChooser(QStringLiteral("Сохранить картинку"), pngKind())) {
    setObjectName(QStringLiteral("EveningCardWindow"));
    setWindowTitle(kTitle);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("CardPicture"));
    picture_->setFixedSize(EveningCard::kWidth / 2, EveningCard::kHeight / 2);
    picture_->setAlignment(Qt::AlignCenter);
    const auto button = [this](const QString& text, const QString& name, const QString& keys) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setShortcut(QKeySequence(keys));
        b->setToolTip(QStringLiteral("%1 (%2)").arg(text, keys));
        b->setEnabled(false);
        return b;
    };
    copyPicture_ = button(QStringLiteral("Копировать картинку"),
                          QStringLiteral("CopyPictureButton"), QStringLiteral("Ctrl+C"));
    copyText_ = button(QStringLiteral("Копировать текст"), QStringLiteral("CopyTextButton"),
                       QStringLiteral("Ctrl+Shift+C"));
    savePicture_ = button(QStringLiteral("Сохранить картинку..."),
                          QStringLiteral("SavePictureButton"), QStringLiteral("Ctrl+S"));
    // On Linux desktops the clipboard belongs to the program that copied.
    auto* note = new QLabel(QStringLiteral("Картинка и текст остаются в буфере обмена, пока "
                                           "программа открыта: вставьте их в чат до её закрытия "
                                           "или сохраните картинку в файл."),
                            this);
    note->setObjectName(QStringLiteral("ClipboardNote"));
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("CardStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    reading_ = new BesideWork(this);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {copyPicture_, copyText_, savePicture_})
        side->addWidget(b);
    side->addSpacing(12);
    side->addWidget(note);
    side->addWidget(status_);
    side->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture_);
    layout->addLayout(side);
    picture_->setMinimumWidth(picture_->width());
    note->setFixedWidth(260);
    status_->setFixedWidth(260);

    connectGuarded(dialogs_, copyPicture_, &QPushButton::clicked, this,
                   &EveningCardWindow::copyPictureClick);
    connectGuarded(dialogs_, copyText_, &QPushButton::clicked, this,
                   &EveningCardWindow::copyTextClick);
    connectGuarded(dialogs_, savePicture_, &QPushButton::clicked, this,
                   &EveningCardWindow::savePictureClick);
    // A corrected score or a renamed player shows on the card at once; a closed card is made
    // again when shown, so that a deletion elsewhere brings up no message from a hidden window.
    connectGuarded(dialogs_, &store_, &HistoryStore::historyChanged, this, [this] {
        stale_ = true;
        if (!table_.isEmpty() && isVisible())
            refresh();
    });
}

void EveningCardWindow::showEvent(QShowEvent* event) {
    if (stale_ && !table_.isEmpty())
        refresh();
    QWidget::showEvent(event);
}

EveningCardWindow::~EveningCardWindow() = default;

bool EveningCardWindow::isComputing() const {
    return reading_->isRunning();
}

void EveningCardWindow::showTournament(const QString& table) {
    table_ = table;
    summary_.reset();
    card_.reset();
    picture_->clear();
    refresh();
}

void EveningCardWindow::refresh() {
    stale_ = false;
    const LevelOf levelOf = levels_ ? levels_() : LevelOf();
    reading_->run([this, file = store_.fileName(), table = table_, levelOf] {
        auto summary = std::make_shared<std::optional<EveningSummary>>();
        auto card = std::make_shared<EveningCard>();
        auto failure = std::make_shared<QString>();
        const HistoryRead read = readHistoryAlone(file);
        if (read.failure) {
            *failure = QStringLiteral("Историю турниров не удалось прочитать, поэтому итоги "
                                      "вечера не составлены. База данных не изменена.\n") +
                       *read.failure;
        } else {
            try {
                *summary = eveningSummary(read.history, table, levelOf, tournamentDate());
                // A picture is drawn off the window's thread: a QImage, never a pixmap.
                *card = drawEveningCard(**summary);
            } catch (const Error& e) {
                *failure = e.text();
            }
        }
        return BesideWork::HandOver([this, summary, card, failure] {
            guarded(dialogs_, [&] {
                summary_ = *summary;
                card_.reset();
                if (summary_)
                    card_ = std::move(*card);
                status_->setText(*failure);
                showCard();
                if (!failure->isEmpty())
                    dialogs_.information(*failure);
            });
        });
    });
    for (QPushButton* b : {copyPicture_, copyText_, savePicture_})
        b->setEnabled(false);
    status_->setText(QStringLiteral("Составляю итоги..."));
}

void EveningCardWindow::showCard() {
    for (QPushButton* b : {copyPicture_, copyText_, savePicture_})
        b->setEnabled(card_.has_value());
    if (!card_) {
        picture_->clear();
        return;
    }
    picture_->setPixmap(QPixmap::fromImage(
        card_->image.scaled(picture_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    setWindowTitle(kTitle + QStringLiteral(" ") + summary_->date);
}

void EveningCardWindow::copyPictureClick() {
    if (!card_)
        return;
    QGuiApplication::clipboard()->setImage(card_->image);
    status_->setText(QStringLiteral("Картинка скопирована в буфер обмена."));
}

void EveningCardWindow::copyTextClick() {
    if (!summary_)
        return;
    QGuiApplication::clipboard()->setText(summaryText(*summary_));
    status_->setText(QStringLiteral("Текст скопирован в буфер обмена."));
}

void EveningCardWindow::savePictureClick() {
    if (!card_)
        return;
    QString day = summary_->isoDate;
    if (day.isEmpty()) {
        // A table without a date gives its name, kept to what any file system takes.
        static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
        day = summary_->table;
        day.replace(unsafe, QStringLiteral("_"));
    }
    const QString path =
        askSavePath(this, dialogs_, pngKind(), QStringLiteral("Итоги-") + day, choose_);
    if (path.isEmpty())
        return;
    status_->clear();
    savePng(path, card_->image);
    status_->setText(QStringLiteral("Сохранено: ") + QFileInfo(path).fileName());
}

} // namespace kv
