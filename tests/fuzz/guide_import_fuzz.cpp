// SVG text from anywhere through velmora-host's guide import: it never
// crashes or hangs, and a guide it writes is read back by the host's model
// of the module and by the module itself as the same curve.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/guide_file.h"
#include "render/path_parser.h"
#include "tools/velmora-host/guide_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    cli::GuideReadingProblem(text);
    std::string guide, error;
    std::vector<std::string> notes;
    if (!cli::ImportGuide(text, "", guide, error, &notes)) return 0;
    if (!cli::GuideReadingProblem(guide).empty()) std::abort();
    PathParser parser;
    if (!ParseSvgGuide(parser, guide)) std::abort();
    const std::optional<cli::GuidePath> model = cli::ReadAsModule(guide);
    if (!model || model->commands.size() != parser.commands.size() || model->width != parser.width) {
        std::abort();
    }
    for (size_t i = 0; i < parser.commands.size(); ++i) {
        const auto& a = parser.commands[i].points;
        const auto& b = model->commands[i].points;
        if (a.size() != b.size()) std::abort();
        for (size_t j = 0; j < a.size(); ++j) {
            if (a[j].x != b[j].x || a[j].y != b[j].y) std::abort();
        }
    }
    return 0;
}
