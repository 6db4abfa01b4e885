#include "household.h"

#include "common/random.h"
#include "common/textfile.h"
#include "history/historystore.h"
#include "history/tournamenttables.h"
#include "pools/draw.h"
#include "pools/pools.h"
#include "pools/teamlog.h"
#include "tournament/standings.h"

#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>
#include <stdexcept>

namespace kvtest {

namespace {

const QStringList kPlayers{QStringLiteral("Зурко"), QStringLiteral("Пенва"),
                           QStringLiteral("Лодыш")};

// Below 1 in `n` of the cases.
bool oneIn(kv::Random& random, int n) {
    return random.below(n) == 0;
}

// Goals of one side: Poisson around 1.3, now and then a side that runs riot.
int goals(kv::Random& random) {
    const double limit = std::exp(-1.3);
    double p = 1.0;
    int k = -1;
    do {
        ++k;
        p *= (random.below(1 << 30) + 0.5) / double(1 << 30);
    } while (p > limit);
    if (oneIn(random, 40))
        k += 3 + random.below(3);
    return k;
}

struct Pools {
    Pools() {
        for (const kv::PoolInfo& info : kv::pools()) {
            lines.insert(info.file,
                         kv::readLines(QStringLiteral(KV_SOURCE_DIR "data/") + info.file));
            total += int(lines[info.file].size());
        }
    }
    QHash<QString, QStringList> lines;
    int total = 0;
};

// The log and the pool of an evening as the start of a run keeps and chooses them: cleared when
// too long or when no pool has three free teams; clubs most evenings, national teams sometimes.
QString todaysPool(const Pools& pools, QStringList& log, kv::Random& random) {
    const auto linesOf = [&](const QString& file) -> const QStringList& {
        return *pools.lines.constFind(file);
    };
    if (kv::logTooLong(log.size(), pools.total) ||
        kv::allPoolsExhausted(linesOf, kv::countEachLine(log)))
        log.clear();
    const kv::LineCounts counts = kv::countEachLine(log);
    const kv::PoolGroup group =
        oneIn(random, 5) ? kv::PoolGroup::NationalTeams : kv::PoolGroup::Clubs;
    QStringList free;
    for (const QString& file : kv::startPickFiles(group))
        if (!kv::PoolExhausted(pools.lines[file], counts))
            free.append(file);
    if (free.isEmpty())
        free = kv::startPickFiles(group);
    return free[random.below(int(free.size()))];
}

void check(bool ok, const QSqlError& error) {
    if (!ok)
        throw std::runtime_error(error.text().toStdString());
}

} // namespace

void writeHousehold(const Household& household, const QString& file) {
    static const Pools pools;
    kv::Random random(household.seed);
    kv::Random schedules(household.seed + 1);
    QFile::remove(file);
    const QString connection = QStringLiteral("household-") + file;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        check(db.open(), db.lastError());
        QSqlQuery query(db);
        const auto run = [&](const QString& statement) {
            check(query.exec(statement), query.lastError());
        };
        run(QStringLiteral("PRAGMA journal_mode = OFF"));
        check(db.transaction(), db.lastError());
        QFile baseSql(QStringLiteral(KV_SOURCE_DIR "data/base.sql"));
        if (!baseSql.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read data/base.sql");
        run(QString::fromUtf8(baseSql.readAll()));
        run(QStringLiteral("CREATE TABLE ") + kv::kBestScorerTable +
            QStringLiteral(" (tournament TEXT PRIMARY KEY, player TEXT)"));

        std::array<kv::Figures, 3> sums{};
        QStringList log;
        std::array<QString, 3> lastTeams;
        const int firstScorer =
            household.evenings - int(std::lround(household.evenings * household.withBestScorer));
        const int firstOrder =
            household.evenings - int(std::lround(household.evenings * household.withPlayOrder));
        // Evenings about four days apart, ending in the autumn of 2026.
        QDateTime at(QDate(2026, 11, 1).addDays(-4LL * household.evenings), QTime(19, 0));
        for (int evening = 0; evening < household.evenings; ++evening) {
            at = QDateTime(at.date().addDays(2 + random.below(5)),
                           QTime(18 + random.below(4), random.below(60), random.below(60)));
            const QString pool = todaysPool(pools, log, random);
            kv::DrawSlots board;
            board.lastTeams = lastTeams;
            QString logText = log.join(QLatin1Char('\n'));
            kv::DrawResult drawn = kv::drawTeams(board, {}, pools.lines[pool], logText,
                                                 pools.total, random);
            if (drawn.outcome != kv::DrawResult::Outcome::Ok) {
                // The pool ran out under the log: the program's next start clears it.
                log.clear();
                drawn = kv::drawTeams(board, {}, pools.lines[pool], QString(), pools.total,
                                      random);
            }
            lastTeams = drawn.teams;
            log << drawn.teams[0] << drawn.teams[1] << drawn.teams[2];

            QStringList boxes;
            for (int box = 0; box < 12; ++box)
                boxes << QString::number(goals(random));
            const kv::ComputedStandings computed{boxes, kv::computeStandings(boxes)};
            const kv::TournamentEntry entry = kv::tournamentEntry(
                kPlayers, {drawn.teams[0], drawn.teams[1], drawn.teams[2]}, computed);

            const QString table = at.toString(QStringLiteral("dd_MM_yyyy__H_mm_ss"));
            run(kv::createTournamentStatement(table));
            check(query.prepare(QStringLiteral("INSERT INTO ") + kv::quoteIdentifier(table) +
                                QStringLiteral(" VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")),
                  query.lastError());
            for (const kv::TournamentRow& row : kv::tournamentRows(entry)) {
                for (const QVariant& v : {QVariant(row.id), QVariant(row.player),
                                          QVariant(row.team), QVariant(row.teams[0]),
                                          QVariant(row.teams[1]), QVariant(row.teams[2]),
                                          QVariant(row.goals), QVariant(row.scores),
                                          QVariant(row.rank)})
                    query.addBindValue(v);
                check(query.exec(), query.lastError());
            }
            run(QStringLiteral("CREATE INDEX ") +
                kv::quoteIdentifier(kv::tournamentIndexName(table)) + QStringLiteral(" ON ") +
                kv::quoteIdentifier(table) + QStringLiteral(" (id)"));
            for (int i = 0; i < 3; ++i)
                sums[i] += entry.players[i].figures;
            if (evening >= firstOrder) {
                // A schedule as the program makes it, X-Y, Z-X, Y-Z, from a generator of its
                // own: the evenings stay those of the same seed without orders.
                const int x = schedules.below(3), y = (x + 1 + schedules.below(2)) % 3,
                          z = 3 - x - y;
                const QStringList t{drawn.teams[0], drawn.teams[1], drawn.teams[2]};
                if (const auto order = kv::playOrderOf(t, {t[x], t[y], t[z], t[x], t[y], t[z]}))
                    kv::keepPlayOrder(db, table, *order);
            }
            if (evening >= firstScorer) {
                // The top scorer of the evening; "Никто!" when two share the most goals.
                int best = 0;
                for (int i = 1; i < 3; ++i)
                    if (entry.players[i].figures.goalsFor > entry.players[best].figures.goalsFor)
                        best = i;
                int sharing = 0;
                for (int i = 0; i < 3; ++i)
                    sharing += entry.players[i].figures.goalsFor ==
                               entry.players[best].figures.goalsFor;
                check(query.prepare(QStringLiteral("INSERT INTO ") + kv::kBestScorerTable +
                                    QStringLiteral(" VALUES (?, ?)")),
                      query.lastError());
                query.addBindValue(table);
                query.addBindValue(sharing > 1 ? QStringLiteral("Никто!") : kPlayers[best]);
                check(query.exec(), query.lastError());
            }
        }
        for (int i = 0; i < 3; ++i)
            kv::insertIntoTotal(db, kPlayers[i], sums[i]);
        check(db.commit(), db.lastError());
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace kvtest
