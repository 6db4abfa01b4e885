#include "app/startup.h"

#include "common/dialogs.h"
#include "common/errors.h"
#include "common/random.h"
#include "common/textfile.h"
#include "history/historystore.h"
#include "history/playerrename.h"
#include "pools/teamlog.h"
#include "tournament/evening.h"
#include "tournament/gifts.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <vector>

namespace kv {

const std::array<QString, 3>& designPlayerNames() {
    static const std::array<QString, 3> names = Evening{}.players;
    return names;
}

std::array<bool, 3> bestScorerMarks(const QString& name, const QStringList& settingsNames) {
    std::array<bool, 3> marks{};
    if (name.isEmpty()) // an empty file names nobody, not a player without a name
        return marks;
    // The names shown are the settings names: they decide. The design-time captions only
    // recognise a file written before the players were named.
    bool found = false;
    for (int i = 0; i < 3; ++i)
        found |= marks[i] = name == lineAt(settingsNames, i);
    if (!found)
        for (int i = 0; i < 3; ++i)
            marks[i] = name == designPlayerNames()[i];
    return marks;
}

PoolGroup chooseGroup(const settings::Values& first, Dialogs& dialogs, Random& random) {
    const auto randomGroup = [&] {
        return random.below(2) == 0 ? PoolGroup::Clubs : PoolGroup::NationalTeams;
    };
    if (first.askFlag == QLatin1String("1")) {
        switch (dialogs.yesNoCancel(kCategoryQuestion, kCategoryButtons)) {
        case Dialogs::Answer::Yes:
            return PoolGroup::Clubs;
        case Dialogs::Answer::No:
            return PoolGroup::NationalTeams;
        default: // Cancel, or the box closed without a button
            return randomGroup();
        }
    }
    if (first.askFlag == QLatin1String("0")) {
        const std::optional<Category> category = parseCategory(first.category);
        if (category == Category::NationalTeams)
            return PoolGroup::NationalTeams;
        if (category == Category::Random)
            return randomGroup();
    }
    return PoolGroup::Clubs;
}

namespace {

// Random picks among the group until one is free; nullopt when none is.
std::optional<QString> pickFree(const QStringList& group,
                                const std::function<bool(const QString&)>& exhausted,
                                Random& random) {
    if (std::all_of(group.cbegin(), group.cend(), exhausted))
        return std::nullopt;
    for (;;) {
        const QString& pick = group[random.below(static_cast<int>(group.size()))];
        if (!exhausted(pick))
            return pick;
    }
}

} // namespace

QString chooseCurrentPool(PoolGroup group, const std::function<bool(const QString&)>& exhausted,
                          Random& random) {
    // Each group falls back to the other: a run always gets a pool while any pool has room.
    const PoolGroup other = group == PoolGroup::Clubs ? PoolGroup::NationalTeams : PoolGroup::Clubs;
    const QStringList& preferred = startPickFiles(group);
    const QStringList& fallback = startPickFiles(other);
    if (std::optional<QString> pool = pickFree(preferred, exhausted, random))
        return *pool;
    if (std::optional<QString> pool = pickFree(fallback, exhausted, random))
        return *pool;
    throw Error(kNoPoolMessage);
}

QStringList sortedChoiceItems(QStringList items) {
    // Folding each name once keeps the comparisons plain and fast on long lists.
    struct Keyed {
        QString folded;
        QString item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(items.size());
    for (QString& item : items)
        keyed.push_back({item.toCaseFolded(), std::move(item)});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.folded != b.folded ? a.folded < b.folded : a.item < b.item;
    });
    QStringList sorted;
    sorted.reserve(qsizetype(keyed.size()));
    for (Keyed& k : keyed)
        sorted.append(std::move(k.item));
    return sorted;
}

GiftGrants giftGrants(const QString& firstLine) {
    const QString name = giftFileName(firstLine);
    return {name == QLatin1String("team.bmp"), name == QLatin1String("unteam.bmp")};
}

namespace {

// Every pool's lines, read once at start: the pool total and the exhaustion tests use them.
using PoolLines = QHash<QString, QStringList>;

// The mark follows the name he was saved under: his name in the settings file (which may not
// exist yet on a first start), else a design-time caption.
void readBestScorer(StartupResult& out) {
    const QString name = readFirstLine(kBestScorerFile);
    QStringList settingsNames;
    try {
        settingsNames = settings::read().players;
    } catch (const Error&) {
    }
    out.bestScorer = BestScorerMark{name, bestScorerMarks(name, settingsNames)};
}

PoolLines readPools(StartupResult& out) {
    PoolLines poolLines;
    int total = 0;
    for (const PoolInfo& info : pools()) {
        QStringList lines = readLines(info.file);
        total += static_cast<int>(lines.size());
        poolLines.insert(info.file, std::move(lines));
    }
    out.poolTotal = total;
    return poolLines;
}

// The log, created empty when missing, cleared when too long for the pools or when every pool
// is used up by it (the second rule on the log as the first one left it). Returns how often
// each team stands in what is left.
LineCounts readRecentTeams(StartupResult& out, PoolLines& poolLines, Dialogs& dialogs) {
    QStringList log = openOrCreateLog();
    if (logTooLong(log.size(), *out.poolTotal)) {
        dialogs.information(kLogClearedMessage);
        clearLog();
        log.clear();
    }
    LineCounts logCounts = countEachLine(log);
    const auto linesOf = [&](const QString& file) -> const QStringList& { return poolLines[file]; };
    if (allPoolsExhausted(linesOf, logCounts)) {
        dialogs.information(kLogClearedMessage);
        clearLog();
        log.clear();
        logCounts.clear();
    }
    out.log = log;
    return logCounts;
}

// Only a missing file is replaced by the default one: a file that exists but cannot be read
// keeps the players' names and fails here instead.
settings::Values readOrCreateSettings(StartupResult& out, Dialogs& dialogs) {
    if (QFileInfo::exists(settings::kFileName))
        return settings::read();
    dialogs.information(kSettingsCreatedMessage);
    settings::writeDefault();
    out.settingsCreated = true;
    return settings::parse(settings::defaultLines());
}

// The category group, the pool the draw picks from and its free teams for the choice boxes.
QStringList chooseTodaysPool(StartupResult& out, const settings::Values& first,
                             PoolLines& poolLines, const LineCounts& logCounts, Dialogs& dialogs,
                             Random& random) {
    const PoolGroup group = chooseGroup(first, dialogs, random);
    out.group = group;
    QHash<QString, bool> exhaustedCache;
    const auto exhausted = [&](const QString& file) {
        auto it = exhaustedCache.find(file);
        if (it == exhaustedCache.end())
            it = exhaustedCache.insert(file, PoolExhausted(poolLines[file], logCounts));
        return *it;
    };
    const QString currentPool = chooseCurrentPool(group, exhausted, random);
    out.currentPool = currentPool;
    out.captionSuffix = poolInfo(currentPool)->captionSuffix;
    QStringList candidates = BuildCandidateList(poolLines[currentPool], logCounts);
    out.choiceItems = sortedChoiceItems(candidates);
    return candidates;
}

// The prizes of the last tournament, one file after the other, and the best scorer's mark open
// the choice boxes; with only three free teams left there is nothing to choose.
void grantChoices(StartupResult& out, qsizetype freeTeams) {
    for (int gift = 0; gift < 2; ++gift) {
        const GiftGrants grants = giftGrants(readFirstLine(gift == 0 ? kGift1File : kGift2File));
        out.giftGrants[gift] = grants;
        if (grants.teamChoice)
            out.teamChoiceEnabled = {true, true, true};
        if (grants.exceptChoice)
            out.exceptChoiceEnabled = {true, true, true};
    }
    // The best scorer may exclude one team from his own draw.
    for (int i = 0; i < 3; ++i)
        if (out.bestScorer->marks[i])
            out.exceptChoiceEnabled[i] = true;
    const bool lastThree = freeTeams == 3;
    if (lastThree) {
        out.exceptChoiceEnabled = {};
        out.teamChoiceEnabled = {};
    }
    out.lastThreeTeams = lastThree;
}

void readLastTournamentAndPlayers(StartupResult& out, const settings::Values& settings) {
    const QStringList last = readLines(kLastTournamentFile);
    out.lastTournament =
        QStringList{lineAt(last, 0), lineAt(last, 1), lineAt(last, 2), lineAt(last, 3)};
    out.playerNames = settings.players;
    out.logAll = settings.logAllFlag() == 1;
}

// A rename the last run left half done is finished or dropped before any file is read, so that
// the history and the files name the players alike.
void settleRename(Dialogs& dialogs) {
    const QFileInfo mark(kRenameMarkFile);
    if (!mark.exists() && !mark.isSymLink())
        return;
    try {
        HistoryStore history;
        settleInterruptedRename(history);
    } catch (const Error& e) {
        dialogs.information(QStringLiteral("Переименование игроков, прерванное при прошлом "
                                           "запуске, сейчас не закончить: %1\nПрограмма "
                                           "попробует снова при следующем запуске.")
                                .arg(e.text()));
    }
}

} // namespace

void runStartup(StartupResult& out, Dialogs& dialogs, Random& random) {
    random.seedFromClock();
    settleRename(dialogs);
    readBestScorer(out);
    PoolLines poolLines = readPools(out);
    const LineCounts logCounts = readRecentTeams(out, poolLines, dialogs);
    const settings::Values settings = readOrCreateSettings(out, dialogs);
    const QStringList candidates =
        chooseTodaysPool(out, settings, poolLines, logCounts, dialogs, random);
    grantChoices(out, candidates.size());
    readLastTournamentAndPlayers(out, settings);
}

} // namespace kv
