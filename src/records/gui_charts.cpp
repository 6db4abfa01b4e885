#include "records/gui_charts.h"

#include "common/besidework.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/gui_windowplace.h"
#include "history/historyread.h"
#include "history/historystore.h"
#include "records/rating.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QGridLayout>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

namespace kv {

namespace {

// The legend draws its labels as rich text; a name is data, never markup (an image in a name
// would be read from wherever it points).
QString legendName(const QString& player) {
    return player.toHtmlEscaped();
}

QChartView* view(QChart* chart, QWidget* parent) {
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* v = new QChartView(chart, parent);
    v->setRenderHint(QPainter::Antialiasing);
    return v;
}

QValueAxis* axis(const QString& title, QChart* chart, Qt::Alignment where) {
    auto* a = new QValueAxis(chart);
    a->setTitleText(title);
    a->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(a, where);
    return a;
}

// An axis of counts from 0: ticks on whole numbers only, in steps of 1, 2, 5, 10, 20, 50, ...,
// at most `ticks` of them (fewer for a small chart, whose labels would not fit), ending on a
// tick above top, so that the highest point or bar stands inside the plot. The axis's own nice
// numbers would put ticks on halves for small counts, and "%d" would print them as 0, 0, 1, 1,
// 2. Lines also get room below 0 for the points there.
void countRange(QValueAxis* y, qreal top, bool roomBelow = false, int ticks = 8) {
    top = std::max<qreal>(top, 1);
    qreal step = 1;
    for (int i = 0; top / step > ticks; ++i)
        step *= i % 3 == 1 ? 2.5 : 2;
    y->setRange(roomBelow ? -step / 4 : 0, (std::floor(top / step) + 1) * step);
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0);
    y->setTickInterval(step);
}

// The tournament axis: half a tournament of room at either end, so that the first and last
// points stand inside the plot, and ticks on whole tournaments only, at most about ten.
void tournamentRange(QValueAxis* x, qreal last) {
    last = std::max<qreal>(last, 1);
    x->setRange(0.5, last + 0.5);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(1);
    x->setTickInterval(std::max<qreal>(1, std::ceil(last / 10)));
}

void mark(QLineSeries* line, bool on) {
    line->setPointsVisible(on);
    line->setMarkerSize(4);
}

// A point of goals for: a filled dot; of goals against: a hollow square around where a dot
// would be, so that equal figures show both.
QImage goalsMarker(const QColor& colour, bool against) {
    constexpr int kSize = 12;
    QImage marker(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    marker.fill(Qt::transparent);
    QPainter painter(&marker);
    painter.setRenderHint(QPainter::Antialiasing);
    if (against) {
        painter.setPen(QPen(colour, 2));
        painter.drawRect(QRectF(1, 1, kSize - 2, kSize - 2));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(3, 3, kSize - 6, kSize - 6));
    }
    return marker;
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

} // namespace

// Goals against in every player's chart: a grey far from every player's colour.
const QColor kAgainstColour(0x70, 0x70, 0x70);

QColor playerColour(qsizetype player) {
    static const QColor fixed[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                                   QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                                   QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                   QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};
    const qsizetype n = std::size(fixed);
    if (player < n)
        return fixed[player];
    return QColor::fromHsv(int((player * 137) % 360), 200, 200); // golden-angle steps
}

TournamentCharts::TournamentCharts(HistoryStore& store, Dialogs& dialogs,
                                   std::function<LevelOf()> levels, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), dialogs_(dialogs), levels_(std::move(levels)) {
    setObjectName(QStringLiteral("TournamentCharts"));
    setWindowTitle(QStringLiteral("Графики турниров"));
    setAttribute(Qt::WA_DeleteOnClose);
    reading_ = new BesideWork(this);
    auto* layout = new QVBoxLayout(this);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("LeftOut"));
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    note_->hide();
    layout->addWidget(note_);
    tabs_ = new QTabWidget(this);
    layout->addWidget(tabs_);
    resize(900, 600);
    // A write, a correction or a rebuild shows at once.
    connectGuarded(dialogs, &store_, &HistoryStore::historyChanged, this,
                   &TournamentCharts::historyChanged);
}

void TournamentCharts::historyChanged() {
    try {
        load();
    } catch (const Error& e) {
        cannotRead(e.text());
    }
}

void TournamentCharts::cannotRead(const QString& why) {
    clear();
    note_->setText(QStringLiteral("Историю турниров не удалось прочитать: %1").arg(why));
    note_->show();
}

void TournamentCharts::load() {
    store_.open();
    reading_->run([this, file = store_.fileName(), levelOf = levels_ ? levels_() : LevelOf()] {
        auto read = std::make_shared<HistoryRead>(readHistoryAlone(file));
        auto ratings = std::make_shared<Rating>();
        if (!read->failure)
            *ratings = computeRating(read->history, levelOf);
        return BesideWork::HandOver([this, read, ratings] {
            guarded(dialogs_, [&] {
                if (read->failure)
                    cannotRead(*read->failure);
                else
                    draw(read->history, *ratings);
            });
        });
    });
}

bool TournamentCharts::isReading() const {
    return reading_->isRunning();
}

void TournamentCharts::clear() {
    while (tabs_->count() > 0) {
        QWidget* page = tabs_->widget(0);
        tabs_->removeTab(0);
        delete page;
    }
}

namespace {

// What the charts show of each player (by his index in the history), tournament by tournament.
struct PlayerSeries {
    // Points so far: a player who missed an evening keeps the sum he had.
    QList<QList<QPointF>> cumulative, goalsFor, goalsAgainst;
    QList<qint64> sums;
    QList<std::array<qreal, 3>> places;
    qreal last = 0;       // tournaments drawn
    bool markers = false; // a few tournaments are marked one by one
};

PlayerSeries playerSeries(const History& h) {
    const qsizetype n = h.players.size();
    QHash<QString, qsizetype> at;
    for (qsizetype p = 0; p < n; ++p)
        at.insert(h.players[p], p);
    PlayerSeries s;
    for (auto* perPlayer : {&s.cumulative, &s.goalsFor, &s.goalsAgainst})
        perPlayer->resize(n);
    s.sums.fill(0, n);
    s.places.fill({0, 0, 0}, n);
    for (qsizetype t = 0; t < h.tournaments.size(); ++t) {
        const PlayedTournament& pt = h.tournaments[t];
        for (int slot = 0; slot < 3; ++slot) {
            const qsizetype p = at.value(pt.players[slot], -1);
            if (p < 0)
                continue;
            s.sums[p] += pt.points[slot];
            if (pt.places[slot] > 0)
                s.places[p][pt.places[slot] - 1] += 1;
            s.goalsFor[p].append(QPointF(t + 1, pt.goalsFor[slot]));
            s.goalsAgainst[p].append(QPointF(t + 1, pt.goalsAgainst[slot]));
        }
        for (qsizetype p = 0; p < n; ++p)
            s.cumulative[p].append(QPointF(t + 1, s.sums[p]));
    }
    s.last = h.tournaments.size();
    // After the first evening a line has one point: it shows only as a mark.
    s.markers = h.tournaments.size() <= 40;
    return s;
}

QChart* pointsChart(const QStringList& players, const PlayerSeries& s) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Очки по турнирам, нарастающим итогом"));
    QValueAxis* x = axis(QStringLiteral("Турнир"), chart, Qt::AlignBottom);
    QValueAxis* y = axis(QStringLiteral("Очки"), chart, Qt::AlignLeft);
    qint64 top = 0;
    for (qsizetype p = 0; p < players.size(); ++p) {
        auto* line = new QLineSeries(chart);
        line->setName(legendName(players[p]));
        QPen pen(playerColour(p));
        pen.setWidth(2);
        line->setPen(pen);
        line->replace(s.cumulative[p]);
        mark(line, s.markers);
        attach(chart, line, x, y);
        top = std::max(top, s.sums[p]);
    }
    tournamentRange(x, s.last);
    countRange(y, top, true);
    return chart;
}

QChart* placesChart(const QStringList& players, const PlayerSeries& s) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Сколько раз занято место"));
    auto* bars = new QBarSeries(chart);
    qreal most = 1;
    for (qsizetype p = 0; p < players.size(); ++p) {
        auto* set = new QBarSet(legendName(players[p]), bars);
        set->setColor(playerColour(p));
        for (qreal count : s.places[p]) {
            set->append(count);
            most = std::max(most, count);
        }
        bars->append(set);
    }
    chart->addSeries(bars);
    auto* categories = new QBarCategoryAxis(chart);
    categories->append(
        {QStringLiteral("1-е место"), QStringLiteral("2-е место"), QStringLiteral("3-е место")});
    chart->addAxis(categories, Qt::AlignBottom);
    bars->attachAxis(categories);
    QValueAxis* count = axis(QStringLiteral("Турниров"), chart, Qt::AlignLeft);
    countRange(count, most);
    bars->attachAxis(count);
    return chart;
}

// One player's goals, for and against in colours the legend tells apart, on the scale `high`
// that every player's chart shares.
QChart* goalsChart(qsizetype p, const PlayerSeries& s, qreal high) {
    auto* chart = new QChart;
    chart->setMargins(QMargins(4, 4, 4, 4));
    QValueAxis* x = axis(QStringLiteral("Турнир"), chart, Qt::AlignBottom);
    QValueAxis* y = axis(QStringLiteral("Мячей"), chart, Qt::AlignLeft);
    for (const bool against : {false, true}) {
        auto* line = new QLineSeries(chart);
        line->setName(against ? QStringLiteral("Пропущено") : QStringLiteral("Забито"));
        QPen pen(against ? kAgainstColour : playerColour(p));
        pen.setWidth(2);
        if (against)
            pen.setStyle(Qt::DashLine);
        line->setPen(pen);
        line->replace(against ? s.goalsAgainst[p] : s.goalsFor[p]);
        mark(line, s.markers);
        line->setLightMarker(goalsMarker(pen.color(), against));
        line->setMarkerSize(12);
        attach(chart, line, x, y);
    }
    tournamentRange(x, s.last);
    countRange(y, high, true, 4);
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    return chart;
}

// Every player's goals chart under his name, two to a row.
QScrollArea* goalsPage(const QStringList& players, const PlayerSeries& s, QWidget* parent) {
    qreal high = 1;
    for (qsizetype p = 0; p < players.size(); ++p)
        for (const QList<QPointF>* pts : {&s.goalsFor[p], &s.goalsAgainst[p]})
            for (const QPointF& pt : *pts)
                high = std::max(high, pt.y());
    auto* page = new QScrollArea(parent);
    page->setObjectName(QStringLiteral("GoalsPage"));
    page->setWidgetResizable(true);
    page->setFrameShape(QFrame::NoFrame);
    auto* grid = new QWidget(page);
    auto* cells = new QGridLayout(grid);
    const int columns = players.size() > 1 ? 2 : 1;
    for (qsizetype p = 0; p < players.size(); ++p) {
        auto* cell = new QWidget(grid);
        auto* column = new QVBoxLayout(cell);
        column->setContentsMargins(0, 0, 0, 0);
        // The name as plain text: a name is data, never markup.
        auto* name = new QLabel(players[p], cell);
        name->setTextFormat(Qt::PlainText);
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        column->addWidget(name);
        QChartView* chartView = view(goalsChart(p, s, high), cell);
        chartView->setMinimumHeight(240);
        column->addWidget(chartView, 1);
        cells->addWidget(cell, int(p / columns), int(p % columns));
    }
    page->setWidget(grid);
    return page;
}

// Each player's rating after every tournament he played, over the tournaments' dates; colours by
// the players' order in `all`, as in the other charts.
QChart* ratingChart(const History& all, const Rating& ratings) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Рейтинг после каждого турнира"));
    auto* x = new QDateTimeAxis(chart);
    x->setTitleText(QStringLiteral("Дата"));
    x->setFormat(QStringLiteral("dd.MM.yyyy"));
    x->setTickCount(7);
    chart->addAxis(x, Qt::AlignBottom);
    QValueAxis* y = axis(QStringLiteral("Рейтинг"), chart, Qt::AlignLeft);
    QHash<QString, QList<QPointF>> points;
    qreal low = kStartRating, high = kStartRating;
    for (const RatedTournament& rt : ratings.tournaments) {
        const PlayedTournament& t = all.tournaments[rt.tournament];
        for (int slot = 0; slot < 3; ++slot) {
            points[t.players[slot]].append(
                QPointF(qreal(t.played.toMSecsSinceEpoch()), rt.after[slot]));
            low = std::min(low, rt.after[slot]);
            high = std::max(high, rt.after[slot]);
        }
    }
    for (qsizetype p = 0; p < ratings.players.size(); ++p) {
        const QString& name = ratings.players[p].player;
        const qsizetype colour = all.players.indexOf(name);
        auto* line = new QLineSeries(chart);
        line->setName(legendName(name));
        QPen pen(playerColour(colour >= 0 ? colour : p));
        pen.setWidth(2);
        line->setPen(pen);
        line->replace(points.value(name));
        mark(line, ratings.tournaments.size() <= 40);
        attach(chart, line, x, y);
    }
    // A day of room at either end, so that the first and last points stand inside the plot.
    const QDateTime first = all.tournaments[ratings.tournaments.first().tournament].played;
    const QDateTime last = all.tournaments[ratings.tournaments.last().tournament].played;
    x->setRange(first.addDays(-1), last.addDays(1));
    // Ticks on round ratings, at most about eight of them.
    qreal step = 25;
    for (int i = 0; (high - low) / step > 7; ++i)
        step *= i % 3 == 1 ? 2.5 : 2;
    y->setRange(std::floor(low / step - 0.25) * step, std::ceil(high / step + 0.25) * step);
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(kStartRating);
    y->setTickInterval(step);
    return chart;
}

} // namespace

void TournamentCharts::draw(const History& all, const Rating& ratings) {
    clear();
    const QList<SkippedTable> leftOut = all.leftOut();
    note_->setText(QStringLiteral("Не показаны таблицы, которые нельзя посчитать как турнир:\n") +
                   describeLeftOut(leftOut).join(QLatin1Char('\n')));
    note_->setVisible(!leftOut.isEmpty());
    History h = all;
    h.tournaments.removeIf([](const PlayedTournament& t) { return !t.counted(); });
    if (h.tournaments.isEmpty()) {
        showNoTournaments();
        return;
    }
    const PlayerSeries series = playerSeries(h);
    tabs_->addTab(view(pointsChart(h.players, series), tabs_), QStringLiteral("Очки"));
    tabs_->addTab(view(placesChart(h.players, series), tabs_), QStringLiteral("Места"));
    tabs_->addTab(goalsPage(h.players, series, tabs_), QStringLiteral("Мячи"));
    if (!ratings.tournaments.isEmpty())
        tabs_->addTab(view(ratingChart(all, ratings), tabs_), QStringLiteral("Рейтинг"));
}

void TournamentCharts::showNoTournaments() {
    auto* empty = new QLabel(QStringLiteral("В базе ещё нет ни одного турнира. Запишите "
                                            "турнир кнопкой \"Записать в базу\" в окне "
                                            "результатов, и здесь появятся графики."),
                             tabs_);
    empty->setObjectName(QStringLiteral("NoTournaments"));
    empty->setWordWrap(true);
    empty->setAlignment(Qt::AlignCenter);
    tabs_->addTab(empty, QStringLiteral("Графики"));
}

TournamentCharts* showTournamentCharts(QWidget* parent, HistoryStore& store, Dialogs& dialogs,
                                       std::function<LevelOf()> levels) {
    static QPointer<TournamentCharts> window;
    if (!window)
        window = new TournamentCharts(store, dialogs, std::move(levels), parent);
    window->load();
    showInFront(window);
    return window;
}

} // namespace kv
