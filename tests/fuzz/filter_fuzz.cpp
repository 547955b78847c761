// The whole filter from anywhere: the input decodes into a host, a scene,
// panel edits and replies, and drives the module through its entry point.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/filter_session.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    velmora::fuzz::ClearDataFolders();  // presets saved by earlier inputs
    velmora::fuzz::ByteReader in(data, size);
    velmora::fuzz::RunFilterSession(in);
    return 0;
}
