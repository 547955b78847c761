// Command-line parsing by CLI11: options take their value as the next
// argument or after "=" (--module=PATH); "-" is a value (standard input or
// output). The values are then checked here, with messages in the tool's
// own words.
#include "tools/velmora-host/options.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include <CLI/CLI.hpp>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <algorithm>
#include <charconv>

#include "tools/velmora-host/colour_text.h"

namespace velmora::cli {
namespace {

// A text option: one value per occurrence, the last occurrence wins.
CLI::Option* Text(CLI::App* app, const std::string& names, std::string& target) {
    return app->add_option(names, target)
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

CLI::App* Command_(CLI::App& app, const std::string& name, bool& help) {
    CLI::App* sub = app.add_subcommand(name);
    sub->set_help_flag();
    sub->add_flag("-h,--help", help);
    sub->allow_extras();
    sub->fallthrough();
    return sub;
}

// The option as the user typed it ("-o" rather than "--output"), for messages.
std::string AsTyped(const CLI::App& app, const std::string& reported,
                    const std::vector<std::string>& args) {
    const CLI::Option* option = nullptr;
    for (const CLI::App* a = &app; a != nullptr && option == nullptr;) {
        option = a->get_option_no_throw(reported);
        const auto subs = a->get_subcommands([](const CLI::App* s) { return s->parsed(); });
        a = subs.empty() ? nullptr : subs.front();
    }
    if (option == nullptr) return reported;
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        const std::string name = it->substr(0, it->find('='));
        if (!name.empty() && name[0] == '-' && option->check_name(name)) return name;
    }
    return reported;
}

// The usage error in the tool's words.
std::string Explain(const CLI::ParseError& e, const CLI::App& app,
                    const std::vector<std::string>& args) {
    const std::string what = e.what();
    const std::string reported = what.substr(0, what.find(':'));
    if (e.get_name() == "ArgumentMismatch" && what.find("required") != std::string::npos) {
        return "option " + AsTyped(app, reported, args) + " needs a value";
    }
    if (e.get_name() == "ConversionError") {
        // A flag given a value: "Could not convert: --gray = x".
        const size_t colon = what.find(": ");
        const std::string flag = colon == std::string::npos ? what : what.substr(colon + 2);
        return "option " + flag.substr(0, flag.find(' ')) + " takes no value";
    }
    return what;
}

// Unexpected arguments left by a command: the first one, named.
bool RefuseExtras(const std::vector<std::string>& extras, std::string& error) {
    for (const std::string& e : extras) {
        if (e == "--") continue;
        error = (e.size() > 1 && e[0] == '-') ? "unknown option \"" + e.substr(0, e.find('=')) + "\""
                                              : "unexpected argument \"" + e + "\"";
        return false;
    }
    return true;
}

bool NeedsValue(const CLI::App* app, const char* name, const std::string& value,
                const std::vector<std::string>& args, std::string& error) {
    const CLI::Option* option = app->get_option_no_throw(name);
    if (option == nullptr || option->count() == 0 || !value.empty()) return true;
    error = "option " + AsTyped(*app, name, args) + " needs a value";
    return false;
}

bool CheckRender(CLI::App* app, const std::vector<std::string>& sources,
                 const std::vector<std::string>& sets, const std::string& colour,
                 const std::vector<std::string>& args, RenderOptions& o, std::string& error) {
    for (const char* name : {"--output", "--composite", "--selection", "--module", "--preset",
                             "--guide"}) {
        std::string* value = name == std::string("--output")      ? &o.output
                             : name == std::string("--composite") ? &o.composite
                             : name == std::string("--selection") ? &o.selection
                             : name == std::string("--module")    ? &o.module
                             : name == std::string("--preset")    ? &o.preset
                                                                  : &o.guide;
        if (!NeedsValue(app, name, *value, args, error)) return false;
    }
    for (const std::string& text : sets) {
        SettingText s;
        if (!SplitSetting(text, s)) {
            error = "--set \"" + text + "\" is not KEY=VALUE (e.g. --set size=4)";
            return false;
        }
        o.settings.push_back(s);
    }
    if (app->get_option("--colour")->count() > 0) {
        const std::optional<HostRgb> parsed = ParseColour(colour);
        if (!parsed) {
            const std::string typed = AsTyped(*app, "--colour", args);
            error = typed + " \"" + colour + "\" is not a colour #RRGGBB (e.g. #D02020)";
            return false;
        }
        o.colour = *parsed;
    }
    if (sources.size() > 1) {
        error = "one source picture only (\"" + sources[0] + "\" and \"" + sources[1] + "\" given)";
        return false;
    }
    if (!sources.empty()) o.source = sources[0];
    if (o.output.empty() && o.composite.empty()) {
        error = "no output: give -o OUT.png (and/or --composite OUT.png)";
        return false;
    }
    if (!o.output.empty() && o.output == o.composite) {
        error = "-o and --composite name the same file \"" + o.output + "\"";
        return false;
    }
    if (o.install && o.preset.empty() && o.guide.empty()) {
        error = "--install copies a --preset or --guide file; give one";
        return false;
    }
    return true;
}

// "en" or "ja" (empty: en).
bool ParseLanguage(const std::string& lang, bool& japanese, std::string& error) {
    if (!lang.empty() && lang != "en" && lang != "ja") {
        error = "--lang \"" + lang + "\": the panel is in en or ja";
        return false;
    }
    japanese = lang == "ja";
    return true;
}

// Digits only, 0 to 65535 (0: a free port the system picks).
bool ParsePort(const std::string& text, int& port) {
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, port);
    return !text.empty() && ec == std::errc() && end == last && port >= 0 && port <= 65535;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error,
                      std::string& helpFor) {
    CLI::App app{"velmora-host"};
    app.set_help_flag();
    app.add_flag("-h,--help", line.help);
    app.add_flag("--version", line.version);
    app.add_flag("-q,--quiet", line.quiet);
    Text(&app, "--module", line.module);
    app.allow_extras();
    app.require_subcommand(0, 1);

    bool renderHelp = false, panelHelp = false, dataHelp = false, guideHelp = false,
         importHelp = false, serveHelp = false;
    RenderOptions& r = line.render;
    std::vector<std::string> sources, sets;
    std::string colour;
    CLI::App* render = Command_(app, "render", renderHelp);
    Text(render, "-o,--output", r.output);
    Text(render, "--composite", r.composite);
    Text(render, "--selection", r.selection);
    Text(render, "--module", r.module);
    Text(render, "--preset", r.preset);
    Text(render, "--guide", r.guide);
    Text(render, "--colour,--color", colour);
    render->add_option("--set", sets)->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    render->add_flag("--gray,--grey", r.gray);
    render->add_flag("--save-preset", r.savePreset);
    render->add_flag("--install", r.install);
    render->add_flag("--print-settings", r.printSettings);
    render->add_option("source", sources);

    std::string lang;
    CLI::App* panel = Command_(app, "panel", panelHelp);
    Text(panel, "--lang", lang);
    Text(panel, "--module", line.panel.module);
    panel->add_flag("--json", line.panel.json);

    CLI::App* data = Command_(app, "data", dataHelp);

    CLI::App* guide = Command_(app, "guide", guideHelp);
    guide->require_subcommand(0, 1);
    GuideImportOptions& g = line.guideImport;
    CLI::App* import = Command_(*guide, "import", importHelp);
    Text(import, "-o,--output", g.output);
    Text(import, "--id", g.id);
    std::vector<std::string> inputs;
    import->add_option("input", inputs);

    ServeOptions& v = line.serve;
    std::string serveLang, port;
    std::vector<std::string> pictures;
    CLI::App* serve = Command_(app, "serve", serveHelp);
    Text(serve, "--port", port);
    Text(serve, "--lang", serveLang);
    Text(serve, "--module", v.module);
    serve->add_option("picture", pictures);

    // The command name tells which help a usage error points to.
    helpFor.clear();
    for (const std::string& a : args) {
        if (a == "render" || a == "panel" || a == "data" || a == "guide" || a == "serve") {
            helpFor = a;
            break;
        }
    }
    if (helpFor == "guide") helpFor = "guide import";

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        error = Explain(e, app, args);
        return false;
    }

    if (render->parsed()) line.command = Command::kRender;
    else if (panel->parsed()) line.command = Command::kPanel;
    else if (data->parsed()) line.command = Command::kData;
    else if (import->parsed()) line.command = Command::kGuideImport;
    else if (guide->parsed()) line.command = Command::kGuide;
    else if (serve->parsed()) line.command = Command::kServe;
    line.help = line.help || renderHelp || panelHelp || dataHelp || guideHelp || importHelp ||
                serveHelp;
    if (line.help) return true;

    const std::vector<std::string> extras = app.remaining();
    if (line.command == Command::kNone) {
        if (!extras.empty() && !(extras[0].size() > 1 && extras[0][0] == '-')) {
            helpFor.clear();
            error = "unknown command \"" + extras[0] + "\"; the commands are render, panel, data, guide and serve";
            return false;
        }
        if (!RefuseExtras(extras, error)) return false;
        return true;
    }
    if (!RefuseExtras(extras, error)) return false;
    switch (line.command) {
        case Command::kRender:
            return CheckRender(render, sources, sets, colour, args, r, error);
        case Command::kPanel:
            return ParseLanguage(lang, line.panel.japanese, error) &&
                   NeedsValue(panel, "--module", line.panel.module, args, error);
        case Command::kGuide:
            error = "guide needs a command: guide import IN.svg -o OUT.svg";
            return false;
        case Command::kGuideImport:
            if (inputs.size() != 1) {
                error = inputs.empty() ? "no SVG file to import: give IN.svg"
                                       : "one SVG file only (\"" + inputs[0] + "\" and \"" +
                                             inputs[1] + "\" given)";
                return false;
            }
            g.input = inputs[0];
            if (g.output.empty()) {
                error = "no output: give -o OUT.svg";
                return false;
            }
            return NeedsValue(import, "--id", g.id, args, error);
        case Command::kServe:
            if (serve->get_option("--port")->count() > 0 && !ParsePort(port, v.port)) {
                error = "--port \"" + port + "\" is not a port number 0 to 65535";
                return false;
            }
            if (pictures.size() > 1) {
                error = "one picture only (\"" + pictures[0] + "\" and \"" + pictures[1] +
                        "\" given)";
                return false;
            }
            if (!pictures.empty()) v.picture = pictures[0];
            return ParseLanguage(serveLang, v.japanese, error) &&
                   NeedsValue(serve, "--module", v.module, args, error);
        default: return true;
    }
}

}  // namespace velmora::cli
