#pragma once

#include "common/settings.h"
#include "common/datafiles.h"
#include "pools/pools.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace kv {

class Dialogs;
class Random;

inline const QString kSettingsCreatedMessage =
    QStringLiteral("Файл настроек не найден. Создан файл настроек по умолчанию.");
inline const QString kCategoryQuestion =
    QStringLiteral("Клубы - Yes, Сборные - No, Случайно - Cancel");
inline const QString kNoPoolMessage = QStringLiteral(
    "Ни в одном списке команд не осталось трёх свободных команд, турнир составить нельзя. "
    "Пополните списки команд (Меню - Команды...) и перезапустите программу.");

// What the start of a run decides for the main window. The sequence fills it step by step; when a
// step fails the steps before it stay filled, and stepsDone says how far it got.
struct StartupResult {
    int stepsDone = 0;

    // 1: best scorer of the last tournament, and which slots carry his mark
    QString bestScorerName;
    std::array<bool, 3> bestScorerMarks{};
    // 2: lines of the seven pools together
    int poolTotal = 0;
    // 3-5: the recent-teams log after the clearing rules
    QStringList log;
    // 7: the category group of this tournament
    PoolGroup group = PoolGroup::Clubs;
    // 8-9: the pool the draw picks from, and what the title gains
    QString currentPool;
    QString captionSuffix;
    // 10-11: the free teams of the current pool ("temp"), sorted for the six choice boxes
    QStringList choiceItems;
    // 12-14: which except-choice (ComboBox2..4) and team-choice (ComboBox5..7) boxes are
    // enabled; all off with only the last three teams left
    std::array<bool, 3> exceptChoiceEnabled{};
    std::array<bool, 3> teamChoiceEnabled{};
    bool lastThreeTeams = false;
    // 15: the last tournament's teams of slots 1..3 and its date
    QStringList lastTournament;
    // 16: player names
    QStringList playerNames;
    // 17: start state of "Не использовать ВСЕ последние"
    bool logAll = true;
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
PoolGroup chooseGroup(const settings::FirstRead& first, Dialogs& dialogs, Random& random);

// A random pool of the group that is not exhausted; national teams with none left fall back to
// clubs and clubs with none left to national teams. Throws kNoPoolMessage when no pool at all
// has three free teams.
QString chooseCurrentPool(PoolGroup group, const std::function<bool(const QString&)>& exhausted,
                          Random& random);

// The order of the choice boxes: alphabetical, case-insensitive (ties by exact text).
QStringList sortedChoiceItems(QStringList items);

// A prize file's first line grants a privilege only when it is exactly this program's picture.
struct GiftGrants {
    bool teamChoice = false;
    bool exceptChoice = false;
};
GiftGrants giftGrants(const QString& firstLine);

} // namespace kv
