#include "records/gui_records.h"

#include "common/besidework.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/settings.h"
#include "common/textfile.h"
#include "history/historyread.h"
#include "history/historystore.h"
#include "records/gui_period.h"
#include "records/rating.h"
#include "records/seasons.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace kv {

namespace {

// The strip clear of text at the head and the foot of each printed page, inside its margins.
constexpr qreal kPageStripMm = 5;

// Lines break between words only: a column is never narrower than its longest word, so a heading
// keeps its last letters and a tally its digits on one line.
void wrapBetweenWords(QTextDocument& document) {
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
}

// The document is built through a cursor: every text goes in as text, never as markup.
class BookWriter {
public:
    explicit BookWriter(QTextDocument& document) : cursor_(&document) {
        document.clear();
        wrapBetweenWords(document);
        body_.setFontPointSize(10);
        bold_ = body_;
        bold_.setFontWeight(QFont::Bold);
        heading_ = bold_;
        heading_.setFontPointSize(13);
    }

    void title(const QString& text) {
        QTextCharFormat big = heading_;
        big.setFontPointSize(16);
        cursor_.insertText(text, big);
    }
    void heading(const QString& text) {
        QTextBlockFormat block;
        block.setTopMargin(14);
        block.setBottomMargin(4);
        cursor_.insertBlock(block);
        cursor_.insertText(text, heading_);
    }
    void paragraph(const QString& text, bool strong = false) {
        cursor_.insertBlock(QTextBlockFormat());
        cursor_.insertText(text, strong ? bold_ : body_);
    }
    // A table with a header row; each row as many cells as the header. The columns `toRight`
    // (figures) stand at the right of their cells, so that their digits line up.
    void table(const QStringList& header, const QList<QStringList>& rows,
               const QList<int>& toRight = {}) {
        QTextTableFormat format;
        format.setBorder(0.5);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellPadding(3);
        format.setCellSpacing(0);
        format.setHeaderRowCount(1);
        // The borders are drawn outside the width: a table of the whole width would stand a pixel
        // past the view and bring up a scroll bar for it.
        format.setWidth(QTextLength(QTextLength::PercentageLength, 99.5));
        QTextTable* table = cursor_.insertTable(int(rows.size()) + 1, int(header.size()), format);
        const auto fill = [&](int row, const QStringList& cells, const QTextCharFormat& f) {
            for (int c = 0; c < header.size(); ++c) {
                QTextCursor cell = table->cellAt(row, c).firstCursorPosition();
                if (toRight.contains(c)) {
                    QTextBlockFormat right;
                    right.setAlignment(Qt::AlignRight);
                    cell.setBlockFormat(right);
                }
                cell.insertText(cells.value(c), f);
            }
        };
        fill(0, header, bold_);
        for (int r = 0; r < rows.size(); ++r)
            fill(r + 1, rows[r], body_);
        cursor_.movePosition(QTextCursor::End);
    }

private:
    QTextCursor cursor_;
    QTextCharFormat body_, bold_, heading_;
};

// Non-breaking hyphens: a narrow column never splits wins-draws-losses inside a number.
QString tallyText(const Tally& t) {
    return QStringLiteral("%1\u2011%2\u2011%3").arg(t.wins).arg(t.draws).arg(t.losses);
}
const QString kTallyHeading = QStringLiteral("В\u2011Н\u2011П");
QString matchesText(qint64 n) {
    return countOf(n, QStringLiteral("матч"), QStringLiteral("матча"), QStringLiteral("матчей"));
}
QString goalsText(const Tally& t) {
    return QStringLiteral("%1:%2").arg(t.goalsFor).arg(t.goalsAgainst);
}
QString runText(const PlayerRecord& p, const Run& current, const Run& longest) {
    return QStringLiteral("%1 / %2")
        .arg(p.former ? QStringLiteral("-") : QString::number(current.length))
        .arg(longest.length);
}

void groupRecords(BookWriter& w, const History& h, const GroupRecords& g,
                  const TournamentDate& date) {
    QList<QStringList> rows;
    if (g.biggestWin) {
        const PlayedMatch& m =
            h.tournaments[g.biggestWin->at.tournament].matches[g.biggestWin->at.match];
        rows.append({QStringLiteral("Самая крупная победа"),
                     QStringLiteral("%1:%2")
                         .arg(std::max(m.homeGoals, m.awayGoals))
                         .arg(std::min(m.homeGoals, m.awayGoals)),
                     describeMatch(h, g.biggestWin->at, date)});
    }
    if (g.mostGoals)
        rows.append({QStringLiteral("Больше всего голов в матче"),
                     QString::number(g.mostGoals->value), describeMatch(h, g.mostGoals->at, date)});
    if (g.mostPoints)
        rows.append({QStringLiteral("Больше всего очков за турнир"),
                     QString::number(g.mostPoints->value),
                     describeTournament(h, *g.mostPoints, date)});
    if (g.bestDifference)
        rows.append({QStringLiteral("Лучшая разница мячей за турнир"),
                     QString::number(g.bestDifference->value),
                     describeTournament(h, *g.bestDifference, date)});
    w.heading(QStringLiteral("Рекорды группы"));
    w.table({QStringLiteral("Рекорд"), QStringLiteral("Значение"),
             QStringLiteral("Кто, против кого, какими командами, когда")},
            rows);
}

void players(BookWriter& w, const RecordsBook& b) {
    QList<QStringList> rows;
    for (const PlayerRecord& p : b.players) {
        const QString nemesis =
            p.nemesis ? QStringLiteral("%1 (%2: %3, мячи %4)")
                            .arg(isolated(*p.nemesis), matchesText(p.againstNemesis.matches),
                                 tallyText(p.againstNemesis), goalsText(p.againstNemesis))
                      : QStringLiteral("нет");
        rows.append({p.former ? p.player + QStringLiteral(" (бывший игрок)") : p.player,
                     QString::number(p.tournaments), QString::number(p.firstPlaces),
                     QString::number(p.bestScorer), runText(p, p.currentWins, p.longestWins),
                     runText(p, p.currentUnbeaten, p.longestUnbeaten),
                     runText(p, p.currentLosses, p.longestLosses),
                     runText(p, p.currentFirstPlaces, p.longestFirstPlaces), nemesis});
    }
    w.heading(QStringLiteral("Игроки"));
    w.table({QStringLiteral("Игрок"), QStringLiteral("Турниров"), QStringLiteral("Первых мест"),
             QStringLiteral("Раз лучший бомбардир"), QStringLiteral("Побед подряд"),
             QStringLiteral("Без поражений подряд"), QStringLiteral("Поражений подряд"),
             QStringLiteral("Первых мест подряд"), QStringLiteral("Неудобный соперник")},
            rows);
    w.paragraph(QStringLiteral("«Подряд»: сейчас / рекорд. Неудобный соперник - тот, кому игрок "
                               "проиграл больше матчей, чем выиграл (от трёх матчей); из "
                               "нескольких - с наименьшим числом очков за матч."));
    if (b.withoutBestScorer > 0)
        w.paragraph(QStringLiteral("Лучший бомбардир турнира хранится в базе с этой версии "
                                   "программы: для турниров, записанных раньше (%1), он неизвестен "
                                   "и не учтён.")
                        .arg(b.withoutBestScorer));
    if (b.withoutPlayOrder > 0)
        w.paragraph(QStringLiteral("Порядок матчей хранится в базе с этой версии программы: в "
                                   "турнирах, записанных раньше (%1), серии считаются в порядке "
                                   "таблицы результатов.")
                        .arg(b.withoutPlayOrder));
}

void headToHead(BookWriter& w, const History& h, const RecordsBook& b, const TournamentDate& date) {
    QList<QStringList> rows;
    for (const HeadToHead& p : b.headToHead) {
        QStringList last;
        for (const MatchAt& at : p.lastFive) {
            const PlayedMatch& m = h.tournaments[at.tournament].matches[at.match];
            const bool home = h.tournaments[at.tournament].players[m.home] == p.player;
            last << (home ? QStringLiteral("%1:%2").arg(m.homeGoals).arg(m.awayGoals)
                          : QStringLiteral("%1:%2").arg(m.awayGoals).arg(m.homeGoals));
        }
        rows.append(
            {isolated(p.player) + QStringLiteral(" - ") + isolated(p.opponent),
             QString::number(p.tally.matches), tallyText(p.tally), goalsText(p.tally),
             last.join(QStringLiteral(", ")),
             p.biggestWin ? describeMatch(h, *p.biggestWin, date, p.player) : QStringLiteral("-"),
             p.biggestLoss ? describeMatch(h, *p.biggestLoss, date, p.player)
                           : QStringLiteral("-")});
    }
    w.heading(QStringLiteral("Личные встречи"));
    w.paragraph(QStringLiteral("Всё в строке - со стороны первого игрока пары: победы, ничьи и "
                               "поражения, мячи, счета; последние пять матчей - от старых к "
                               "новым."));
    w.table({QStringLiteral("Пара"), QStringLiteral("Матчей"), kTallyHeading,
             QStringLiteral("Мячи"), QStringLiteral("Последние пять"),
             QStringLiteral("Крупнейшая победа первого"),
             QStringLiteral("Крупнейшая победа второго")},
            rows);
}

void clubs(BookWriter& w, const RecordsBook& b, const LevelOf& levelOf) {
    w.heading(QStringLiteral("Команды"));
    w.paragraph(QStringLiteral("Каждая команда, которой игрок играл турнир; лучшая и худшая - по "
                               "очкам за матч среди команд двух турниров и больше."));
    const auto row = [](const ClubRecord& c, const QString& level) {
        return QStringList{c.club,
                           level,
                           QString::number(c.tournaments),
                           QString::number(c.tally.matches),
                           tallyText(c.tally),
                           goalsText(c.tally),
                           pointsPerMatch(c.tally)};
    };
    for (const PlayerClubs& p : b.clubs) {
        QList<QStringList> rows;
        for (const ClubRecord& c : p.clubs)
            rows.append(row(c, levelOrOther(levelOf, c.club)));
        w.paragraph(p.player, true);
        w.table({QStringLiteral("Команда"), QStringLiteral("Уровень"), QStringLiteral("Турниров"),
                 QStringLiteral("Матчей"), kTallyHeading, QStringLiteral("Мячи"),
                 QStringLiteral("Очков за матч")},
                rows);
        if (p.best && p.worst && p.best->club == p.worst->club)
            w.paragraph(QStringLiteral("Не меньше двух турниров сыграно одной командой: %1 (%2 "
                                       "очка за матч), лучшей и худшей не выбрать.")
                            .arg(isolated(p.best->club), pointsPerMatch(p.best->tally)));
        else if (p.best && p.worst && p.best->tally.compare(p.worst->tally) == 0)
            w.paragraph(QStringLiteral("Все команды двух турниров и больше сыграли одинаково (%1 "
                                       "очка за матч): лучшей и худшей не выбрать.")
                            .arg(pointsPerMatch(p.best->tally)));
        else if (p.best && p.worst)
            w.paragraph(QStringLiteral("Лучшая команда: %1 (%2 очка за матч), худшая: %3 (%4).")
                            .arg(p.best->club, pointsPerMatch(p.best->tally), p.worst->club,
                                 pointsPerMatch(p.worst->tally)));
    }
    w.heading(QStringLiteral("По уровню команд"));
    QList<QStringList> rows;
    for (const PlayerClubs& p : b.clubs)
        for (const ClubRecord& c : p.levels)
            rows.append({p.player, c.club, QString::number(c.tournaments),
                         QString::number(c.tally.matches), tallyText(c.tally), goalsText(c.tally),
                         pointsPerMatch(c.tally)});
    w.paragraph(QStringLiteral("Уровень - список команд, в котором команда стоит сегодня; "
                               "\"%1\" - команды, которых нет ни в одном списке.")
                    .arg(kOtherLevel));
    w.table({QStringLiteral("Игрок"), QStringLiteral("Уровень"), QStringLiteral("Турниров"),
             QStringLiteral("Матчей"), kTallyHeading, QStringLiteral("Мячи"),
             QStringLiteral("Очков за матч")},
            rows);
}

// The strengths the clubs add, as a sentence: the levels of equal strength together, in the book's
// order of levels, a club in no pool last.
QString strengthsText() {
    QList<int> strengths;
    QHash<int, QStringList> levels;
    for (const QString& level : starLevels()) {
        if (level == kOtherLevel)
            continue;
        const int h = clubStrength(level);
        if (!levels.contains(h))
            strengths.append(h);
        levels[h].append(level);
    }
    const auto points = [](int h) {
        return h == 0 ? QStringLiteral("0") : QStringLiteral("+%1").arg(h);
    };
    QStringList parts;
    for (int h : strengths)
        parts.append(levels[h].join(QStringLiteral(" и ")) + QStringLiteral(" - ") + points(h));
    parts.append(QStringLiteral("команда не из списков («%1») - %2")
                     .arg(kOtherLevel, points(clubStrength(kOtherLevel))));
    return QStringLiteral("Сила команды прибавляется к рейтингу её игрока на время матча: %1.")
        .arg(parts.join(QStringLiteral("; ")));
}

// The first `most` names, then how many more there are.
QString namesText(const QStringList& names, int most = 10) {
    QStringList shown;
    for (qsizetype i = 0; i < names.size() && i < most; ++i)
        shown.append(isolated(names[i]));
    QString text = shown.join(QStringLiteral(", "));
    if (names.size() > most)
        text += QStringLiteral(" и ещё %1").arg(names.size() - most);
    return text;
}

void rating(BookWriter& w, const History& h, const RecordsBook& b, const Rating& r,
            const TournamentDate& date) {
    w.heading(QStringLiteral("Рейтинг"));
    if (r.players.isEmpty()) {
        w.paragraph(QStringLiteral("Рейтинг пока не посчитан: в нём учитываются только турниры, "
                                   "у которых в имени таблицы есть дата, а таких нет."));
    } else {
        w.paragraph(QStringLiteral("Кто играл лучше, чем обещали его команды. Каждый начинает с "
                                   "%1; матч прибавляет очки тому, кто сыграл лучше ожидаемого по "
                                   "рейтингам и силе команд, и отнимает у соперника. \"?\" - "
                                   "рейтинг ещё не устоялся: учтено меньше %2 матчей.")
                        .arg(int(kStartRating))
                        .arg(kSettledAfter));
        // The players who play now first, each group from the highest rating down.
        QSet<QString> former;
        for (const PlayerRecord& p : b.players)
            if (p.former)
                former.insert(p.player);
        QList<const PlayerRating*> order;
        for (const PlayerRating& p : r.players)
            order.append(&p);
        std::stable_sort(order.begin(), order.end(), [&](const auto* x, const auto* y) {
            const bool xf = former.contains(x->player), yf = former.contains(y->player);
            return xf != yf ? yf : x->rating > y->rating;
        });
        QList<QStringList> rows;
        for (const PlayerRating* p : order) {
            const bool reached = p->bestTournament >= 0 && p->bestTournament < h.tournaments.size();
            rows.append({former.contains(p->player) ? p->player + QStringLiteral(" (бывший игрок)")
                                                    : p->player,
                         showRating(*p), QString::number(qRound(p->best)),
                         reached ? date(h.tournaments[p->bestTournament]) : QStringLiteral("-"),
                         QString::number(p->matches), QString::number(p->playerOfEvening)});
        }
        w.table({QStringLiteral("Игрок"), QStringLiteral("Рейтинг"),
                 QStringLiteral("Лучший рейтинг"), QStringLiteral("Когда"),
                 QStringLiteral("Матчей учтено"), QStringLiteral("Игрок вечера")},
                // Ratings have four digits that line up from the left, leaving room for a "?".
                rows, {4, 5});
        w.paragraph(
            QStringLiteral("\"Игрок вечера\" - тот, кто за турнир сыграл лучше всего против "
                           "того, что обещали рейтинги и команды."));
        w.paragraph(strengthsText());
    }
    if (!r.clubsInNoPool.isEmpty())
        w.paragraph(QStringLiteral("Не нашлись ни в одном списке и считались как «%1»: %2.")
                        .arg(kOtherLevel, namesText(r.clubsInNoPool)));
    // The book's own left-out tables are told at its end; here only those the rating adds.
    QSet<QString> told;
    for (const SkippedTable& t : b.leftOut)
        told.insert(t.table);
    QList<SkippedTable> more;
    for (const SkippedTable& t : r.leftOut)
        if (!told.contains(t.table))
            more.append(t);
    if (!more.isEmpty()) {
        w.paragraph(QStringLiteral("Не учтены в рейтинге:"));
        for (const QString& line : describeLeftOut(more))
            w.paragraph(line);
    }
    if (!told.isEmpty())
        w.paragraph(
            QStringLiteral("Таблицы из раздела «Не учтены» в конце не входят и в рейтинг."));
}

// One row a player, the season's own figures in its first row.
void seasonRows(QList<QStringList>& rows, const Season& s) {
    for (qsizetype i = 0; i < s.players.size(); ++i) {
        const SeasonPlayer& p = s.players[i];
        const bool head = i == 0;
        rows.append({head ? s.period.title() : QString(),
                     head ? QString::number(s.tournaments) : QString(), p.player,
                     QString::number(p.firstPlaces), pointsPerMatch(p.tally),
                     head ? namesJoined(s.champions) : QString()});
    }
}

void seasons(BookWriter& w, const Seasons& s) {
    if (s.years.isEmpty())
        return;
    w.heading(QStringLiteral("Сезоны"));
    w.paragraph(QStringLiteral("Чемпион сезона - у кого больше первых мест; при равенстве - больше "
                               "очков за матч, затем лучше разница мячей за матч. Турниры без "
                               "даты в сезоны не входят."));
    const QStringList header{QStringLiteral("Сезон"),         QStringLiteral("Турниров"),
                             QStringLiteral("Игрок"),         QStringLiteral("Первых мест"),
                             QStringLiteral("Очков за матч"), QStringLiteral("Чемпион")};
    QList<QStringList> rows;
    for (const Season& y : s.years)
        seasonRows(rows, y);
    w.table(header, rows, {1, 3, 4});
    if (s.months.isEmpty())
        return;
    rows.clear();
    for (const Season& m : s.months)
        seasonRows(rows, m);
    w.paragraph(QStringLiteral("Месяцы %1 года").arg(s.monthsOf), true);
    w.table(header, rows, {1, 3, 4});
}

// Every character of the book at `factor` times its size.
void scaleType(QTextDocument& document, qreal factor) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            format.setFontPointSize(format.fontPointSize() * factor);
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
}

// Prints the book on pages of the device's own size. Left to itself, a document laid out for the
// screen is printed with two centimetres of its own margins inside the page's margins, which
// leaves the tables a narrow column in the middle of the sheet.
void printBook(const QTextDocument& book, QPagedPaintDevice& device) {
    const std::unique_ptr<QTextDocument> pages(book.clone());
    wrapBetweenWords(*pages);
    pages->documentLayout()->setPaintDevice(&device);
    // A strip clear of text at the foot and the head of every page: a line that starts the next
    // page is never drawn, cut off, at the foot of this one.
    // The layout scales a frame's margins from 96 to the inch up to the device twice over.
    const qreal toDevice = device.logicalDpiY() / 96.0;
    const qreal strip = kPageStripMm * 96 / 25.4 / toDevice;
    QTextFrameFormat frame = pages->rootFrame()->frameFormat();
    frame.setMargin(0);
    frame.setTopMargin(strip);
    frame.setBottomMargin(strip);
    pages->rootFrame()->setFrameFormat(frame);
    pages->setPageSize(QSizeF(device.width(), device.height()));
    // Whole words in every column may not fit across the page: smaller type then, never a table
    // cut at the page's edge.
    for (int step = 0; step < 6 && pages->size().width() > device.width() + 1; ++step)
        scaleType(*pages, 0.92);
    pages->print(&device);
}

// The three who play now, as the settings file names them; none when it cannot be read.
QStringList currentPlayers() {
    try {
        return settings::read().players;
    } catch (const Error&) {
        return {};
    }
}

} // namespace

void writeRecordsBook(QTextDocument& document, const PeriodBook& period, const TournamentDate& date,
                      const LevelOf& levelOf) {
    const History& history = period.history;
    const RecordsBook& book = period.book;
    BookWriter w(document);
    w.title(RecordsWindow::kTitle + QStringLiteral(": ") + period.period.title());
    if (book.tournaments == 0 && !period.period.isAllTime()) {
        w.paragraph(QStringLiteral("В этом периоде турниров нет: выберите другой период."));
    } else if (book.tournaments == 0) {
        w.paragraph(QStringLiteral("Турниров пока нет: рекорды появятся после первого турнира, "
                                   "записанного в базу."));
    } else {
        w.paragraph(QStringLiteral("Турниров учтено: %1.").arg(book.tournaments));
        if (!period.period.isAllTime())
            w.paragraph(QStringLiteral("Рекорды и серии - только по турнирам этого периода; "
                                       "рейтинг - на его конец, %1.")
                            .arg(period.period.last().toString(QStringLiteral("dd.MM.yyyy"))));
        rating(w, period.rated, book, period.ratings, date);
        seasons(w, period.seasons);
        groupRecords(w, history, book.group, date);
        players(w, book);
        headToHead(w, history, book, date);
        clubs(w, book, levelOf);
    }
    if (!book.leftOut.isEmpty()) {
        w.heading(QStringLiteral("Не учтены"));
        w.paragraph(QStringLiteral("Эти таблицы базы не входят ни в один рекорд:"));
        for (const QString& line : describeLeftOut(book.leftOut))
            w.paragraph(line);
    }
}

namespace {
// The matches for a spreadsheet program first; the CSV, which anything reads, beside it.
const QList<SaveKind>& matchKinds() {
    static const QList<SaveKind> kinds{xlsxKind(), csvKind()};
    return kinds;
}
} // namespace

const QString RecordsWindow::kTitle = QStringLiteral("Рекорды");

RecordsWindow::RecordsWindow(HistoryStore& store, Dialogs& dialogs, const Clock& clock,
                             std::function<LevelOf()> levels, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), dialogs_(dialogs), clock_(clock),
      levels_(std::move(levels)),
      choosePdf_(fileDialogChooser(QStringLiteral("Сохранить рекорды в PDF"), pdfKind())),
      chooseCsv_(fileDialogChooser(QStringLiteral("Сохранить матчи"), matchKinds())) {
    setObjectName(QStringLiteral("RecordsWindow"));
    setWindowTitle(kTitle);

    view_ = new QTextBrowser(this);
    view_->setObjectName(QStringLiteral("RecordsView"));
    view_->setOpenLinks(false);
    // The book sets its own wrapping; the view would put back its own at each new book.
    view_->setWordWrapMode(QTextOption::WordWrap);
    const auto button = [this](const QString& text, const QString& name, const QString& keys,
                               const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setShortcut(QKeySequence(keys));
        b->setToolTip(tip);
        return b;
    };
    print_ = button(QStringLiteral("Печать..."), QStringLiteral("PrintButton"),
                    QStringLiteral("Ctrl+P"), QStringLiteral("Напечатать рекорды (Ctrl+P)"));
    savePdf_ = button(QStringLiteral("Сохранить PDF..."), QStringLiteral("SavePdfButton"),
                      QStringLiteral("Ctrl+S"), QStringLiteral("Сохранить рекорды в PDF (Ctrl+S)"));
    saveCsv_ = button(QStringLiteral("Сохранить матчи..."), QStringLiteral("SaveCsvButton"),
                      QStringLiteral("Ctrl+Shift+S"),
                      QStringLiteral("Все матчи всех турниров одной таблицей (Ctrl+Shift+S)"));
    period_ = new PeriodChoice(this);
    reading_ = new BesideWork(this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("RecordsStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* buttons = new QHBoxLayout;
    auto* periodLabel = new QLabel(QStringLiteral("Период:"), this);
    periodLabel->setBuddy(period_);
    buttons->addWidget(periodLabel);
    buttons->addWidget(period_);
    buttons->addWidget(print_);
    buttons->addWidget(savePdf_);
    buttons->addWidget(saveCsv_);
    buttons->addWidget(status_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(view_, 1);
    resize(900, 620);

    kv::connectGuarded(dialogs_, print_, &QPushButton::clicked, this, &RecordsWindow::printClick);
    kv::connectGuarded(dialogs_, savePdf_, &QPushButton::clicked, this,
                       &RecordsWindow::savePdfClick);
    kv::connectGuarded(dialogs_, saveCsv_, &QPushButton::clicked, this,
                       &RecordsWindow::saveCsvClick);
    kv::connectGuarded(dialogs_, period_, &PeriodChoice::periodChosen, this,
                       &RecordsWindow::refresh);
    // Computed afresh on each change, at once while shown, else when shown next.
    kv::connectGuarded(dialogs_, &store_, &HistoryStore::historyChanged, this, [this] {
        stale_ = true;
        if (isVisible())
            refresh();
    });
}

QTextDocument* RecordsWindow::document() const {
    return view_->document();
}

void RecordsWindow::showEvent(QShowEvent* event) {
    // A player who started afresh under a new name changes who is a former player.
    if (stale_ || currentPlayers() != players_)
        refresh();
    QWidget::showEvent(event);
}

RecordsWindow::~RecordsWindow() = default;

bool RecordsWindow::isComputing() const {
    return reading_->isRunning();
}

void RecordsWindow::refresh() {
    stale_ = false;
    levelOf_ = levels_ ? levels_() : LevelOf();
    players_ = currentPlayers();
    reading_->run([this, file = store_.fileName(), levelOf = levelOf_, players = players_,
                   period = period_->period()] {
        auto read = std::make_shared<HistoryRead>(readHistoryAlone(file));
        auto book = std::make_shared<PeriodBook>();
        auto held = std::make_shared<QList<HeldYear>>();
        if (!read->failure) {
            *book = computePeriodBook(read->history, period, levelOf, players);
            *held = heldYears(read->history);
        }
        return BesideWork::HandOver([this, read, book, held] {
            guarded(dialogs_, [&] {
                for (QPushButton* b : {print_, savePdf_, saveCsv_})
                    b->setEnabled(true);
                status_->clear();
                auto* document = new QTextDocument(this);
                if (read->failure) {
                    history_ = {};
                    BookWriter w(*document);
                    w.title(kTitle);
                    w.paragraph(QStringLiteral("Историю турниров не удалось прочитать, поэтому "
                                               "рекорды не показаны. База данных не изменена."));
                    w.paragraph(*read->failure);
                } else {
                    history_ = book->history;
                    title_ = kTitle + QStringLiteral(": ") + book->period.title();
                    fileNamePart_ = book->period.fileNamePart();
                    period_->setHeld(*held);
                    writeRecordsBook(*document, *book, tournamentDate(clock_), levelOf_);
                }
                showDocument(document);
            });
        });
    });
    for (QPushButton* b : {print_, savePdf_, saveCsv_})
        b->setEnabled(false);
    status_->setText(QStringLiteral("Считаю рекорды..."));
}

void RecordsWindow::showDocument(QTextDocument* book) {
    // The view deletes a document of its own itself; the books before are the window's.
    const QPointer<QTextDocument> old = view_->document();
    book->setDefaultFont(view_->font());
    view_->setDocument(book);
    if (old && old->parent() == this)
        delete old;
}

QString RecordsWindow::fileBaseName(const QString& what) const {
    // All time is named by the day it was saved, a period by itself.
    if (!fileNamePart_.isEmpty())
        return what + fileNamePart_;
    return what + QLatin1Char('-') + clock_.now().date().toString(QStringLiteral("yyyy-MM-dd"));
}

PeriodChoice* RecordsWindow::periodChoice() const {
    return period_;
}

void RecordsWindow::printClick() {
    guarded(dialogs_, [&] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(fileBaseName(kTitle));
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Печать рекордов"));
        if (dialog.exec() != QDialog::Accepted)
            return;
        printBook(*document(), printer);
        if (printer.printerState() == QPrinter::Error)
            throw Error(QStringLiteral("Рекорды не напечатаны: принтер сообщил об ошибке."));
        status_->setText(QStringLiteral("Рекорды отправлены на печать."));
    });
}

void RecordsWindow::savePdfClick() {
    guarded(dialogs_, [&] {
        const QString path =
            askSavePath(this, dialogs_, pdfKind(), fileBaseName(kTitle), choosePdf_);
        if (path.isEmpty())
            return;
        status_->clear();
        // Made whole first, then written through writeBytes: an old PDF of that name stays until
        // the new one is on the disk.
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&buffer);
            writer.setPageLayout(QPageLayout(
                QPageSize(QPageSize::A4), QPageLayout::Portrait,
                QMarginsF(15, 15 - kPageStripMm, 15, 15 - kPageStripMm), QPageLayout::Millimeter));
            writer.setTitle(title_);
            writer.setCreator(QStringLiteral("Zorvo Kickvale 6"));
            printBook(*document(), writer);
        }
        writeBytes(path, pdf);
        status_->setText(QStringLiteral("Сохранено: ") + QFileInfo(path).fileName());
    });
}

void RecordsWindow::saveCsvClick() {
    guarded(dialogs_, [&] {
        const QString path = askSavePath(this, dialogs_, matchKinds(),
                                         fileBaseName(QStringLiteral("Матчи")), chooseCsv_);
        if (path.isEmpty())
            return;
        status_->clear();
        if (kindOfChosen(path, matchKinds()).suffix == xlsxKind().suffix)
            saveMatchesWorkbook(path, history_, levelOf_);
        else
            writeBytes(path, matchesCsv(history_, levelOf_, tournamentDate(clock_)));
        status_->setText(QStringLiteral("Сохранено: ") + QFileInfo(path).fileName());
    });
}

} // namespace kv
