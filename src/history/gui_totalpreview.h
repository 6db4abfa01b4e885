#pragma once

#include "history/history.h"

#include <QList>
#include <QString>

class QWidget;

namespace kv {

// The text above the preview: what a rebuild does, which rows it keeps as they are and which
// tables it leaves out.
QString rebuildNote(const TotalRebuild& rebuild);

// Shows "Total" as stored beside "Total" rebuilt from the tournaments and asks whether to replace
// it. True when the user confirms.
bool confirmTotalRebuild(QWidget* parent, const TotalRebuild& rebuild);

} // namespace kv
