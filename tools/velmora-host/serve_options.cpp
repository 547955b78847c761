// Command-line parsing of velmora-host serve: one optional picture, the
// port, the language and the module; values as the next argument or after "=".
#include "tools/velmora-host/serve_options.h"

#include <charconv>

namespace velmora::cli {
namespace {

bool ParsePort(const std::string& text, int& port) {
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, port);
    return ec == std::errc() && end == last && port >= 0 && port <= 65535;
}

}  // namespace

bool ParseServeOptions(const std::vector<std::string>& args, ServeOptions& o,
                       std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (name.rfind("--", 0) == 0 && name.find('=') != std::string::npos) {
            value = name.substr(name.find('=') + 1);
            name = name.substr(0, name.find('='));
            hasValue = true;
        }
        if (name == "-h" || name == "--help") {
            o.help = true;
            return true;
        }
        if (name == "--port" || name == "--module" || name == "--lang") {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    error = "option " + name + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            if (name == "--port" && !ParsePort(value, o.port)) {
                error = "--port \"" + value + "\" is not a port number 0 to 65535";
                return false;
            }
            if (name == "--module") {
                if (value.empty()) {
                    error = "option --module needs a value";
                    return false;
                }
                o.module = value;
            }
            if (name == "--lang") {
                if (value != "en" && value != "ja") {
                    error = "--lang \"" + value + "\": the panel is in en or ja";
                    return false;
                }
                o.japanese = value == "ja";
            }
            continue;
        }
        if (name.size() > 1 && name[0] == '-') {
            error = "unknown option \"" + name + "\"";
            return false;
        }
        if (!o.picture.empty()) {
            error = "one picture only (\"" + o.picture + "\" and \"" + name + "\" given)";
            return false;
        }
        o.picture = name;
    }
    return true;
}

const char kServeHelp[] =
    "usage: velmora-host serve [PICTURE.png] [--port N] [--lang en|ja] [--module PATH]\n"
    "\n"
    "Starts a live preview in the browser: a web server on this computer only\n"
    "(127.0.0.1) shows PICTURE.png (the bundled sample when none is given) with\n"
    "the effect over it, the module's panel beside it and the template's base\n"
    "points as handles to drag. Every edit renders again at once. Open the\n"
    "address it prints; it carries a key made for this run, and requests\n"
    "without it, or from any other host name, are refused. Ctrl+C stops it.\n"
    "\n"
    "options:\n"
    "  --port N           the port to listen on (default: a free one)\n"
    "  --lang en|ja       the language of the panel to start with (default en)\n"
    "  --module PATH      the module to load (default: Velmora.cpm beside this program)\n"
    "  -h, --help         this text\n"
    "\n"
    "Presets are saved to and guides added to the module's own folders, as\n"
    "with 'velmora-host render'.\n";

}  // namespace velmora::cli
