#pragma once

#include "common/datafiles.h"

#include <QString>

namespace kv {

// The best-scorer file in the working folder: one line, the name on the pressed button.
// Rewrites "bomb.txt" with caption; the next start reads it from there.
void chooseBestScorer(const QString& caption);

} // namespace kv
