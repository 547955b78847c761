// SVG guide text from anywhere: parsed, flattened and walked; then used as
// the guide of a small pass through the host. An input that starts with
// kGeneratedGuide instead describes a guide too large to write out: thousands
// of curves whose control points lie far from the row they follow.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "data/guide_file.h"
#include "render/path_parser.h"
#include "render/template_kind.h"
#include "tests/fuzz/filter_session.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr uint8_t kGeneratedGuide = 0xF7;

// count curves (cubic, quadratic or both by turns, up to 4000), each advancing `step`
// along x with its control points `far` units across, then the template and
// spacing of the pass.
struct GeneratedGuide {
    std::string text;
    int32_t type = 0;
    int32_t spacing = 50;
};

GeneratedGuide Generate(velmora::fuzz::ByteReader& in) {
    GeneratedGuide g;
    const int count = 1 + in.U16() % 4000;
    double far = 1.0;
    for (int e = in.Byte() % 13; e > 0; --e) far *= 10.0;  // 1 to 1e12
    const double step = 1 + in.Byte() % 64;
    const uint8_t kinds = in.Byte() % 3;  // cubics, quadratics, by turns
    g.type = in.Byte() % 3;
    // At most 161 radial lines: thousands of curves on each stay well within
    // the target's time limit under the sanitizers.
    g.spacing = (g.type == velmora::kTemplateRadial ? 25 : 1) + in.Byte() % 64;
    std::string d = "M 0 0";
    char b[160];
    for (int i = 0; i < count; ++i) {
        const double x = i * step;
        const double sign = (i % 2) ? -1.0 : 1.0;
        if (kinds == 0 || (kinds == 2 && i % 2 == 0)) {
            std::snprintf(b, sizeof b, " C %.17g %.17g %.17g %.17g %.17g 0", x + step / 3,
                          far * sign, x + 2 * step / 3, -far * sign, x + step);
        } else {
            std::snprintf(b, sizeof b, " Q %.17g %.17g %.17g 0", x + step / 2, far * sign, x + step);
        }
        d += b;
    }
    g.text = "<svg><path d=\"" + d + "\"/></svg>";
    return g;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    GeneratedGuide generated;
    const bool isGenerated = size > 0 && data[0] == kGeneratedGuide;
    if (isGenerated) {
        fuzz::ByteReader in(data + 1, size - 1);
        generated = Generate(in);
        text = generated.text;
    }

    // As the loader does: a guide is flattened only within its bound.
    PathParser parser;
    ParseSvgGuide(parser, text);
    parser.FlattenWithin(false, kMaxGuideSegments);
    parser.Advance(parser.totalLength * 0.5);
    parser.Retreat(3.0);
    parser.Advance(1e9);

    fuzz::WriteFile(fuzz::DataHome() / "guide" / "fuzz.svg", text);
    PathParser loaded;
    LoadGuide(loaded, u"fuzz");

    if (isGenerated) {
        fuzz::RunGuideSession(u"fuzz", generated.type, generated.spacing);
    } else {
        fuzz::RunGuideSession(u"fuzz");
    }
    return 0;
}
