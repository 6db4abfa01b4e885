#include "results/bestscorer.h"

#include "common/services.h"
#include "common/textfile.h"

namespace kv {

void chooseBestScorer(RunState& state, const QString& caption) {
    state.bestScorerName = caption;
    writeLines(kBestScorerFile, {caption});
}

} // namespace kv
