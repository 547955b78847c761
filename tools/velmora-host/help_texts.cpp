// The help texts of velmora-host and its commands.
#include "tools/velmora-host/options.h"

namespace velmora::cli {
namespace {

const char kMainHelp[] =
    "usage: velmora-host <command> [options]\n"
    "\n"
    "Runs the Velmora effect module without a painting application.\n"
    "\n"
    "commands:\n"
    "  render [SOURCE.png] -o OUT.png [options]\n"
    "                 render the effect onto a picture (the bundled sample when\n"
    "                 none is given)\n"
    "  panel [--lang ja] [--json]\n"
    "                 list the panel the module declares: every item with its\n"
    "                 caption, kind, range, default and choices\n"
    "  data           print the module's data folders (presets, guides) and what\n"
    "                 moves them\n"
    "  guide import IN.svg -o OUT.svg [--id ID]\n"
    "                 turn a path drawn in any drawing program into a guide the\n"
    "                 module reads as the same curve\n"
    "\n"
    "options:\n"
    "  --version      the version of this program and of the module\n"
    "                 (--module PATH for another module)\n"
    "  -q, --quiet    print nothing but errors (and what a command is asked for)\n"
    "  -h, --help     this text\n"
    "\n"
    "A file name \"-\" is standard input for the source picture and the SVG to\n"
    "import, and standard output for -o and --composite.\n"
    "\n"
    "Run 'velmora-host <command> --help' for the options of a command.\n";

const char kRenderHelp[] =
    "usage: velmora-host render [SOURCE.png] -o OUT.png [options]\n"
    "\n"
    "Loads the module, gives it SOURCE.png as the source layer (the bundled\n"
    "sample picture when no source is given; \"-\" reads standard input),\n"
    "applies the settings as edits of its panel, runs one render pass and\n"
    "writes the effect layer.\n"
    "\n"
    "options:\n"
    "  -o, --output OUT.png    the effect layer: drawing colour, line coverage as alpha\n"
    "                          (\"-\": standard output)\n"
    "  --composite OUT.png     also the effect laid over the source (over white where\n"
    "                          the source is transparent)\n"
    "  --set KEY=VALUE         one setting of the panel; repeat for more (see below)\n"
    "  --preset FILE.ini       use this preset for this run: select it in \"Preset\"\n"
    "  --guide FILE.svg        use this guide for this run: select it in \"Guide\"\n"
    "  --install               also copy the --preset and --guide files into the\n"
    "                          module's data folders (see 'velmora-host data'), where\n"
    "                          the painting application finds them\n"
    "  --save-preset           check \"Save Preset\": the module saves the settings as\n"
    "                          a new preset in the data folder; its path is printed\n"
    "  --print-settings        print the settings the command resolves to (with the\n"
    "                          points in pixels) before rendering\n"
    "  --selection MASK.png    a selection of the source's size: the mask's alpha, or\n"
    "                          its grey level when it is opaque\n"
    "  --gray                  give the source as a grey layer (value and alpha)\n"
    "  --colour #RRGGBB        the drawing colour (default #000000)\n"
    "  --module PATH           the module to load (default: Velmora.cpm beside\n"
    "                          this program)\n"
    "  -q, --quiet             print nothing but errors\n"
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
    "An output is never one of the inputs, and a symbolic link is written\n"
    "through to the file it names. The pictures keep the source's pixel density.\n"
    "\n"
    "exit status: 0 done, 1 a file or the module failed, 2 a usage error or a\n"
    "value the panel refuses (nothing is rendered then).\n";

const char kPanelHelp[] =
    "usage: velmora-host panel [--lang en|ja] [--json] [--module PATH]\n"
    "\n"
    "Lists the panel the module declares: every item with its --set key, caption,\n"
    "kind, range, default and choices, in English or Japanese from the module's\n"
    "string table.\n"
    "\n"
    "options:\n"
    "  --lang en|ja       the language of the captions (default en)\n"
    "  --json             one JSON document instead: every item with its captions\n"
    "                     in both languages\n"
    "  --module PATH      the module to load (default: Velmora.cpm beside this program)\n"
    "  -h, --help         this text\n";

const char kDataHelp[] =
    "usage: velmora-host data\n"
    "\n"
    "Prints the folders where the module keeps its presets (.ini) and guides\n"
    "(.svg), which the panel lists, and what moves them.\n";

const char kGuideImportHelp[] =
    "usage: velmora-host guide import IN.svg -o OUT.svg [--id ID]\n"
    "\n"
    "Reads a path from an SVG file as drawing programs write it (every command\n"
    "of the path data, relative or absolute, arcs and smooth curves, the\n"
    "transforms of the path and of the groups around it) and writes a guide\n"
    "file that the module reads as the same curve. Give the guide to a render\n"
    "with --guide OUT.svg (add --install to keep it in the guide folder).\n"
    "\n"
    "options:\n"
    "  -o, --output OUT.svg   the guide file (\"-\": standard output)\n"
    "  --id ID                the path element with this id (default: the first\n"
    "                         path drawn)\n"
    "  -h, --help             this text\n"
    "\n"
    "IN.svg may be \"-\" for standard input.\n";

}  // namespace

const char* HelpText(Command command) {
    switch (command) {
        case Command::kRender: return kRenderHelp;
        case Command::kPanel: return kPanelHelp;
        case Command::kData: return kDataHelp;
        case Command::kGuide:
        case Command::kGuideImport: return kGuideImportHelp;
        case Command::kNone: break;
    }
    return kMainHelp;
}

}  // namespace velmora::cli
