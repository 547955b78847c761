// Guides: the built-in straight and curved guides, and the first path
// element of an SVG guide file read into path commands.
#include "data/guide_file.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "data/data_folders.h"
#include "data/number_text.h"
#include "data/text.h"

namespace velmora {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

PathCommand Command(int32_t kind, std::initializer_list<PathPoint> points) {
    PathCommand command;
    command.kind = kind;
    command.points = points;
    return command;
}

PathPoint Apply(const GuideTransform& t, double x, double y) {
    return {t.a * x + t.c * y + t.e, t.b * x + t.d * y + t.f};
}

// Length of the decimal number at the start of text: sign, digits with at
// most one point, and an exponent only when digits follow it.
size_t DecimalTokenLength(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

// Reads up to `count` numbers separated by white space or commas into
// out[0..count); stops at the first one that can't be read, leaving the rest.
void ReadTransformNumbers(std::string_view text, double* const* out, int count) {
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        while (pos < text.size() && (IsCSpace(text[pos]) || text[pos] == ',')) ++pos;
        const size_t length = DecimalTokenLength(text.substr(pos));
        double value = 0.0;
        if (length == 0 ||
            ParseReal(text.substr(pos, length), value) != NumberResult::kOk) {
            return;
        }
        *out[i] = value;
        pos += length;
    }
}

// Text between the first "(" and the first ")" after it; false when either is missing.
bool ParenthesisedGroup(std::string_view value, std::string_view& group) {
    const size_t open = value.find('(');
    if (open == std::string_view::npos) return false;
    const size_t close = value.find(')', open + 1);
    if (close == std::string_view::npos) return false;
    group = value.substr(open + 1, close - open - 1);
    return true;
}

// Whether the guide's open flattening needs at most maxSegments segments.
// The parser is left as the reading left it: no segments, the walker and
// the pen position at their starting values (a later flattening of a guide
// that starts without a move begins at the origin).
bool FlattensWithin(PathParser& parser, size_t maxSegments) {
    const PathPoint pen = parser.currentPoint;
    const bool within = parser.FlattenWithin(false, maxSegments);
    std::vector<LineSegment>().swap(parser.segments);
    parser.totalLength = 0.0;
    parser.closed = false;
    parser.currentPoint = pen;
    parser.Rewind();
    return within;
}

// How often the watch is asked: every 16 times this many characters or tags.
constexpr size_t kWatchEvery = 256;

// Reading stopped: too many commands, or the watch abandoned it.
struct ReadStopped {};

// Reads path data into the parser's commands and sets its width.
void ReadPathData(PathParser& parser, std::string_view t, const GuideTransform& transform,
                  size_t maxCommands, const LoadWatch& watch) {
    double u = 0.0, v = 0.0;
    double lo = 0.0, hi = 0.0;
    size_t pos = 0;
    for (size_t steps = 1;; ++steps) {
        if (parser.commands.size() > maxCommands) return;  // unusable: no need to read on
        if (steps % (kWatchEvery * 16) == 0 && !watch.Go()) throw ReadStopped{};
        while (pos < t.size() && (t[pos] == ' ' || t[pos] == ',')) ++pos;
        if (pos >= t.size()) break;
        const char ch = t[pos++];
        if (!IsAsciiLetter(ch)) continue;  // stray numbers and signs are dropped
        const bool relative = ch >= 'a' && ch <= 'z';
        int32_t kind = 0;
        int pointCount = 0;
        switch (relative ? static_cast<char>(ch - 'a' + 'A') : ch) {
            case 'M': kind = kMoveTo; pointCount = 1; break;
            case 'L': kind = kLineTo; pointCount = 1; break;
            case 'C': kind = kCubicTo; pointCount = 3; break;
            case 'Q': kind = kQuadTo; pointCount = 2; break;
            default: continue;  // H, V, S, T, A, Z...: dropped with their numbers
        }
        PathCommand command;
        command.kind = kind;
        double x = 0.0, y = 0.0;
        for (int i = 0; i < pointCount; ++i) {
            x = ReadPathNumber(t, pos);
            y = ReadPathNumber(t, pos);
            // Every point of a relative command is relative to its start.
            if (relative) {
                x += u;
                y += v;
            }
            // The extent is taken before the transform.
            if (parser.commands.empty()) {
                lo = hi = x;
            } else {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
            command.points.push_back(Apply(transform, x, y));
        }
        u = x;
        v = y;
        parser.commands.push_back(std::move(command));
    }
    parser.width = hi - lo;
}

void ReadPathElement(PathParser& parser, std::string_view tag, size_t maxCommands,
                     const LoadWatch& watch) {
    // The attribute map's "transform" and "d", each the last of its name,
    // taken as views: a path of megabytes is not copied.
    std::string_view transformText, d;
    bool hasTransform = false, hasD = false;
    for (const auto& [name, value] : AttributeMatches(tag)) {
        if (name == "transform") {
            transformText = value;
            hasTransform = true;
        } else if (name == "d") {
            d = value;
            hasD = true;
        }
    }
    if (!watch.Go()) throw ReadStopped{};
    GuideTransform transform;
    if (hasTransform) transform = ParseTransform(transformText);
    if (!hasD) return;
    if (d.empty()) {
        parser.width = 0.0;
        return;
    }
    ReadPathData(parser, d, transform, maxCommands, watch);
}

}  // namespace

void MakeStraightGuide(PathParser& parser) {
    parser.commands.clear();
    parser.commands.push_back(Command(kMoveTo, {{0.0, 10.0}}));
    parser.commands.push_back(Command(kLineTo, {{100.0, 10.0}}));
    parser.width = 100.0;
}

void MakeCurveGuide(PathParser& parser) {
    parser.commands.clear();
    parser.commands.push_back(Command(kMoveTo, {{0.0, 50.0}}));
    parser.commands.push_back(Command(kQuadTo, {{50.0, 0.0}, {100.0, 50.0}}));
    parser.width = 100.0;
}

bool LoadGuide(PathParser& parser, std::u16string_view name, const LoadWatch& watch) {
    if (name == u":S") {
        MakeStraightGuide(parser);
        return true;
    }
    if (name == u":C") {
        MakeCurveGuide(parser);
        return true;
    }
    bool usable = false;
    bool judged = true;
    try {
        const std::string content =
            ReadWholeFile(ToUtf8(DataFilePath(name, DataKind::kGuide)), kMaxGuideFileBytes);
        if (!watch.Go()) throw ReadStopped{};
        usable = !content.empty() && ParseSvgGuide(parser, content, kMaxGuideCommands, watch) &&
                 parser.commands.size() <= kMaxGuideCommands;
        judged = watch.Go();
        usable = usable && judged && FlattensWithin(parser, kMaxGuideSegments);
    } catch (const ReadStopped&) {
        judged = false;
    } catch (const std::exception&) {
        usable = false;  // a file too big to work on is unusable like any other
    }
    if (!usable) MakeStraightGuide(parser);
    return judged;
}

bool ParseSvgGuide(PathParser& parser, std::string_view text, size_t maxCommands,
                   const LoadWatch& watch) {
    parser.commands.clear();
    size_t pos = 0;
    for (size_t tags = 1;; ++tags) {
        if (tags % (kWatchEvery * 16) == 0 && !watch.Go()) throw ReadStopped{};
        const size_t open = text.find('<', pos);
        if (open == std::string_view::npos) break;
        const size_t close = text.find('>', open + 1);
        if (close == std::string_view::npos) break;
        const std::string_view tag = text.substr(open + 1, close - open - 1);
        // Any tag holding "path" is taken, comments included.
        if (tag.find("path") != std::string_view::npos) {
            try {
                ReadPathElement(parser, tag, maxCommands, watch);
            } catch (const std::invalid_argument&) {
                parser.commands.clear();  // a path number that can't be read
            } catch (const std::out_of_range&) {
                parser.commands.clear();
            }
            break;
        }
        pos = close + 1;
    }
    return !parser.commands.empty();
}

std::vector<std::pair<std::string_view, std::string_view>> AttributeMatches(
    std::string_view tag) {
    // Finds what the ECMAScript pattern ([a-zA-Z]*?)="(.*?)" finds, searched
    // repeatedly from the end of the previous match: every `="` is a
    // candidate, its name the run of letters before it (never reaching into
    // the previous match, which ends in a quote); the value runs to the next
    // quote and may hold no LF or CR, else the candidate fails and the
    // search goes on at the next byte. No backtracking, so any tag length.
    std::vector<std::pair<std::string_view, std::string_view>> matches;
    size_t from = 0;  // end of the previous match
    size_t q = 0;
    while (q + 1 < tag.size()) {
        // The next candidate, found by the library's search (a path of
        // megabytes is passed in a few milliseconds).
        q = tag.find("=\"", q);
        if (q == std::string_view::npos) break;
        const size_t valueStart = q + 2;
        const size_t valueEnd = tag.find_first_of("\"\n\r", valueStart);
        if (valueEnd == std::string_view::npos) break;  // no closing quote anywhere
        if (tag[valueEnd] != '"') {
            // A line break first: no candidate before it can match either.
            q = valueEnd + 1;
            continue;
        }
        size_t nameStart = q;
        while (nameStart > from && IsAsciiLetter(tag[nameStart - 1])) --nameStart;
        matches.emplace_back(tag.substr(nameStart, q - nameStart),
                             tag.substr(valueStart, valueEnd - valueStart));
        from = valueEnd + 1;
        q = from;
    }
    return matches;
}

std::unordered_map<std::string, std::string> ReadAttributes(std::string_view tag) {
    std::unordered_map<std::string, std::string> attributes;
    for (const auto& [name, value] : AttributeMatches(tag)) {
        attributes[std::string(name)] = std::string(value);
    }
    return attributes;
}

GuideTransform ParseTransform(std::string_view value) {
    GuideTransform t;
    std::string_view group;
    if (value.size() >= 6 && value.find("matrix") != std::string_view::npos) {
        if (!ParenthesisedGroup(value, group)) return t;
        double* const fields[6] = {&t.a, &t.b, &t.c, &t.d, &t.e, &t.f};
        ReadTransformNumbers(group, fields, 6);
    } else if (value.size() >= 9 && value.find("translate") != std::string_view::npos) {
        if (!ParenthesisedGroup(value, group)) return t;
        double* const fields[2] = {&t.e, &t.f};
        ReadTransformNumbers(group, fields, 2);
    }
    return t;
}

double ReadPathNumber(std::string_view text, size_t& pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == ',')) ++pos;
    const size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    while (pos < text.size() && (IsDigit(text[pos]) || text[pos] == '.')) ++pos;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos;
    }
    // The position passes the whole run even when fewer bytes convert ("1.5.5").
    double value = 0.0;
    switch (ParseReal(text.substr(start, pos - start), value)) {
        case NumberResult::kOk: return value;
        case NumberResult::kOutOfRange: throw std::out_of_range("stod argument out of range");
        case NumberResult::kInvalid: break;
    }
    throw std::invalid_argument("invalid stod argument");
}

}  // namespace velmora
