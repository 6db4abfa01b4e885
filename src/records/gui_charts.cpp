#include "records/gui_charts.h"

#include "common/besidework.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/gui_savefile.h"
#include "common/gui_windowplace.h"
#include "history/historyread.h"
#include "history/historystore.h"
#include "records/gui_period.h"
#include "records/rating.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScatterSeries>
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

// The axis of the evenings' dates, with room at either end so that the first and last points
// stand inside the plot; months alone over a span of years, where days would crowd the labels.
QDateTimeAxis* dateAxis(QChart* chart, qreal first, qreal last, int ticks = 7) {
    auto* x = new QDateTimeAxis(chart);
    x->setTitleText(QStringLiteral("Дата"));
    constexpr qreal kDay = 24 * 3600 * 1000.0;
    x->setFormat(last - first > 2 * 365 * kDay ? QStringLiteral("MM.yyyy")
                                               : QStringLiteral("dd.MM.yyyy"));
    x->setTickCount(ticks);
    chart->addAxis(x, Qt::AlignBottom);
    const qreal room = std::max(kDay, (last - first) / 40);
    x->setRange(QDateTime::fromMSecsSinceEpoch(qint64(first - room), Qt::UTC),
                QDateTime::fromMSecsSinceEpoch(qint64(last + room), Qt::UTC));
    return x;
}

void mark(QLineSeries* line, bool on) {
    line->setPointsVisible(on);
    line->setMarkerSize(4);
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
    : QWidget(parent, Qt::Window), store_(store), dialogs_(dialogs), levels_(std::move(levels)),
      choosePicture_(fileDialogChooser(QStringLiteral("Сохранить картинку"), pngKind())) {
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
    period_ = new PeriodChoice(this);
    savePicture_ = new QPushButton(QStringLiteral("Сохранить картинку..."), this);
    savePicture_->setObjectName(QStringLiteral("SavePictureButton"));
    savePicture_->setToolTip(QStringLiteral("Сохранить открытый график картинкой PNG"));
    auto* row = new QHBoxLayout;
    auto* periodLabel = new QLabel(QStringLiteral("Период:"), this);
    periodLabel->setBuddy(period_);
    row->addWidget(periodLabel);
    row->addWidget(period_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("ChartsStatus"));
    status_->setTextFormat(Qt::PlainText);
    row->addWidget(status_, 1);
    row->addWidget(savePicture_);
    layout->insertLayout(0, row);
    tabs_ = new QTabWidget(this);
    layout->addWidget(tabs_);
    // Fits a 1366x768 screen with its panel and the window's frame.
    resize(900, 560);
    connectGuarded(dialogs, period_, &PeriodChoice::periodChosen, this,
                   &TournamentCharts::historyChanged);
    connectGuarded(dialogs, savePicture_, &QPushButton::clicked, this,
                   &TournamentCharts::savePictureClick);
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
    reading_->run([this, file = store_.fileName(), levelOf = levels_ ? levels_() : LevelOf(),
                   period = period_->period()] {
        auto read = std::make_shared<HistoryRead>(readHistoryAlone(file));
        auto ratings = std::make_shared<Rating>();
        auto shown = std::make_shared<History>();
        auto held = std::make_shared<QList<HeldYear>>();
        if (!read->failure) {
            *ratings = computeRating(read->history, levelOf);
            *shown = inPeriod(read->history, period);
            *held = heldYears(read->history);
        }
        return BesideWork::HandOver([this, read, ratings, shown, held, period] {
            guarded(dialogs_, [&] {
                if (read->failure) {
                    cannotRead(*read->failure);
                } else {
                    period_->setHeld(*held);
                    draw(read->history, *shown, *ratings, period);
                }
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

// Where each tournament stands on the date axis: at its date; one whose table names no date a
// minute after the one before it (or before the first dated one), in the order played.
QList<qreal> chartTimes(const QList<PlayedTournament>& tournaments) {
    constexpr qreal kMinute = 60 * 1000.0;
    QList<qreal> times(tournaments.size(), 0);
    qsizetype firstDated = -1;
    for (qsizetype t = 0; t < tournaments.size(); ++t) {
        if (tournaments[t].played.isValid()) {
            times[t] = qreal(tournaments[t].played.toMSecsSinceEpoch());
            if (firstDated < 0)
                firstDated = t;
        } else if (t > 0 && firstDated >= 0) {
            times[t] = times[t - 1] + kMinute;
        }
    }
    // Undated before any dated one: just before it, or days from the epoch when none has a date.
    for (qsizetype t = (firstDated < 0 ? tournaments.size() : firstDated) - 1; t >= 0; --t)
        times[t] = firstDated < 0 ? qreal(t) * 24 * 60 * kMinute : times[t + 1] - kMinute;
    return times;
}

// The mean of the last `span` values up to each one.
QList<QPointF> movingAverage(const QList<QPointF>& points, int span) {
    QList<QPointF> mean;
    qreal sum = 0;
    for (qsizetype i = 0; i < points.size(); ++i) {
        sum += points[i].y();
        if (i >= span)
            sum -= points[i - span].y();
        mean.append(QPointF(points[i].x(), sum / qreal(std::min<qsizetype>(i + 1, span))));
    }
    return mean;
}

// Evenings the average line of the goals runs over.
constexpr int kAverageSpan = 10;

// What the charts show of each player (by his index in `players`), tournament by tournament.
struct PlayerSeries {
    // Points so far: a player who missed an evening keeps the sum he had.
    QList<QList<QPointF>> cumulative, goalsFor, goalsAgainst;
    QList<qint64> sums;
    QList<std::array<qreal, 3>> places;
    qreal first = 0, last = 0; // the dates drawn
    qsizetype evenings = 0;
    QList<qsizetype> colours; // each player's colour: his place among all who ever played
    bool markers = false;     // a few tournaments are marked one by one
};

PlayerSeries playerSeries(const QStringList& players, const History& h,
                          const QStringList& everyone) {
    const qsizetype n = players.size();
    QHash<QString, qsizetype> at;
    PlayerSeries s;
    for (qsizetype p = 0; p < n; ++p) {
        at.insert(players[p], p);
        const qsizetype colour = everyone.indexOf(players[p]);
        s.colours.append(colour >= 0 ? colour : p);
    }
    for (auto* perPlayer : {&s.cumulative, &s.goalsFor, &s.goalsAgainst})
        perPlayer->resize(n);
    s.sums.fill(0, n);
    s.places.fill({0, 0, 0}, n);
    const QList<qreal> times = chartTimes(h.tournaments);
    for (qsizetype t = 0; t < h.tournaments.size(); ++t) {
        const PlayedTournament& pt = h.tournaments[t];
        for (int slot = 0; slot < 3; ++slot) {
            const qsizetype p = at.value(pt.players[slot], -1);
            if (p < 0)
                continue;
            s.sums[p] += pt.points[slot];
            if (pt.places[slot] > 0)
                s.places[p][pt.places[slot] - 1] += 1;
            s.goalsFor[p].append(QPointF(times[t], pt.goalsFor[slot]));
            s.goalsAgainst[p].append(QPointF(times[t], pt.goalsAgainst[slot]));
        }
        for (qsizetype p = 0; p < n; ++p)
            s.cumulative[p].append(QPointF(times[t], s.sums[p]));
    }
    s.evenings = h.tournaments.size();
    s.first = times.isEmpty() ? 0 : times.first();
    s.last = times.isEmpty() ? 0 : times.last();
    // After the first evening a line has one point: it shows only as a mark.
    s.markers = h.tournaments.size() <= 40;
    return s;
}

QChart* pointsChart(const QStringList& players, const PlayerSeries& s, const QString& period) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Очки по турнирам, нарастающим итогом: ") + period);
    QDateTimeAxis* x = dateAxis(chart, s.first, s.last);
    QValueAxis* y = axis(QStringLiteral("Очки"), chart, Qt::AlignLeft);
    qint64 top = 0;
    for (qsizetype p = 0; p < players.size(); ++p) {
        auto* line = new QLineSeries(chart);
        line->setName(legendName(players[p]));
        QPen pen(playerColour(s.colours[p]));
        pen.setWidth(2);
        line->setPen(pen);
        line->replace(s.cumulative[p]);
        mark(line, s.markers);
        attach(chart, line, x, y);
        top = std::max(top, s.sums[p]);
    }
    countRange(y, top, true);
    return chart;
}

QChart* placesChart(const QStringList& players, const PlayerSeries& s, const QString& period) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Сколько раз занято место: ") + period);
    auto* bars = new QBarSeries(chart);
    qreal most = 1;
    for (qsizetype p = 0; p < players.size(); ++p) {
        auto* set = new QBarSet(legendName(players[p]), bars);
        set->setColor(playerColour(s.colours[p]));
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
// that every player's chart shares: each evening a point, and the mean of the last ten evenings
// a line, which stays readable where hundreds of points crowd.
QChart* goalsChart(qsizetype p, const PlayerSeries& s, qreal high) {
    auto* chart = new QChart;
    chart->setMargins(QMargins(4, 4, 4, 4));
    QDateTimeAxis* x = dateAxis(chart, s.first, s.last, 4);
    QValueAxis* y = axis(QStringLiteral("Мячей"), chart, Qt::AlignLeft);
    const qreal dot = s.evenings <= 40 ? 9 : (s.evenings <= 150 ? 6 : 4);
    for (const bool against : {false, true}) {
        auto* line = new QLineSeries(chart);
        line->setName(against ? QStringLiteral("Пропущено") : QStringLiteral("Забито"));
        QPen pen(against ? kAgainstColour : playerColour(s.colours[p]));
        pen.setWidth(3);
        if (against)
            pen.setStyle(Qt::DashLine);
        line->setPen(pen);
        line->replace(movingAverage(against ? s.goalsAgainst[p] : s.goalsFor[p], kAverageSpan));
        attach(chart, line, x, y);
    }
    for (const bool against : {false, true}) {
        auto* points = new QScatterSeries(chart);
        points->setName(against ? QStringLiteral("Пропущено") : QStringLiteral("Забито"));
        // Points stand above lines whatever their order: see-through, so that the means show
        // through a crowd of evenings.
        QColor colour = against ? kAgainstColour : playerColour(s.colours[p]);
        if (s.markers == false)
            colour.setAlpha(against ? 130 : 110);
        // Goals against a hollow square around where a dot would be, so that equal figures
        // show both.
        points->setMarkerShape(against ? QScatterSeries::MarkerShapeRectangle
                                       : QScatterSeries::MarkerShapeCircle);
        points->setMarkerSize(against ? dot + 3 : dot);
        points->setPen(QPen(colour, against ? 1.5 : 0));
        points->setBrush(against ? QBrush(Qt::NoBrush) : QBrush(colour));
        if (!against)
            points->setPen(Qt::NoPen);
        points->replace(against ? s.goalsAgainst[p] : s.goalsFor[p]);
        attach(chart, points, x, y);
        // The legend names each colour once, by its line; the page says what the points are.
        for (QLegendMarker* marker : chart->legend()->markers(points))
            marker->setVisible(false);
    }
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
    auto* legend = new QLabel(QStringLiteral("Точки - мячи каждого вечера, линии - в среднем за "
                                             "последние %1 вечеров.")
                                  .arg(kAverageSpan),
                              grid);
    legend->setObjectName(QStringLiteral("GoalsLegend"));
    cells->addWidget(legend, 0, 0, 1, 2);
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
        cells->addWidget(cell, 1 + int(p / columns), int(p % columns));
    }
    page->setWidget(grid);
    return page;
}

// Each player's rating after every tournament he played, over the tournaments' dates; colours by
// the players' order in `all`, as in the other charts.
QChart* ratingChart(const History& all, const Rating& ratings, const Period& period) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Рейтинг после каждого турнира: ") + period.title());
    QList<const RatedTournament*> shown;
    for (const RatedTournament& rt : ratings.tournaments)
        if (period.holds(all.tournaments[rt.tournament].played))
            shown.append(&rt);
    const auto time = [&](const RatedTournament* rt) {
        return qreal(all.tournaments[rt->tournament].played.toMSecsSinceEpoch());
    };
    QDateTimeAxis* x = dateAxis(chart, time(shown.first()), time(shown.last()));
    QValueAxis* y = axis(QStringLiteral("Рейтинг"), chart, Qt::AlignLeft);
    QHash<QString, QList<QPointF>> points;
    qreal low = kStartRating, high = kStartRating;
    for (const RatedTournament* rated : shown) {
        const RatedTournament& rt = *rated;
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
        if (!points.contains(name))
            continue; // played no tournament of the period
        const qsizetype colour = all.players.indexOf(name);
        auto* line = new QLineSeries(chart);
        line->setName(legendName(name));
        QPen pen(playerColour(colour >= 0 ? colour : p));
        pen.setWidth(2);
        line->setPen(pen);
        line->replace(points.value(name));
        mark(line, shown.size() <= 40);
        attach(chart, line, x, y);
    }
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

void TournamentCharts::draw(const History& all, const History& shown, const Rating& ratings,
                            const Period& period) {
    clear();
    const QList<SkippedTable> leftOut = shown.leftOut();
    note_->setText(QStringLiteral("Не показаны таблицы, которые нельзя посчитать как турнир:\n") +
                   describeLeftOut(leftOut).join(QLatin1Char('\n')));
    note_->setVisible(!leftOut.isEmpty());
    History h = shown;
    h.tournaments.removeIf([](const PlayedTournament& t) { return !t.counted(); });
    if (h.tournaments.isEmpty()) {
        showNoTournaments(!period.isAllTime());
        return;
    }
    fileNamePart_ = period.fileNamePart();
    const PlayerSeries series = playerSeries(h.players, h, all.players);
    const QString title = period.title();
    tabs_->addTab(view(pointsChart(h.players, series, title), tabs_), QStringLiteral("Очки"));
    tabs_->addTab(view(placesChart(h.players, series, title), tabs_), QStringLiteral("Места"));
    tabs_->addTab(goalsPage(h.players, series, tabs_), QStringLiteral("Мячи"));
    const bool rated = std::any_of(ratings.tournaments.cbegin(), ratings.tournaments.cend(),
                                   [&](const RatedTournament& rt) {
                                       return period.holds(all.tournaments[rt.tournament].played);
                                   });
    if (rated)
        tabs_->addTab(view(ratingChart(all, ratings, period), tabs_), QStringLiteral("Рейтинг"));
}

void TournamentCharts::showNoTournaments(bool inPeriod) {
    auto* empty = new QLabel(inPeriod ? QStringLiteral("В этом периоде турниров нет: выберите "
                                                       "другой период.")
                                      : QStringLiteral("В базе ещё нет ни одного турнира. Запишите "
                                                       "турнир кнопкой \"Записать в базу\" в окне "
                                                       "результатов, и здесь появятся графики."),
                             tabs_);
    empty->setObjectName(QStringLiteral("NoTournaments"));
    empty->setWordWrap(true);
    empty->setAlignment(Qt::AlignCenter);
    tabs_->addTab(empty, QStringLiteral("Графики"));
}

void TournamentCharts::savePictureClick() {
    guarded(dialogs_, [&] {
        QWidget* page = tabs_->currentWidget();
        if (!page || tabs_->count() == 0)
            throw Error(QStringLiteral("Графиков нет: сохранять нечего. Запишите турнир или "
                                       "выберите другой период."));
        // The goals tab scrolls: the picture holds every player's chart, not only those in sight.
        if (auto* scroll = qobject_cast<QScrollArea*>(page); scroll && scroll->widget())
            page = scroll->widget();
        const QPixmap picture = page->grab();
        const QString base =
            QStringLiteral("Графики-") + tabs_->tabText(tabs_->currentIndex()) + fileNamePart_;
        const QString path = askSavePath(this, dialogs_, pngKind(), base, choosePicture_);
        if (path.isEmpty())
            return;
        savePng(path, picture.toImage());
        status_->setText(QStringLiteral("Сохранено: ") + QFileInfo(path).fileName());
    });
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
