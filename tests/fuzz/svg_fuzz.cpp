// SVG guide text from anywhere: parsed, flattened and walked; then used as
// the guide of a small pass through the host.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "data/guide_file.h"
#include "render/path_parser.h"
#include "tests/fuzz/filter_session.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    PathParser parser;
    ParseSvgGuide(parser, text);
    parser.Flatten(false);
    parser.Advance(parser.totalLength * 0.5);
    parser.Retreat(3.0);
    parser.Advance(1e9);

    fuzz::WriteFile(fuzz::DataHome() / "guide" / "fuzz.svg", text);
    PathParser loaded;
    LoadGuide(loaded, u"fuzz");

    fuzz::RunGuideSession(u"fuzz");
    return 0;
}
