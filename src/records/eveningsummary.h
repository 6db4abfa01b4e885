#pragma once

#include "history/history.h"
#include "records/records.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What one stored evening comes to, for the players to send round the next morning: as plain
// text for a chat and as the figures the card is drawn from.
namespace kv {

struct EveningSummary {
    QString table;
    QString date;    // as the program writes dates; the table's name when it names none
    QString isoDate; // yyyy-MM-dd, empty when the table names no date

    // One player of the evening, in the order of the table: by place, then as seated.
    struct Line {
        QString player;
        QString club;
        QString level; // the club's star level, kOtherLevel when no pool holds it
        int place = 0;
        qint64 points = 0;
        qint64 goalsFor = 0;
        qint64 goalsAgainst = 0;
    };
    QList<Line> table3;

    // The six matches in the order played.
    struct Score {
        QString home;
        QString away;
        qint64 homeGoals = 0;
        qint64 awayGoals = 0;
    };
    QList<Score> scores;

    // None when the evening was written before the program kept it; "Никто!" stays as chosen.
    std::optional<QString> bestScorer;

    // The rating's changes, in the order of the table; empty for a table without a date, which
    // the rating does not count.
    struct RatingChange {
        QString player;
        int before = 0;
        int after = 0;
        bool provisional = false; // still settling after this evening
    };
    QList<RatingChange> ratings;
    std::optional<QString> playerOfEvening;

    // "Новый рекорд: ..." for each record the evening broke when it was played.
    QStringList records;

    // First places of the calendar year up to and including this evening, most first; none for
    // a table without a date.
    struct SeasonPlace {
        QString player;
        int firstPlaces = 0;
    };
    int seasonYear = 0;
    QList<SeasonPlace> season;
};

// The summary of the counted tournament `table` of `history`. Throws kv::Error, in the players'
// words, when the history holds no such tournament or does not count it.
EveningSummary eveningSummary(const History& history, const QString& table, const LevelOf& levelOf,
                              const TournamentDate& date);

// Lines of the summary in the words of the card: "1. Зурко (Реал Мадрид, Клубы 5*)", ...
QString tableLineText(const EveningSummary::Line& line);
QString pointsText(const EveningSummary::Line& line);
QString scoreText(const EveningSummary::Score& score);
QString bestScorerText(const EveningSummary& s);
QString ratingText(const EveningSummary::RatingChange& change);
// "1455 → 1576 (+121)", with a "?" while the rating settles.
QString ratingChangeText(const EveningSummary::RatingChange& change);
QString seasonText(const EveningSummary& s);

// The summary as plain text for a chat, one fact a line.
QString summaryText(const EveningSummary& s);

} // namespace kv
