#include "targets.h"

#include "common/programdir.h"

// The template comes from the program folder: KV_FUZZ_PROGRAM_DIR when set, else the folder
// this build packs table.xlsx into.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const QString dir =
        qEnvironmentVariable("KV_FUZZ_PROGRAM_DIR", QStringLiteral(KV_FUZZ_PROGRAM_DIR));
    kv::setProgramDir(dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/'));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvfuzz::workbookFill(data, size);
    return 0;
}
