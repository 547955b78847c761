// Command-line parsing: options take their value as the next argument or
// after "=" (--module=PATH); one positional source for render.
#include "tools/velmora-host/options.h"

#include <cstdio>

namespace velmora::cli {
namespace {

// Splits "--name=value" into name and value.
bool SplitInline(const std::string& arg, std::string& name, std::string& value) {
    const size_t eq = arg.find('=');
    if (arg.rfind("--", 0) != 0 || eq == std::string::npos) return false;
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    return true;
}

class ArgReader {
public:
    explicit ArgReader(const std::vector<std::string>& args) : args_(args) {}
    bool Done() const { return i_ >= args_.size(); }
    // The next argument, split when it carries an inline value.
    void Next() {
        name_ = args_[i_++];
        inline_.reset();
        std::string n, v;
        if (SplitInline(name_, n, v)) {
            name_ = n;
            inline_ = v;
        }
    }
    const std::string& name() const { return name_; }
    bool HasInline() const { return inline_.has_value(); }
    bool Value(std::string& value, std::string& error) {
        if (inline_) {
            value = *inline_;
            return true;
        }
        if (Done()) {
            error = "option " + name_ + " needs a value";
            return false;
        }
        value = args_[i_++];
        return true;
    }

private:
    const std::vector<std::string>& args_;
    size_t i_ = 0;
    std::string name_;
    std::optional<std::string> inline_;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<HostRgb> ParseColour(const std::string& text) {
    const std::string hex = (!text.empty() && text[0] == '#') ? text.substr(1) : text;
    if (hex.size() != 6) return std::nullopt;
    uint8_t bytes[3];
    for (int i = 0; i < 3; ++i) {
        const int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[i] = uint8_t(hi * 16 + lo);
    }
    return HostRgb{bytes[0], bytes[1], bytes[2]};
}

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& o,
                        std::string& error) {
    ArgReader r(args);
    std::string value;
    while (!r.Done()) {
        r.Next();
        const std::string& n = r.name();
        if (n == "-h" || n == "--help") {
            o.help = true;
            return true;
        }
        if (n == "--gray" || n == "--grey" || n == "--save-preset") {
            if (r.HasInline()) {
                error = "option " + n + " takes no value";
                return false;
            }
            (n == "--save-preset" ? o.savePreset : o.gray) = true;
            continue;
        }
        std::string* target = nullptr;
        if (n == "-o" || n == "--output") target = &o.output;
        else if (n == "--composite") target = &o.composite;
        else if (n == "--selection") target = &o.selection;
        else if (n == "--module") target = &o.module;
        else if (n == "--preset") target = &o.preset;
        else if (n == "--guide") target = &o.guide;
        if (target != nullptr) {
            if (!r.Value(*target, error)) return false;
            if (target->empty()) {
                error = "option " + n + " needs a value";
                return false;
            }
            continue;
        }
        if (n == "--set") {
            if (!r.Value(value, error)) return false;
            SettingText s;
            if (!SplitSetting(value, s)) {
                error = "--set \"" + value + "\" is not KEY=VALUE (e.g. --set size=4)";
                return false;
            }
            o.settings.push_back(s);
            continue;
        }
        if (n == "--colour" || n == "--color") {
            if (!r.Value(value, error)) return false;
            const std::optional<HostRgb> colour = ParseColour(value);
            if (!colour) {
                error = n + " \"" + value + "\" is not a colour #RRGGBB (e.g. #D02020)";
                return false;
            }
            o.colour = *colour;
            continue;
        }
        if (n.size() > 1 && n[0] == '-') {
            error = "unknown option \"" + n + "\"";
            return false;
        }
        if (!o.source.empty()) {
            error = "one source picture only (\"" + o.source + "\" and \"" + n + "\" given)";
            return false;
        }
        o.source = n;
    }
    if (o.output.empty() && o.composite.empty()) {
        error = "no output: give -o OUT.png (and/or --composite OUT.png)";
        return false;
    }
    if (!o.output.empty() && o.output == o.composite) {
        error = "-o and --composite name the same file \"" + o.output + "\"";
        return false;
    }
    return true;
}

bool ParsePanelOptions(const std::vector<std::string>& args, PanelOptions& o,
                       std::string& error) {
    ArgReader r(args);
    std::string value;
    while (!r.Done()) {
        r.Next();
        const std::string& n = r.name();
        if (n == "-h" || n == "--help") {
            o.help = true;
            return true;
        }
        if (n == "--lang") {
            if (!r.Value(value, error)) return false;
            if (value == "ja") o.japanese = true;
            else if (value == "en") o.japanese = false;
            else {
                error = "--lang \"" + value + "\": the panel is in en or ja";
                return false;
            }
            continue;
        }
        if (n == "--module") {
            if (!r.Value(o.module, error)) return false;
            continue;
        }
        error = (n.size() > 1 && n[0] == '-') ? "unknown option \"" + n + "\""
                                               : "unexpected argument \"" + n + "\"";
        return false;
    }
    return true;
}

const char kMainHelp[] =
    "usage: velmora-host <command> [options]\n"
    "\n"
    "Runs the Velmora effect module without a painting application.\n"
    "\n"
    "commands:\n"
    "  render [SOURCE.png] -o OUT.png [options]\n"
    "                 render the effect onto a picture (the bundled sample when\n"
    "                 none is given)\n"
    "  panel [--lang ja]\n"
    "                 list the panel the module declares: every item with its\n"
    "                 caption, kind, range, default and choices\n"
    "  serve [PICTURE.png] [--port N]\n"
    "                 a live preview in the browser: the effect follows every\n"
    "                 edit; drag the base points on the picture\n"
    "\n"
    "Run 'velmora-host <command> --help' for the options of a command.\n";

const char kRenderHelp[] =
    "usage: velmora-host render [SOURCE.png] -o OUT.png [options]\n"
    "\n"
    "Loads the module, gives it SOURCE.png as the source layer (the bundled\n"
    "sample picture when no source is given), applies the settings as edits of\n"
    "its panel, runs one render pass and writes the effect layer.\n"
    "\n"
    "options:\n"
    "  -o, --output OUT.png    the effect layer: drawing colour, line coverage as alpha\n"
    "  --composite OUT.png     also the effect laid over the source (over white where\n"
    "                          the source is transparent)\n"
    "  --set KEY=VALUE         one setting of the panel; repeat for more (see below)\n"
    "  --preset FILE.ini       copy a preset into the module's preset folder and\n"
    "                          select it in \"Preset\"\n"
    "  --guide FILE.svg        copy a guide into the module's guide folder and\n"
    "                          select it in \"Guide\"\n"
    "  --save-preset           check \"Save Preset\": the module saves the settings as\n"
    "                          a new preset; its path is printed\n"
    "  --selection MASK.png    a selection of the source's size: the mask's alpha, or\n"
    "                          its grey level when it is opaque\n"
    "  --gray                  give the source as a grey layer (value and alpha)\n"
    "  --colour #RRGGBB        the drawing colour (default #000000)\n"
    "  --module PATH           the module to load (default: Velmora.cpm beside\n"
    "                          this program)\n"
    "  -h, --help              this text\n"
    "\n"
    "settings (the preset keys; 'velmora-host panel' lists ranges and defaults):\n"
    "  type=radiate|parallel|circle     the template (the captions work too)\n"
    "  p1=X,Y  p2=X,Y  p3=X,Y           base points in pixels\n"
    "  guide=Straight|Curve|NAME        a built-in guide or a guide file's name\n"
    "  curvature size hardness fluction in out asdist easing\n"
    "  position posfluct length lenfluct spacing spcfluct lengain spcgain connect\n"
    "Settings apply in that order: the template first (it moves the base\n"
    "points), then the points, then the rest. A preset applies before them.\n"
    "\n"
    "exit status: 0 done, 1 a file or the module failed, 2 a usage error or a\n"
    "value the panel refuses (nothing is rendered then).\n";

const char kPanelHelp[] =
    "usage: velmora-host panel [--lang en|ja] [--module PATH]\n"
    "\n"
    "Lists the panel the module declares: every item with its --set key, caption,\n"
    "kind, range, default and choices, in English or Japanese from the module's\n"
    "string table.\n"
    "\n"
    "options:\n"
    "  --lang en|ja       the language of the captions (default en)\n"
    "  --module PATH      the module to load (default: Velmora.cpm beside this program)\n"
    "  -h, --help         this text\n";

}  // namespace velmora::cli
