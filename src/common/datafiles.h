#pragma once

#include <QString>

// The data files that carry a tournament from one evening to the next, opened by bare names in
// the working directory.
namespace kv {

inline const QString kBestScorerFile = QStringLiteral("bomb.txt");
inline const QString kLastTournamentFile = QStringLiteral("last.txt");
inline const QString kGift1File = QStringLiteral("gift1.txt");
inline const QString kGift2File = QStringLiteral("gift2.txt");
// The evening whose first and second places won the prizes in the gift files.
inline const QString kPrizeEveningFile = QStringLiteral("prizes.txt");

} // namespace kv
