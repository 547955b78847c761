// The module's preset reader, as far as values go: sections, keys, the last
// occurrence of a key, and each key's conversion.
#include "tools/velmora-host/preset_check.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>

#include "tools/velmora-host/edits.h"

namespace velmora::cli {
namespace {

enum class Conversion { kInteger, kReal, kText, kPoint, kBoolean, kTemplate };

struct Key {
    const char* section;
    const char* name;
    Conversion conversion;
};

constexpr Key kKeys[] = {
    {"guide", "type", Conversion::kTemplate},    {"guide", "p1", Conversion::kPoint},
    {"guide", "p2", Conversion::kPoint},         {"guide", "p3", Conversion::kPoint},
    {"guide", "name", Conversion::kText},        {"guide", "curvature", Conversion::kReal},
    {"pen", "size", Conversion::kReal},          {"pen", "hardness", Conversion::kReal},
    {"pen", "fluction", Conversion::kReal},      {"pen", "in", Conversion::kInteger},
    {"pen", "out", Conversion::kInteger},        {"pen", "asdist", Conversion::kBoolean},
    {"pen", "easing", Conversion::kBoolean},     {"line", "position", Conversion::kInteger},
    {"line", "posfluct", Conversion::kReal},     {"line", "length", Conversion::kInteger},
    {"line", "lenfluct", Conversion::kReal},     {"line", "spacing", Conversion::kInteger},
    {"line", "spcfluct", Conversion::kReal},     {"line", "lengain", Conversion::kReal},
    {"line", "spcgain", Conversion::kReal},      {"line", "connect", Conversion::kBoolean},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string Trim(std::string_view t) {
    size_t a = 0, b = t.size();
    while (a < b && IsBlank(t[a])) ++a;
    while (b > a && IsBlank(t[b - 1])) --b;
    return std::string(t.substr(a, b - a));
}

std::string Lower(std::string t) {
    for (char& c : t) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return t;
}

// The standard integer conversion: leading blanks, a sign, digits, the rest
// ignored; fails without a digit or outside 32 bits.
bool ReadInteger(const std::string& text, int64_t& v) {
    errno = 0;
    const char* start = text.c_str();
    char* end = nullptr;
    const long long n = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || n < INT_MIN || n > INT_MAX) return false;
    v = n;
    return true;
}

// The standard real conversion: the longest number prefix; fails when
// nothing converts or the value is out of range.
bool ReadReal(const std::string& text, double& v) {
    errno = 0;
    const char* start = text.c_str();
    char* end = nullptr;
    v = std::strtod(start, &end);
    return end != start && errno != ERANGE;
}

struct Found {
    std::string value;  // as written (trimmed)
    bool readable = false;
    double number = 0.0;  // integers and reals
};

std::string Range(const hostcore::PropertyItem& item) {
    return "\"" + hostcore::Utf16ToUtf8(item.caption) + "\" takes " + RangeText(item);
}

}  // namespace

std::vector<std::string> PresetWarnings(std::string_view bytes,
                                        const hostcore::PropertyObject& panel) {
    std::map<size_t, Found> last;  // by key index
    std::string section;
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string line = Trim(bytes.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            if (close != std::string::npos) section = Trim(std::string_view(line).substr(1, close - 1));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = Trim(std::string_view(line).substr(0, eq));
        const std::string value = Trim(std::string_view(line).substr(eq + 1));
        for (size_t i = 0; i < std::size(kKeys); ++i) {
            if (section != kKeys[i].section || key != kKeys[i].name) continue;
            Found f;
            f.value = value;
            int64_t n = 0;
            switch (kKeys[i].conversion) {
                case Conversion::kInteger:
                    f.readable = ReadInteger(value, n);
                    f.number = double(n);
                    break;
                case Conversion::kReal: f.readable = ReadReal(value, f.number); break;
                case Conversion::kText: f.readable = value.size() <= 258; break;
                case Conversion::kPoint: {
                    const size_t comma = value.find(',');
                    double x = 0, y = 0;
                    f.readable = !value.empty() && comma != std::string::npos &&
                                 ReadReal(value.substr(0, comma), x) &&
                                 ReadReal(value.substr(comma + 1), y);
                    break;
                }
                case Conversion::kBoolean: {
                    const std::string t = Lower(value);
                    f.readable = t == "1" || t == "true" || t == "0" || t == "false";
                    break;
                }
                case Conversion::kTemplate: {
                    const std::string t = Lower(value);
                    f.readable = t == "radiate" || t == "parallel" || t == "circle";
                    break;
                }
            }
            last[i] = f;
        }
        if (end == bytes.size()) break;
    }

    std::vector<std::string> warnings;
    for (const auto& [i, f] : last) {
        const Key& k = kKeys[i];
        const std::string written = std::string(k.name) + "=" + f.value;
        if (!f.readable) {
            warnings.push_back(written + " can't be read; the module ignores it");
            continue;
        }
        if (k.conversion != Conversion::kInteger && k.conversion != Conversion::kReal) continue;
        const hostcore::PropertyItem* item = nullptr;
        for (const SettingKey& s : SettingKeys()) {
            if (std::string_view(s.name) == k.name) item = panel.Find(s.item);
        }
        if (item == nullptr) continue;
        const double v = f.number;
        bool outside = !std::isfinite(v);
        if (item->kind == 17) {
            outside = outside || (item->intMinimum && v < *item->intMinimum) ||
                      (item->intMaximum && v > *item->intMaximum);
        } else if (item->kind == 18) {
            outside = outside || (item->doubleMinimum && v < *item->doubleMinimum) ||
                      (item->doubleMaximum && v > *item->doubleMaximum);
        }
        if (outside) {
            warnings.push_back(written + " is out of range: " + Range(*item) +
                               "; the module uses it as it stands");
        }
    }
    return warnings;
}

}  // namespace velmora::cli
