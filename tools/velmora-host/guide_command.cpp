// velmora-host guide import: a path drawn anywhere into a guide file.
#include "tools/velmora-host/commands.h"
#include "tools/velmora-host/files.h"
#include "tools/velmora-host/guide_import.h"

namespace velmora::cli {

int RunGuideImport(const GuideImportOptions& o, const Console& console) {
    std::string error;
    if (!CheckOutputsAreNotInputs({{"-o", o.output}}, {{"the SVG file", o.input}}, error)) {
        return console.Fail(kExitRefused, error);
    }
    OutputFile out;
    if (!out.Prepare(o.output, error)) return console.Fail(kExitFailed, error);
    std::string svg;
    if (!ReadInput(o.input, svg, error)) return console.Fail(kExitFailed, error);
    std::string guide;
    std::vector<std::string> notes;
    const std::string name = IsStandardStream(o.input) ? "standard input" : o.input;
    if (!ImportGuide(svg, o.id, guide, error, &notes)) {
        return console.Fail(kExitFailed, "cannot import \"" + name + "\": " + error);
    }
    for (const std::string& n : notes) console.Warn("\"" + name + "\": " + n);
    if (out.toStandardOutput()) UseBinaryStandardStreams();
    if (!out.Commit(guide, console.out, error)) return console.Fail(kExitFailed, error);
    if (!out.toStandardOutput()) console.Note("wrote " + o.output);
    return kExitOk;
}

}  // namespace velmora::cli
