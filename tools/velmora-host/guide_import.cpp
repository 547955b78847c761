// Guide files written for the module, and the check of a file against the
// way the module reads it.
#include "tools/velmora-host/guide_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velmora::cli {
namespace {

// The shortest text that reads back as the same double.
std::string Number(double v) {
    if (v == 0) v = 0;  // no "-0"
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

bool SafeId(const std::string& id) {
    if (id.empty()) return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.' || c == ':';
    });
}

bool Close(double a, double b, double scale) {
    return std::fabs(a - b) <= 1e-9 * scale;
}

}  // namespace

std::string WriteGuideSvg(const GuidePath& path, const std::string& id) {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool first = true;
    std::string d;
    for (const GuideCommand& c : path.commands) {
        d += (d.empty() ? "" : " ") + std::string(1, c.kind);
        for (const GuidePoint& p : c.points) {
            d += " " + Number(p.x) + " " + Number(p.y);
            minX = first ? p.x : std::min(minX, p.x);
            maxX = first ? p.x : std::max(maxX, p.x);
            minY = first ? p.y : std::min(minY, p.y);
            maxY = first ? p.y : std::max(maxY, p.y);
            first = false;
        }
    }
    // A view of the curve with a margin, for drawing programs; the module
    // reads only the path.
    const double margin = std::max({1.0, (maxX - minX) * 0.05, (maxY - minY) * 0.05});
    const double w = maxX - minX + 2 * margin, h = maxY - minY + 2 * margin;
    const std::string box = Number(minX - margin) + " " + Number(minY - margin) + " " + Number(w) +
                            " " + Number(h);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(w) + "\" height=\"" +
           Number(h) + "\" viewBox=\"" + box + "\">\n"
           "  <path" + (SafeId(id) ? " id=\"" + id + "\"" : std::string()) + " d=\"" + d +
           "\" fill=\"none\" stroke=\"#000000\"/>\n"
           "</svg>\n";
}

bool SameCurve(const GuidePath& a, const GuidePath& b) {
    if (a.commands.size() != b.commands.size()) return false;
    double scale = 1.0;
    for (const GuidePath* p : {&a, &b}) {
        for (const GuideCommand& c : p->commands) {
            for (const GuidePoint& q : c.points) scale = std::max({scale, std::fabs(q.x), std::fabs(q.y)});
        }
    }
    for (size_t i = 0; i < a.commands.size(); ++i) {
        const GuideCommand& x = a.commands[i];
        const GuideCommand& y = b.commands[i];
        if (x.kind != y.kind || x.points.size() != y.points.size()) return false;
        for (size_t j = 0; j < x.points.size(); ++j) {
            if (!Close(x.points[j].x, y.points[j].x, scale) ||
                !Close(x.points[j].y, y.points[j].y, scale)) {
                return false;
            }
        }
    }
    return Close(a.width, b.width, scale);
}

bool ImportGuide(std::string_view svg, const std::string& id, std::string& guide,
                 std::string& error, std::vector<std::string>* notes) {
    GuidePath path;
    if (!ReadSvgGuide(svg, id, path, error)) return false;
    const size_t pieces = size_t(std::count_if(path.commands.begin(), path.commands.end(),
                                               [](const GuideCommand& c) { return c.kind == 'M'; }));
    if (pieces == path.commands.size()) {
        error = "the path draws nothing (it only moves)";
        return false;
    }
    if (path.commands.size() > kGuideCommandLimit) {
        error = "the path has " + std::to_string(path.commands.size()) +
                " commands; the module takes guides of at most " +
                std::to_string(kGuideCommandLimit);
        return false;
    }
    if (notes != nullptr) {
        if (pieces > 1) {
            notes->push_back("the path has " + std::to_string(pieces) +
                             " pieces; the module walks them as one line, jumping between them");
        }
        if (path.width == 0) {
            notes->push_back("the path has no extent along x; the module stretches a guide by "
                             "its extent along x, so this one has nothing to stretch");
        }
    }
    guide = WriteGuideSvg(path, id);
    const std::optional<GuidePath> check = ReadAsModule(guide);
    if (!check || !SameCurve(*check, path)) {
        error = "the guide written would not read back as the same curve";
        return false;
    }
    return true;
}

std::string GuideReadingProblem(std::string_view svg) {
    GuidePath drawn;
    std::string error;
    const bool readable = ReadSvgGuide(svg, "", drawn, error);
    const std::optional<GuidePath> module = ReadAsModule(svg);
    if (!module) {
        return readable ? "the module can't read its path and draws straight lines instead"
                        : "the module finds no path it can read in it (" + error +
                              ") and draws straight lines instead";
    }
    if (!readable) return "the module reads a path from it, but drawing programs do not (" + error + ")";
    if (!SameCurve(drawn, *module)) {
        return "the module reads another curve from it than drawing programs show";
    }
    return {};
}

}  // namespace velmora::cli
