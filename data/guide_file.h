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
// Nor is a guide whose own flattening (in its units, as the rings use it)
// needs more segments than this: curves with control points millions of
// units away split into millions of pieces.
constexpr size_t kMaxGuideSegments = size_t{1} << 14;
// A guide file larger than this is not read at all.
constexpr size_t kMaxGuideFileBytes = size_t{16} << 20;

// Asked now and then while a guide file is read; false abandons the read.
struct LoadWatch {
    bool (*keepGoing)(void* data) = nullptr;
    void* data = nullptr;
    bool Go() const { return keepGoing == nullptr || keepGoing(data); }
};

// ":S" straight, ":C" curve, else the guide file of that name; an unusable
// file (larger than kMaxGuideFileBytes, or of more than kMaxGuideCommands
// commands or kMaxGuideSegments segments) gives the straight guide. Always
// leaves a usable guide. False when the watch abandoned the read (the
// parser then holds the straight guide, but the file was not judged).
bool LoadGuide(PathParser& parser, std::u16string_view name, const LoadWatch& watch = {});
void MakeStraightGuide(PathParser& parser);
void MakeCurveGuide(PathParser& parser);

// Reads the first path element of an SVG text; true when a command was
// stored. Reading stops once more than maxCommands commands are stored (the
// guide is unusable then anyway), or when the watch says so (false).
bool ParseSvgGuide(PathParser& parser, std::string_view text, size_t maxCommands = SIZE_MAX,
                   const LoadWatch& watch = {});

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
