#include "targets.h"

#include "common/programdir.h"

namespace {
kv::ProgramFiles programFiles;
}

// The template comes from the program folder: KV_FUZZ_PROGRAM_DIR when set, else the folder
// this build packs table.xlsx into.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    programFiles = kv::ProgramFiles(
        qEnvironmentVariable("KV_FUZZ_PROGRAM_DIR", QStringLiteral(KV_FUZZ_PROGRAM_DIR)));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvfuzz::workbookFill(data, size, programFiles);
    return 0;
}
