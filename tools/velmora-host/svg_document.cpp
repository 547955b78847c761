// The path element of an SVG document as drawing programs show it: a small
// XML reader for tags, attributes and nesting; the transforms of the path
// and of every group around it.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "tools/velmora-host/guide_import.h"

namespace velmora::cli {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The name without its namespace prefix ("svg:path" -> "path").
std::string LocalName(const std::string& name) {
    const size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

// Character references and the five predefined entities.
std::string Decode(std::string_view v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '&') {
            out += v[i];
            continue;
        }
        const size_t semi = v.find(';', i);
        if (semi == std::string_view::npos) {
            out += v[i];
            continue;
        }
        const std::string_view name = v.substr(i + 1, semi - i - 1);
        unsigned long code = 0;
        if (name == "amp") out += '&';
        else if (name == "lt") out += '<';
        else if (name == "gt") out += '>';
        else if (name == "quot") out += '"';
        else if (name == "apos") out += '\'';
        else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            code = std::strtoul(std::string(name.substr(hex ? 2 : 1)).c_str(), nullptr, hex ? 16 : 10);
            // Path data and ids are ASCII; anything else is kept as it was written.
            if (code > 0 && code < 0x80) out += char(code);
            else out.append(v.substr(i, semi - i + 1));
        } else {
            out.append(v.substr(i, semi - i + 1));
        }
        i = semi;
    }
    return out;
}

struct Tag {
    std::string name;
    std::map<std::string, std::string> attributes;
    bool closing = false;      // </name>
    bool selfClosing = false;  // <name/>
};

// The next start or end tag from `pos`; comments, declarations, processing
// instructions and character data are passed over. False at the end.
bool NextTag(std::string_view t, size_t& pos, Tag& tag) {
    while (true) {
        const size_t lt = t.find('<', pos);
        if (lt == std::string_view::npos) return false;
        const std::string_view rest = t.substr(lt);
        auto skipTo = [&](std::string_view end) {
            const size_t e = t.find(end, lt + 1);
            pos = e == std::string_view::npos ? t.size() : e + end.size();
        };
        if (rest.substr(0, 4) == "<!--") { skipTo("-->"); continue; }
        if (rest.substr(0, 9) == "<![CDATA[") { skipTo("]]>"); continue; }
        if (rest.substr(0, 2) == "<?") { skipTo("?>"); continue; }
        if (rest.substr(0, 2) == "<!") {
            // A declaration, perhaps with an internal subset in brackets.
            int depth = 0;
            size_t i = lt + 2;
            for (; i < t.size(); ++i) {
                if (t[i] == '[') ++depth;
                else if (t[i] == ']') --depth;
                else if (t[i] == '>' && depth <= 0) break;
            }
            pos = i + 1;
            continue;
        }
        tag = Tag{};
        size_t i = lt + 1;
        if (i < t.size() && t[i] == '/') {
            tag.closing = true;
            ++i;
        }
        while (i < t.size() && !IsSpace(t[i]) && t[i] != '>' && t[i] != '/') tag.name += t[i++];
        while (i < t.size()) {
            while (i < t.size() && IsSpace(t[i])) ++i;
            if (i >= t.size()) break;
            if (t[i] == '>') { ++i; break; }
            if (t[i] == '/') { tag.selfClosing = true; ++i; continue; }
            std::string name;
            while (i < t.size() && !IsSpace(t[i]) && t[i] != '=' && t[i] != '>' && t[i] != '/') {
                name += t[i++];
            }
            while (i < t.size() && IsSpace(t[i])) ++i;
            if (i < t.size() && t[i] == '=') {
                ++i;
                while (i < t.size() && IsSpace(t[i])) ++i;
                if (i < t.size() && (t[i] == '"' || t[i] == '\'')) {
                    const char quote = t[i++];
                    const size_t end = t.find(quote, i);
                    const size_t stop = end == std::string_view::npos ? t.size() : end;
                    tag.attributes[name] = Decode(t.substr(i, stop - i));
                    i = stop + 1;
                    continue;
                }
            }
            if (name.empty()) ++i;  // a stray character
        }
        pos = i;
        return true;
    }
}

// Containers whose content is not drawn where it stands.
bool HidesContent(const std::string& local) {
    return local == "defs" || local == "clipPath" || local == "mask" || local == "symbol" ||
           local == "marker" || local == "pattern" || local == "metadata";
}

struct Open {
    std::string name;
    Affine transform;  // the whole transform to the document
    bool hidden = false;
};

}  // namespace

bool ReadSvgGuide(std::string_view svg, const std::string& id, GuidePath& result,
                  std::string& error) {
    std::vector<Open> stack;
    std::vector<std::string> pathIds;
    size_t pos = 0;
    Tag tag;
    while (NextTag(svg, pos, tag)) {
        if (tag.closing) {
            // Close up to the matching element (forgiving of missing end tags).
            for (size_t i = stack.size(); i-- > 0;) {
                if (stack[i].name == tag.name) {
                    stack.resize(i);
                    break;
                }
            }
            continue;
        }
        const std::string local = LocalName(tag.name);
        const Open& parent = stack.empty() ? Open{} : stack.back();
        Affine own;
        const auto transform = tag.attributes.find("transform");
        if (transform != tag.attributes.end() &&
            !ParseTransformList(transform->second, own, error)) {
            return false;
        }
        const Open here{tag.name, parent.transform * own, parent.hidden || HidesContent(local)};
        const auto idAttribute = tag.attributes.find("id");
        const bool hasId = idAttribute != tag.attributes.end();
        if (!id.empty() && hasId && idAttribute->second == id && local != "path") {
            error = "the element with id \"" + id + "\" is a <" + tag.name + ">, not a path";
            return false;
        }
        if (local == "path") {
            if (hasId) pathIds.push_back(idAttribute->second);
            const bool chosen = id.empty() ? !here.hidden : (hasId && idAttribute->second == id);
            if (chosen) {
                const auto d = tag.attributes.find("d");
                const std::string name = hasId ? " \"" + idAttribute->second + "\"" : "";
                if (d == tag.attributes.end() || d->second.find_first_not_of(" \t\r\n") == std::string::npos) {
                    error = "the path" + name + " has no path data";
                    return false;
                }
                std::vector<GuideCommand> commands;
                if (!ParsePathData(d->second, commands, error)) {
                    error = "the path" + name + ": " + error;
                    return false;
                }
                result = GuidePath{};
                bool first = true;
                double lo = 0, hi = 0;
                for (GuideCommand& c : commands) {
                    for (GuidePoint& p : c.points) {
                        p = here.transform.Apply(p);
                        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
                            error = "the path" + name + " has coordinates out of range";
                            return false;
                        }
                        lo = first ? p.x : std::min(lo, p.x);
                        hi = first ? p.x : std::max(hi, p.x);
                        first = false;
                    }
                }
                result.commands = std::move(commands);
                result.width = hi - lo;
                return true;
            }
        }
        if (!tag.selfClosing) stack.push_back(here);
    }
    if (!id.empty()) {
        std::string known;
        for (const std::string& p : pathIds) known += (known.empty() ? "" : ", ") + p;
        error = "no path with id \"" + id + "\"" +
                (known.empty() ? std::string() : " (the paths' ids: " + known + ")");
    } else {
        error = "no path is drawn in it";
    }
    return false;
}

}  // namespace velmora::cli
