// A guide file read the way the module reads it, to tell when a file would
// give another curve than the one drawn: the first tag holding "path", the
// attributes a double-quoted name="value" pattern finds, a matrix or
// translate transform, and path data with one coordinate set per command
// letter, only M, L, C and Q, every point of a relative command taken from
// the command's start. A number it can't read, or no command, gives its
// straight guide.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "tools/velmora-host/guide_import.h"

namespace velmora::cli {
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A sign, then the standard conversion of the longest valid prefix; false
// when nothing converts or the value is out of range.
bool Convert(std::string_view text, double& value) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] == '+' || text[i] == '-') return false;
    double v = 0;
    const auto r = std::from_chars(text.data() + i, text.data() + text.size(), v);
    if (r.ec != std::errc()) return false;
    value = negative ? -v : v;
    return true;
}

// The attributes the pattern ([a-zA-Z]*?)="(.*?)" finds, searched again from
// the end of each match; a later name replaces an earlier one.
std::map<std::string, std::string> Attributes(std::string_view tag) {
    std::map<std::string, std::string> found;
    size_t from = 0, q = 0;
    while (q + 1 < tag.size()) {
        if (tag[q] != '=' || tag[q + 1] != '"') {
            ++q;
            continue;
        }
        const size_t valueStart = q + 2;
        const size_t valueEnd = tag.find_first_of("\"\n\r", valueStart);
        if (valueEnd == std::string_view::npos) break;
        if (tag[valueEnd] != '"') {
            q = valueEnd + 1;
            continue;
        }
        size_t nameStart = q;
        while (nameStart > from && IsLetter(tag[nameStart - 1])) --nameStart;
        found[std::string(tag.substr(nameStart, q - nameStart))] =
            std::string(tag.substr(valueStart, valueEnd - valueStart));
        from = q = valueEnd + 1;
    }
    return found;
}

// Up to `count` numbers of the first parenthesised group, separated by white
// space or commas; reading stops at the first that can't be read.
void GroupNumbers(std::string_view value, double* const* out, int count) {
    const size_t open = value.find('(');
    if (open == std::string_view::npos) return;
    const size_t close = value.find(')', open + 1);
    if (close == std::string_view::npos) return;
    const std::string_view t = value.substr(open + 1, close - open - 1);
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        while (pos < t.size() && (IsCSpace(t[pos]) || t[pos] == ',')) ++pos;
        size_t end = pos;
        if (end < t.size() && (t[end] == '+' || t[end] == '-')) ++end;
        size_t digits = 0;
        while (end < t.size() && IsDigit(t[end])) ++end, ++digits;
        if (end < t.size() && t[end] == '.') {
            ++end;
            while (end < t.size() && IsDigit(t[end])) ++end, ++digits;
        }
        if (digits == 0) return;
        if (end < t.size() && (t[end] == 'e' || t[end] == 'E')) {
            size_t j = end + 1;
            if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
            if (j < t.size() && IsDigit(t[j])) {
                while (j < t.size() && IsDigit(t[j])) ++j;
                end = j;
            }
        }
        double v = 0;
        if (!Convert(t.substr(pos, end - pos), v)) return;
        *out[i] = v;
        pos = end;
    }
}

Affine ModuleTransform(std::string_view value) {
    Affine t;
    if (value.size() >= 6 && value.find("matrix") != std::string_view::npos) {
        double* const fields[6] = {&t.a, &t.b, &t.c, &t.d, &t.e, &t.f};
        GroupNumbers(value, fields, 6);
    } else if (value.size() >= 9 && value.find("translate") != std::string_view::npos) {
        double* const fields[2] = {&t.e, &t.f};
        GroupNumbers(value, fields, 2);
    }
    return t;
}

bool PathNumber(std::string_view t, size_t& pos, double& value) {
    while (pos < t.size() && (t[pos] == ' ' || t[pos] == ',')) ++pos;
    const size_t start = pos;
    if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) ++pos;
    while (pos < t.size() && (IsDigit(t[pos]) || t[pos] == '.')) ++pos;
    if (pos < t.size() && (t[pos] == 'e' || t[pos] == 'E')) {
        ++pos;
        if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) ++pos;
        while (pos < t.size() && IsDigit(t[pos])) ++pos;
    }
    return Convert(t.substr(start, pos - start), value);
}

}  // namespace

std::optional<GuidePath> ReadAsModule(std::string_view svg) {
    size_t pos = 0;
    std::string_view tag;
    for (;;) {
        const size_t open = svg.find('<', pos);
        if (open == std::string_view::npos) return std::nullopt;
        const size_t close = svg.find('>', open + 1);
        if (close == std::string_view::npos) return std::nullopt;
        tag = svg.substr(open + 1, close - open - 1);
        if (tag.find("path") != std::string_view::npos) break;
        pos = close + 1;
    }
    const std::map<std::string, std::string> attributes = Attributes(tag);
    const auto transform = attributes.find("transform");
    const Affine t = transform == attributes.end() ? Affine{} : ModuleTransform(transform->second);
    const auto d = attributes.find("d");
    if (d == attributes.end()) return std::nullopt;
    const std::string_view data = d->second;

    GuidePath path;
    double u = 0, v = 0, lo = 0, hi = 0;
    size_t p = 0;
    for (;;) {
        while (p < data.size() && (data[p] == ' ' || data[p] == ',')) ++p;
        if (p >= data.size()) break;
        const char ch = data[p++];
        if (!IsLetter(ch)) continue;
        const bool relative = ch >= 'a' && ch <= 'z';
        const char upper = relative ? char(ch - 'a' + 'A') : ch;
        const int count = upper == 'M' || upper == 'L' ? 1 : upper == 'C' ? 3 : upper == 'Q' ? 2 : 0;
        if (count == 0) continue;
        GuideCommand command{upper, {}};
        double x = 0, y = 0;
        for (int i = 0; i < count; ++i) {
            if (!PathNumber(data, p, x) || !PathNumber(data, p, y)) return std::nullopt;
            if (relative) {
                x += u;
                y += v;
            }
            if (path.commands.empty()) {
                lo = hi = x;
            } else {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
            command.points.push_back(t.Apply({x, y}));
        }
        u = x;
        v = y;
        path.commands.push_back(std::move(command));
    }
    if (path.commands.empty() || path.commands.size() > kGuideCommandLimit) return std::nullopt;
    path.width = hi - lo;
    return path;
}

}  // namespace velmora::cli
