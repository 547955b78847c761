// Guides from SVG files as drawing programs write them: the whole path-data
// grammar, transforms of paths and groups, the files common editors save,
// and the guide written for the module read back by the module itself as
// the same curve.
#include "tools/velmora-host/guide_import.h"

#include <gmock/gmock.h>

#include <cmath>

#include "data/guide_file.h"

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;

std::vector<GuideCommand> Data(const std::string& d) {
    std::vector<GuideCommand> commands;
    std::string error;
    EXPECT_TRUE(ParsePathData(d, commands, error)) << d << ": " << error;
    return commands;
}

// Commands as text, e.g. "M 0 0 | C 1 2 3 4 5 6", rounded to 1e-6.
std::string Text(const std::vector<GuideCommand>& commands) {
    std::string text;
    for (const GuideCommand& c : commands) {
        text += (text.empty() ? "" : " | ") + std::string(1, c.kind);
        for (const GuidePoint& p : c.points) {
            for (double v : {p.x, p.y}) {
                char buffer[32];
                std::snprintf(buffer, sizeof buffer, " %.6g", std::round(v * 1e6) / 1e6 + 0.0);
                text += buffer;
            }
        }
    }
    return text;
}

TEST(PathData, CoordinateSetsRepeatWithoutTheirLetterRelativeToTheLastPoint) {
    EXPECT_EQ(Text(Data("M 20 100 c 20,-30 40,-30 60,0 20,30 40,30 60,0")),
              "M 20 100 | C 40 70 60 70 80 100 | C 100 130 120 130 140 100");
    EXPECT_EQ(Text(Data("M 0 0 10 0 20 5")), "M 0 0 | L 10 0 | L 20 5");
    EXPECT_EQ(Text(Data("m 1 1 2 2 3 0")), "M 1 1 | L 3 3 | L 6 3");
    EXPECT_EQ(Text(Data("M 0 0 L 10 20 30 40")), "M 0 0 | L 10 20 | L 30 40");
    EXPECT_EQ(Text(Data("M 0 0 q 5 10 10 0 5 -10 10 0")), "M 0 0 | Q 5 10 10 0 | Q 15 -10 20 0");
}

TEST(PathData, HorizontalVerticalCloseAndSmoothCurves) {
    EXPECT_EQ(Text(Data("M 5 5 H 50 v 10 h -20 V 0")),
              "M 5 5 | L 50 5 | L 50 15 | L 30 15 | L 30 0");
    // Z draws back to the start, and the next command starts there.
    EXPECT_EQ(Text(Data("M 10 10 l 10 0 l 0 10 z l 5 5")),
              "M 10 10 | L 20 10 | L 20 20 | L 10 10 | L 15 15");
    EXPECT_EQ(Text(Data("M 0 0 L 10 0 Z")), "M 0 0 | L 10 0 | L 0 0");
    EXPECT_EQ(Text(Data("M 0 0 C 0 10 10 10 10 0 S 20 -10 20 0")),
              "M 0 0 | C 0 10 10 10 10 0 | C 10 -10 20 -10 20 0");
    EXPECT_EQ(Text(Data("M 0 0 s 10 10 20 0")), "M 0 0 | C 0 0 10 10 20 0");
    EXPECT_EQ(Text(Data("M 0 0 Q 5 10 10 0 T 20 0 t 10 0")),
              "M 0 0 | Q 5 10 10 0 | Q 15 -10 20 0 | Q 25 10 30 0");
    EXPECT_EQ(Text(Data("M 0 0 L 5 5 T 10 0")), "M 0 0 | L 5 5 | Q 5 5 10 0");
}

TEST(PathData, NumbersWithCommasExponentsSignsAndRunTogetherPoints) {
    EXPECT_EQ(Text(Data("M1e1,2E-1L-.5.5")), "M 10 0.2 | L -0.5 0.5");
    EXPECT_EQ(Text(Data("M-5-5L10-10")), "M -5 -5 | L 10 -10");
    EXPECT_EQ(Text(Data("M+1.5e+1 , 0\tL\n3,4")), "M 15 0 | L 3 4");
    EXPECT_EQ(Text(Data("M0 0l.5.5.5.5")), "M 0 0 | L 0.5 0.5 | L 1 1");
}

// Every point of the curves lies on the circle, within the approximation.
void ExpectOnCircle(const std::vector<GuideCommand>& commands, GuidePoint centre, double r) {
    GuidePoint from = commands[0].points[0];
    for (size_t i = 1; i < commands.size(); ++i) {
        ASSERT_EQ(commands[i].kind, 'C');
        const auto& p = commands[i].points;
        for (double t = 0; t <= 1.0; t += 0.125) {
            const double u = 1 - t;
            const double x = u * u * u * from.x + 3 * u * u * t * p[0].x + 3 * u * t * t * p[1].x + t * t * t * p[2].x;
            const double y = u * u * u * from.y + 3 * u * u * t * p[0].y + 3 * u * t * t * p[1].y + t * t * t * p[2].y;
            EXPECT_NEAR(std::hypot(x - centre.x, y - centre.y), r, r * 3e-4) << i << " " << t;
        }
        from = p[2];
    }
}

TEST(PathData, ArcsBecomeCubicCurvesOfAtMostAQuarterTurn) {
    // A half circle from (0, 0) to (20, 0) around (10, 0), sweeping through y < 0.
    std::vector<GuideCommand> half = Data("M 0 0 A 10 10 0 0 1 20 0");
    ASSERT_EQ(half.size(), 3u);
    EXPECT_NEAR(half[1].points[2].x, 10, 1e-9);
    EXPECT_NEAR(half[1].points[2].y, -10, 1e-9);
    EXPECT_EQ(half[2].points[2].x, 20);
    EXPECT_EQ(half[2].points[2].y, 0);
    ExpectOnCircle(half, {10, 0}, 10);

    // The large arc the other way: three quarters of a circle of radius 5.
    std::vector<GuideCommand> large = Data("M 5 0 a 5 5 0 1 0 -5 5");
    ASSERT_EQ(large.size(), 4u);
    ExpectOnCircle(large, {0, 0}, 5);
    EXPECT_EQ(Text({large.back()}).substr(Text({large.back()}).size() - 4), " 0 5");

    // Radii too small grow to reach; flags written together; a zero radius draws a line.
    ExpectOnCircle(Data("M 0 0 a1 1 0 0010 0"), {5, 0}, 5);
    EXPECT_EQ(Text(Data("M 0 0 A 0 5 0 0 1 10 0")), "M 0 0 | L 10 0");
    EXPECT_EQ(Text(Data("M 0 0 A 5 5 0 0 1 0 0")), "M 0 0");
    // A rotated ellipse stays an ellipse: its two radii reached at the quarter points.
    std::vector<GuideCommand> tilted = Data("M 0 0 A 20 10 90 0 1 0 40");
    ASSERT_EQ(tilted.size(), 3u);
    EXPECT_NEAR(tilted[1].points[2].x, 10, 1e-9);
    EXPECT_NEAR(tilted[1].points[2].y, 20, 1e-9);
}

TEST(PathData, MalformedDataSaysWhere) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"L 10 10", "starts with \"L\", not with a move (M)"},
        {"10 10", "starts with a number"},
        {"M 0 0 L 10", "\"L\" needs 2 numbers at character 11"},
        {"M 0 0 A 5 5 0 2 0 10 0", "\"A\" needs 7 values"},
        {"M 0 0 X 5", "unknown command \"X\" at character 7"},
        {"M 0 0 Z 5 5", "numbers after a close (Z)"},
        {"M 0 0 L 1e999 0", "\"L\" needs 2 numbers"},
    };
    for (const auto& [d, message] : cases) {
        std::vector<GuideCommand> commands;
        std::string error;
        EXPECT_FALSE(ParsePathData(d, commands, error)) << d;
        EXPECT_THAT(error, HasSubstr(message)) << d;
    }
}

TEST(Transforms, ListsComposeRightToLeftWithEveryKind) {
    Affine t;
    std::string error;
    ASSERT_TRUE(ParseTransformList("translate(10,20) scale(2)", t, error)) << error;
    EXPECT_EQ(t.Apply({1, 1}).x, 12);
    EXPECT_EQ(t.Apply({1, 1}).y, 22);
    ASSERT_TRUE(ParseTransformList("rotate(90 10 10)", t, error));
    EXPECT_NEAR(t.Apply({20, 10}).x, 10, 1e-12);
    EXPECT_NEAR(t.Apply({20, 10}).y, 20, 1e-12);
    ASSERT_TRUE(ParseTransformList("matrix(1,0,0,-1,0,100)translate(5)", t, error));
    EXPECT_EQ(t.Apply({0, 0}).x, 5);
    EXPECT_EQ(t.Apply({0, 0}).y, 100);
    ASSERT_TRUE(ParseTransformList(" skewX(45) ", t, error));
    EXPECT_NEAR(t.Apply({0, 10}).x, 10, 1e-12);
    ASSERT_TRUE(ParseTransformList("scale(2,3),translate(1 1)", t, error));
    EXPECT_EQ(t.Apply({0, 0}).y, 3);
    EXPECT_FALSE(ParseTransformList("rotate(1,2)", t, error));
    EXPECT_FALSE(ParseTransformList("spin(4)", t, error));
}

// --- Files as editors write them ---------------------------------------------

// A vector editor's document: layers as groups moved by a translate, the
// path in relative commands with repeated coordinate sets, a clip path
// in the definitions before it.
const char kLayeredEditorFile[] = R"svg(<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<!-- Created with a vector editor -->
<svg
   width="210mm"
   height="297mm"
   viewBox="0 0 210 297"
   version="1.1"
   id="svg5"
   xmlns:sodipodi="http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd"
   xmlns="http://www.w3.org/2000/svg"
   xmlns:svg="http://www.w3.org/2000/svg">
  <sodipodi:namedview id="namedview7" pagecolor="#ffffff" />
  <defs id="defs2">
    <clipPath clipPathUnits="userSpaceOnUse" id="clipPath1">
      <path d="M 0,0 H 50 V 50 H 0 Z" id="path0" />
    </clipPath>
  </defs>
  <g id="layer1" transform="translate(-12.5,30)">
    <g id="g42" transform="matrix(2,0,0,2,0,0)">
      <path
         style="fill:none;stroke:#000000;stroke-width:0.264583px"
         d="m 20,100 c 20,-30 40,-30 60,0 20,30 40,30 60,0"
         id="path846" />
    </g>
  </g>
</svg>
)svg";

// Another editor's style: absolute, compact numbers, a class for its style
// sheet, and a smooth curve continuing the first.
const char kCompactEditorFile[] = R"svg(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE svg PUBLIC "-//W3C//DTD SVG 1.1//EN" "http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd" [
  <!ENTITY ns_svg "http://www.w3.org/2000/svg">
]>
<svg version="1.1" id="Layer_1" xmlns="http://www.w3.org/2000/svg" x="0px" y="0px"
	 viewBox="0 0 200 100" style="enable-background:new 0 0 200 100;" xml:space="preserve">
<style type="text/css">
	.st0{fill:none;stroke:#000000;stroke-miterlimit:10;}
</style>
<path class="st0" d="M10.5,50.3c20-30,40-30,60,0s40,30,60,0"/>
<path class="st0" d="M0,0h10"/>
</svg>
)svg";

// A design tool's export: single quotes, arcs, a rotated path.
const char kQuotedArcFile[] =
    "<svg width='100' height='100' xmlns='http://www.w3.org/2000/svg'>"
    "<g transform='rotate(-90 50 50)'><path d='M10 50A40 40 0 0 1 90 50' stroke='black'/></g>"
    "</svg>";

TEST(SvgGuide, TheFirstPathDrawnWithEveryEnclosingTransform) {
    GuidePath path;
    std::string error;
    ASSERT_TRUE(ReadSvgGuide(kLayeredEditorFile, "", path, error)) << error;
    // (x, y) -> (2x - 12.5, 2y + 30)
    EXPECT_EQ(Text(path.commands),
              "M 27.5 230 | C 67.5 170 107.5 170 147.5 230 | C 187.5 290 227.5 290 267.5 230");
    EXPECT_EQ(path.width, 240);

    ASSERT_TRUE(ReadSvgGuide(kCompactEditorFile, "", path, error)) << error;
    EXPECT_EQ(Text(path.commands),
              "M 10.5 50.3 | C 30.5 20.3 50.5 20.3 70.5 50.3 | C 90.5 80.3 110.5 80.3 130.5 50.3");

    ASSERT_TRUE(ReadSvgGuide(kQuotedArcFile, "", path, error)) << error;
    ASSERT_EQ(path.commands.size(), 3u);
    EXPECT_NEAR(path.commands[0].points[0].x, 50, 1e-9);  // (10, 50) turned about (50, 50)
    EXPECT_NEAR(path.commands[0].points[0].y, 90, 1e-9);
    EXPECT_NEAR(path.commands[2].points[2].y, 10, 1e-9);
}

TEST(SvgGuide, AnIdPicksThePathAndMistakesAreNamed) {
    GuidePath path;
    std::string error;
    ASSERT_TRUE(ReadSvgGuide(kLayeredEditorFile, "path0", path, error)) << error;
    EXPECT_EQ(Text(path.commands), "M 0 0 | L 50 0 | L 50 50 | L 0 50 | L 0 0");
    EXPECT_FALSE(ReadSvgGuide(kLayeredEditorFile, "nothing", path, error));
    EXPECT_EQ(error, "no path with id \"nothing\" (the paths' ids: path0, path846)");
    EXPECT_FALSE(ReadSvgGuide(kLayeredEditorFile, "g42", path, error));
    EXPECT_EQ(error, "the element with id \"g42\" is a <g>, not a path");
    EXPECT_FALSE(ReadSvgGuide("<svg><rect width='5'/></svg>", "", path, error));
    EXPECT_EQ(error, "no path is drawn in it");
    EXPECT_FALSE(ReadSvgGuide("<svg><path id='p' d=''/></svg>", "", path, error));
    EXPECT_EQ(error, "the path \"p\" has no path data");
    EXPECT_FALSE(ReadSvgGuide("<svg><path d='M 0 0 L 5'/></svg>", "", path, error));
    EXPECT_THAT(error, HasSubstr("\"L\" needs 2 numbers"));
}

// The module's own reading of a guide text, as commands and width.
GuidePath ModuleReads(const std::string& svg) {
    PathParser parser;
    GuidePath path;
    if (!ParseSvgGuide(parser, svg)) return path;
    const char kinds[] = {'?', 'M', 'L', 'C', 'Q'};
    for (const PathCommand& c : parser.commands) {
        GuideCommand g{kinds[c.kind >= 1 && c.kind <= 4 ? c.kind : 0], {}};
        for (const PathPoint& p : c.points) g.points.push_back({p.x, p.y});
        path.commands.push_back(g);
    }
    path.width = parser.width;
    return path;
}

TEST(SvgGuide, TheModuleReadsTheImportedGuideAsTheSameCurveExactly) {
    for (const char* file : {kLayeredEditorFile, kCompactEditorFile, kQuotedArcFile}) {
        GuidePath drawn;
        std::string error, guide;
        ASSERT_TRUE(ReadSvgGuide(file, "", drawn, error)) << error;
        ASSERT_TRUE(ImportGuide(file, "", guide, error)) << error;
        const GuidePath read = ModuleReads(guide);
        ASSERT_EQ(read.commands.size(), drawn.commands.size());
        for (size_t i = 0; i < read.commands.size(); ++i) {
            ASSERT_EQ(read.commands[i].kind, drawn.commands[i].kind);
            for (size_t j = 0; j < read.commands[i].points.size(); ++j) {
                EXPECT_EQ(read.commands[i].points[j].x, drawn.commands[i].points[j].x);
                EXPECT_EQ(read.commands[i].points[j].y, drawn.commands[i].points[j].y);
            }
        }
        EXPECT_EQ(read.width, drawn.width);
    }
}

TEST(SvgGuide, TheHostsPictureOfTheModulesReadingMatchesTheModule) {
    // Files the module reads oddly, and files it reads well: the host's
    // model of its reading agrees with the module on each.
    const std::vector<std::string> files = {
        kLayeredEditorFile, kCompactEditorFile, kQuotedArcFile,
        "<svg><path d=\"M 0 0 H 50 l 10 0\"/></svg>",
        "<svg><path d=\"m 10 10 l 90 0 c 10 0 20 0 30 0\" transform=\"matrix(2 0 0 2 5 5)\"/></svg>",
        "<svg><path d=\"M 0 0 L 10 0\" transform=\"translate(3,4)\"/></svg>",
        "<svg><!-- path --><path d=\"M 0 0 L 10 0\"/></svg>",
        "<svg><path d=\"M 0 0 L 10\"/></svg>",
        "<svg><path d=\"M 1.5.5 3 Q 1e2 -2E1 7 7\" old-d=\"M 0 0 L 4 4\"/></svg>",
        "<svg><path d='M 0 0 L 10 0'/></svg>",
    };
    for (const std::string& f : files) {
        const std::optional<GuidePath> host = ReadAsModule(f);
        const GuidePath module = ModuleReads(f);
        if (!host) {
            EXPECT_TRUE(module.commands.empty()) << f;
            continue;
        }
        EXPECT_TRUE(SameCurve(*host, module)) << f;
    }
}

TEST(SvgGuide, AFileTheModuleReadsOtherwiseIsToldApart) {
    EXPECT_EQ(GuideReadingProblem(kLayeredEditorFile),
              "the module reads another curve from it than drawing programs show");
    EXPECT_EQ(GuideReadingProblem("<svg><path d='M 0 0 L 10 0'/></svg>"),
              "the module can't read its path and draws straight lines instead");
    EXPECT_THAT(GuideReadingProblem("<svg></svg>"), HasSubstr("the module finds no path"));
    EXPECT_EQ(GuideReadingProblem("<svg><path d=\"M 0 0 C 25 0 25 40 50 20\" "
                                  "transform=\"translate(5 5)\"/></svg>"),
              "");
    std::string guide, error;
    ASSERT_TRUE(ImportGuide(kCompactEditorFile, "", guide, error));
    EXPECT_EQ(GuideReadingProblem(guide), "");
}

TEST(SvgGuide, ImportNotesPiecesAndAPathWithoutWidth) {
    std::string guide, error;
    std::vector<std::string> notes;
    ASSERT_TRUE(ImportGuide("<svg><path d='M0 0L10 0M20 0L30 0'/></svg>", "", guide, error, &notes));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_THAT(notes[0], HasSubstr("2 pieces"));
    notes.clear();
    ASSERT_TRUE(ImportGuide("<svg><path d='M0 0V10'/></svg>", "", guide, error, &notes));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_THAT(notes[0], HasSubstr("no extent along x"));
    EXPECT_FALSE(ImportGuide("<svg><path d='M0 0 m 5 5'/></svg>", "", guide, error));
    EXPECT_EQ(error, "the path draws nothing (it only moves)");
    std::string many = "<svg><path d='M0 0";
    for (int i = 0; i < 10000; ++i) many += " L" + std::to_string(i) + " 1";
    EXPECT_FALSE(ImportGuide(many + "'/></svg>", "", guide, error));
    EXPECT_EQ(error, "the path has 10001 commands; the module takes guides of at most 10000");
    ASSERT_TRUE(ImportGuide("<svg><path id='w\"x' d='M0 0L1 1'/></svg>", "w\"x", guide, error));
    EXPECT_THAT(guide, ::testing::Not(HasSubstr("id=")));
}

}  // namespace
}  // namespace velmora::cli
