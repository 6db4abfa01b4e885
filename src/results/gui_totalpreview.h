#pragma once

#include "results/storedtournament.h"

#include <QList>
#include <QString>

class QWidget;

namespace kv {

// The text above the preview: what a rebuild does, and which rows it keeps as they are.
QString rebuildNote(const QList<TotalLine>& lines);

// Shows "Total" as stored beside "Total" rebuilt from the tournaments and asks whether to replace
// it. True when the user confirms.
bool confirmTotalRebuild(QWidget* parent, const QList<TotalLine>& lines);

} // namespace kv
