#pragma once

#include "history/history.h"

#include <QString>

#include <optional>

namespace kv {

// The history read on a connection of its own, opened for reading only: for a reading beside the
// windows, which must never share their connection. A failure comes back as its text.
struct HistoryRead {
    History history;
    std::optional<QString> failure;
};
HistoryRead readHistoryAlone(const QString& fileName);

} // namespace kv
