#pragma once

#include "common/datafiles.h"

#include <QString>

namespace kv {

struct RunState;

// The best-scorer file in the working folder: one line, the name on the pressed button.
// Makes caption the run's best scorer, then rewrites "bomb.txt" with it. The name is taken
// even when the file cannot be written (the error is thrown after).
void chooseBestScorer(RunState& state, const QString& caption);

} // namespace kv
