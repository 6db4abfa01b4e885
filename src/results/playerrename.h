#pragma once

#include <QList>
#include <QString>

#include <utility>

namespace kv {

// A player's name as it was and as it is to be.
using PlayerRename = std::pair<QString, QString>;

// The question the settings dialog asks when it changes names that the history holds.
QString renameQuestion(const QList<PlayerRename>& renames);

} // namespace kv
