// Guides from SVG files as drawing programs write them. A guide is the
// curve of one path element; the module reads a guide file in a narrow way
// (the first tag naming a path, one coordinate set per command letter, only
// M, L, C and Q, the path's own matrix or translate, no groups), so a path
// drawn elsewhere is turned into a file in that form: absolute M, L, C and Q
// commands, each with its letter, every transform applied.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// More commands than this and the module takes its straight guide instead.
constexpr size_t kGuideCommandLimit = 10000;

struct GuidePoint {
    double x = 0.0;
    double y = 0.0;
};

// 'M' (target), 'L' (target), 'C' (two controls, target), 'Q' (control, target),
// absolute.
struct GuideCommand {
    char kind = 'M';
    std::vector<GuidePoint> points;
};

struct GuidePath {
    std::vector<GuideCommand> commands;
    double width = 0.0;  // max x - min x over the command points
};

// An affine transform: (x, y) -> (a x + c y + e, b x + d y + f).
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    GuidePoint Apply(GuidePoint p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
};
Affine operator*(const Affine& outer, const Affine& inner);  // inner first

// SVG path data with the whole grammar: relative and absolute commands,
// implicit repetition, H, V, S, T, Z, and A as cubic curves. False with a
// message naming the place of the fault.
bool ParsePathData(std::string_view data, std::vector<GuideCommand>& commands, std::string& error);
// An SVG transform list ("translate(10,20) rotate(45) scale(2)"...).
bool ParseTransformList(std::string_view text, Affine& transform, std::string& error);

// The path a drawing program shows: the path element with the id, or the
// first one drawn (not inside defs, clip paths, masks, symbols, markers or
// patterns), with its transform and those of the groups around it applied.
bool ReadSvgGuide(std::string_view svg, const std::string& id, GuidePath& path, std::string& error);

// The path as the module reads the file; nothing when it falls back to its
// straight guide (no path found, no M, L, C or Q, or a number it can't read).
std::optional<GuidePath> ReadAsModule(std::string_view svg);

// A guide file of the path that the module reads as exactly these commands.
std::string WriteGuideSvg(const GuidePath& path, const std::string& id);

// Equal commands and width, within rounding.
bool SameCurve(const GuidePath& a, const GuidePath& b);

// The whole import: SVG text in, guide file text out (false with a message).
// `notes` receives remarks about the curve (several pieces, no extent).
bool ImportGuide(std::string_view svg, const std::string& id, std::string& guide,
                 std::string& error, std::vector<std::string>* notes = nullptr);

// Empty when the module reads the file as drawing programs show it; else
// what goes wrong ("the module reads it differently"...).
std::string GuideReadingProblem(std::string_view svg);

}  // namespace velmora::cli
