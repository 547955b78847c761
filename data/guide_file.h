// Guides: the built-in straight and curved guides and SVG guide files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "render/path_parser.h"

namespace velmora {

struct GuideTransform {
    double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;
};

// Every line of a pass maps and walks the whole guide: a guide of more
// commands than this would make one pass take minutes, and is unusable.
constexpr size_t kMaxGuideCommands = 10000;

// ":S" straight, ":C" curve, else the guide file of that name; an unusable
// file (or one of more than kMaxGuideCommands commands) gives the straight
// guide. Always leaves a usable guide.
void LoadGuide(PathParser& parser, std::u16string_view name);
void MakeStraightGuide(PathParser& parser);
void MakeCurveGuide(PathParser& parser);

// Reads the first path element of an SVG text; true when a command was stored.
bool ParseSvgGuide(PathParser& parser, std::string_view text);

// Every name="value" of one tag in order of appearance: the name is the run
// of ASCII letters directly before `="` (possibly empty), the value runs to
// the next double quote and holds no LF or CR.
std::vector<std::pair<std::string_view, std::string_view>> AttributeMatches(
    std::string_view tag);
// The attribute map of one tag; a later name replaces an earlier one.
std::unordered_map<std::string, std::string> ReadAttributes(std::string_view tag);

GuideTransform ParseTransform(std::string_view value);

// Reads one number of path data at pos and moves pos past it; throws
// std::invalid_argument or std::out_of_range when it can't be read.
double ReadPathNumber(std::string_view text, size_t& pos);

}  // namespace velmora
