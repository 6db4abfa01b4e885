// The program's own files (pictures, sheet template, defaults) as the benchmarks read them: found
// the way the program finds them, once the application object exists.
#pragma once

#include "common/programdir.h"

namespace kvbench {

inline const kv::ProgramFiles& programFiles() {
    static const kv::ProgramFiles files = kv::ProgramFiles::installed();
    return files;
}

} // namespace kvbench
