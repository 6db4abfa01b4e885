#include "results/bestscorer.h"

#include "common/textfile.h"

namespace kv {

void chooseBestScorer(const QString& caption) {
    writeLines(kBestScorerFile, {caption});
}

} // namespace kv
