#pragma once

#include "common/datafiles.h"
#include "common/dialogs.h"
#include "common/settings.h"
#include "pools/pools.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace kv {

class Random;

inline const QString kSettingsCreatedMessage =
    QStringLiteral("Файл настроек не найден. Создан файл настроек по умолчанию.");
inline const QString kCategoryQuestion =
    QStringLiteral("Клубы - Yes, Сборные - No, Случайно - Cancel");
// The question's buttons say what its text calls them.
inline const Dialogs::Captions kCategoryButtons{QStringLiteral("Клубы"), QStringLiteral("Сборные"),
                                                QStringLiteral("Случайно")};
inline const QString kNoPoolMessage = QStringLiteral(
    "Ни в одном списке команд не осталось трёх свободных команд, турнир составить нельзя. "
    "Пополните списки команд (Меню - Команды...) и перезапустите программу.");

// The best scorer of the last tournament, and which player slots carry his mark.
struct BestScorerMark {
    QString name;
    std::array<bool, 3> marks{};
};

// A prize file's first line grants a privilege only when it is exactly this program's picture.
struct GiftGrants {
    bool teamChoice = false;
    bool exceptChoice = false;
};
GiftGrants giftGrants(const QString& firstLine);

// What the start of a run decides for the main window. The sequence fills it as it goes; when a
// step fails, what it filled before stays, and every value not reached stays empty.
struct StartupResult {
    std::optional<BestScorerMark> bestScorer;
    // Lines of the seven pools together.
    std::optional<int> poolTotal;
    // The recent-teams log after the clearing rules.
    std::optional<QStringList> log;
    // The category group of this tournament.
    std::optional<PoolGroup> group;
    // The pool the draw picks from, and what the title gains.
    std::optional<QString> currentPool;
    std::optional<QString> captionSuffix;
    // The free teams of the current pool ("temp"), sorted for the six choice boxes.
    std::optional<QStringList> choiceItems;
    // Which except-choice and team-choice boxes are enabled: granted by the prizes of the last
    // tournament and the best scorer's mark as far as those were read, all off with only the
    // last three teams left.
    std::array<bool, 3> exceptChoiceEnabled{};
    std::array<bool, 3> teamChoiceEnabled{};
    // What each gift file (first place, second place) granted.
    std::array<GiftGrants, 2> giftGrants{};
    std::optional<bool> lastThreeTeams;
    // The last tournament's teams of slots 1..3 and its date.
    std::optional<QStringList> lastTournament;
    std::optional<QStringList> playerNames;
    // Start state of "Не использовать ВСЕ последние"; the last value: set means the whole
    // sequence ran.
    std::optional<bool> logAll;
    // The settings file was missing and has just been made with its defaults: a first start.
    bool settingsCreated = false;
};

// Runs the whole start-up sequence in the working folder, filling out as it goes; throws
// kv::Error at the first step that fails. Messages and the category question go to dialogs;
// random choices use random, reseeded from the clock first.
void runStartup(StartupResult& out, Dialogs& dialogs, Random& random);

// The captions of the player labels at design time; a best scorer saved under one of these
// names is marked in that slot.
const std::array<QString, 3>& designPlayerNames();

// The slots whose settings name is the best scorer's; when none is, the slots whose design-time
// name is.
std::array<bool, 3> bestScorerMarks(const QString& name, const QStringList& settingsNames);

// Clubs or national teams, from the settings' first two lines (asking when the first is "1").
PoolGroup chooseGroup(const settings::Values& first, Dialogs& dialogs, Random& random);

// A random pool of the group that is not exhausted; national teams with none left fall back to
// clubs and clubs with none left to national teams. Throws kNoPoolMessage when no pool at all
// has three free teams.
QString chooseCurrentPool(PoolGroup group, const std::function<bool(const QString&)>& exhausted,
                          Random& random);

// The order of the choice boxes: alphabetical, case-insensitive (ties by exact text).
QStringList sortedChoiceItems(QStringList items);

} // namespace kv
