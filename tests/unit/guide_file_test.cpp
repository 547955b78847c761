// Guide files: the built-in guides, the first path element of an SVG file,
// its attributes, transform and path data, and the fallback to the straight
// guide.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/data_folders.h"
#include "data/guide_file.h"
#include "tests/scratch_config_home.h"

namespace velmora {
namespace {

using Points = std::vector<std::pair<double, double>>;

struct Cmd {
    int32_t kind;
    Points points;
    bool operator==(const Cmd&) const = default;
};

std::vector<Cmd> Commands(const PathParser& p) {
    std::vector<Cmd> out;
    for (const PathCommand& c : p.commands) {
        Points points;
        for (const PathPoint& pt : c.points) points.emplace_back(pt.x, pt.y);
        out.push_back({c.kind, points});
    }
    return out;
}

void PrintTo(const Cmd& c, std::ostream* os) {
    *os << c.kind << ":";
    for (const auto& [x, y] : c.points) *os << " (" << x << "," << y << ")";
}

const std::vector<Cmd> kStraight = {{kMoveTo, {{0, 10}}}, {kLineTo, {{100, 10}}}};

// Parses an SVG holding one path element with that d (and extra attributes).
PathParser ParsePath(const std::string& d, const std::string& extra = "") {
    PathParser parser;
    ParseSvgGuide(parser, "<svg><path " + extra + "d=\"" + d + "\"/></svg>");
    return parser;
}

TEST(BuiltInGuides, StraightAndCurve) {
    PathParser p;
    MakeCurveGuide(p);
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{0, 50}}}, {kQuadTo, {{50, 0}, {100, 50}}}}));
    EXPECT_EQ(p.width, 100.0);
    MakeStraightGuide(p);
    EXPECT_EQ(Commands(p), kStraight);
    EXPECT_EQ(p.width, 100.0);
}

TEST(PathData, AbsoluteAndRelativeCommands) {
    PathParser p = ParsePath("M 0 0 L 100 0");
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{0, 0}}}, {kLineTo, {{100, 0}}}}));
    EXPECT_EQ(p.width, 100.0);

    p = ParsePath("m 10 10 l 90 0");
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{10, 10}}}, {kLineTo, {{100, 10}}}}));
    EXPECT_EQ(p.width, 90.0);

    p = ParsePath("M0,0 Q50,-40 100,0");
    EXPECT_EQ(Commands(p)[1], (Cmd{kQuadTo, {{50, -40}, {100, 0}}}));

    // Every point of a relative command is relative to where it starts.
    p = ParsePath("M 5 5 c 10 0 20 0 30 0");
    EXPECT_EQ(Commands(p)[1], (Cmd{kCubicTo, {{15, 5}, {25, 5}, {35, 5}}}));

    // A sign starts a new number.
    p = ParsePath("M-5-5L10-10");
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{-5, -5}}}, {kLineTo, {{10, -10}}}}));
    EXPECT_EQ(p.width, 15.0);
}

TEST(PathData, UnsupportedLettersAndRepeatedCoordinatesAreDropped) {
    PathParser p = ParsePath("M 0 0 H 50 l 10 0");
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{0, 0}}}, {kLineTo, {{10, 0}}}}));
    EXPECT_EQ(p.width, 10.0);

    p = ParsePath("M 0 0 L 10 20 30 40 Z");
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{0, 0}}}, {kLineTo, {{10, 20}}}}));

    // "1.5.5" reads 1.5 and passes the whole run.
    p = ParsePath("M 1.5.5 2 L 3 4");
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{1.5, 2}}}, {kLineTo, {{3, 4}}}}));

    // All points on one x: accepted with width 0.
    p = ParsePath("M 0 0 L 0 100");
    EXPECT_EQ(p.commands.size(), 2u);
    EXPECT_EQ(p.width, 0.0);
}

TEST(PathData, NumbersThatCantBeReadThrow) {
    size_t pos = 0;
    EXPECT_EQ(ReadPathNumber(" ,+2.5e1x", pos), 25.0);
    EXPECT_EQ(pos, 8u);
    for (const char* text : {"-", "+", ".", "e5", "\t1", "", "x"}) {
        pos = 0;
        EXPECT_THROW(ReadPathNumber(text, pos), std::invalid_argument) << text;
    }
    pos = 0;
    EXPECT_THROW(ReadPathNumber("1e999", pos), std::out_of_range);
    pos = 0;
    EXPECT_THROW(ReadPathNumber("-1e-999", pos), std::out_of_range);
}

TEST(PathData, EveryNumberErrorGivesNoGuide) {
    for (const char* d : {"M 0 0 L -", "M 0\t0 L 10 0", "M 0 0 L 10", "M 0 0 C 1 2 3 4",
                          "M 1e999 0 L 1 0", "M 0 0 L 5 e"}) {
        PathParser p;
        EXPECT_FALSE(ParseSvgGuide(p, std::string("<path d=\"") + d + "\"/>")) << d;
        EXPECT_TRUE(p.commands.empty()) << d;
    }
}

TEST(PathElement, TransformsMoveThePointsButNotTheWidth) {
    PathParser p = ParsePath("M 0 0 L 100 0", "transform=\"translate(10 20)\" ");
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{10, 20}}}, {kLineTo, {{110, 20}}}}));
    EXPECT_EQ(p.width, 100.0);

    p = ParsePath("M 0 0 L 100 0", "transform=\"translate(10,20)\" ");
    EXPECT_EQ(Commands(p)[1], (Cmd{kLineTo, {{110, 20}}}));

    p = ParsePath("M 1 3 L 100 5", "transform=\"matrix(2 0 0 2 0 0)\" ");
    EXPECT_EQ(Commands(p), (std::vector<Cmd>{{kMoveTo, {{2, 6}}}, {kLineTo, {{200, 10}}}}));
    EXPECT_EQ(p.width, 99.0);
}

TEST(PathElement, ParseTransformReadsOneGroup) {
    const GuideTransform m = ParseTransform("matrix(1, 2, 3 4 5,6)");
    EXPECT_EQ((std::vector<double>{m.a, m.b, m.c, m.d, m.e, m.f}),
              (std::vector<double>{1, 2, 3, 4, 5, 6}));
    // The numbers come from the first group, whatever its name.
    const GuideTransform t = ParseTransform("scale(3) translate(7 8)");
    EXPECT_EQ(t.e, 3.0);
    EXPECT_EQ(t.f, 0.0);
    // A number that can't be read ends the reading; the rest stay identity.
    const GuideTransform partial = ParseTransform("matrix(2 0 x 5 5 5)");
    EXPECT_EQ((std::vector<double>{partial.a, partial.b, partial.c, partial.d, partial.e,
                                   partial.f}),
              (std::vector<double>{2, 0, 0, 1, 0, 0}));
    for (const char* identity : {"scale(2)", "rotate(45)", "translate", "matrix 1 0 0 1 5 5",
                                 "translate(5 5", ""}) {
        const GuideTransform i = ParseTransform(identity);
        EXPECT_EQ((std::vector<double>{i.a, i.b, i.c, i.d, i.e, i.f}),
                  (std::vector<double>{1, 0, 0, 1, 0, 0}))
            << identity;
    }
}

TEST(PathElement, OnlyTheFirstTagHoldingPathIsRead) {
    PathParser p;
    // A comment holding "path" hides the real element.
    EXPECT_FALSE(ParseSvgGuide(p, "<svg><!-- path --><path d=\"M 0 0 L 10 0\"/></svg>"));
    // Single-quoted values are not found.
    EXPECT_FALSE(ParseSvgGuide(p, "<path d='M 0 0 L 10 0'/>"));
    EXPECT_FALSE(ParseSvgGuide(p, "<svg><rect x=\"1\"/></svg>"));
    EXPECT_FALSE(ParseSvgGuide(p, "<path fill=\"red\"/>"));
    EXPECT_FALSE(ParseSvgGuide(p, "<path d=\"\"/>"));
    EXPECT_EQ(p.width, 0.0);
    EXPECT_FALSE(ParseSvgGuide(p, "<path d=\"H 5 V 5 Z\"/>"));
    EXPECT_FALSE(ParseSvgGuide(p, "<path d=\"M 0 0"));  // no closing ">"

    ASSERT_TRUE(ParseSvgGuide(p, "<svg:path d=\"M 0 0 L 10 0\"/><path d=\"M 0 0 L 50 0\"/>"));
    EXPECT_EQ(p.width, 10.0);
    // "old-d" is read as a second "d" and replaces the first.
    ASSERT_TRUE(ParseSvgGuide(p, "<path d=\"M 0 0 L 10 0\" old-d=\"M 0 0 L 30 0\"/>"));
    EXPECT_EQ(p.width, 30.0);
}

TEST(Attributes, NamesAreTheLettersBeforeTheEqualsSign) {
    const auto a = ReadAttributes(
        "path stroke-width=\"3\" xlink:href=\"#a\" d = \"x\" =\"e\" v=\"a\nb\" w=\"ok\"");
    EXPECT_EQ(a.at("width"), "3");
    EXPECT_EQ(a.at("href"), "#a");
    EXPECT_EQ(a.at(""), "e");
    EXPECT_EQ(a.count("d"), 0u);  // blanks around "=" hide it
    EXPECT_EQ(a.count("v"), 0u);  // a line feed in the value hides it
    EXPECT_EQ(a.at("w"), "ok");
    // Overlapping candidates: the first match swallows the second "=".
    EXPECT_EQ(AttributeMatches("a=\"b=\"c\""),
              (std::vector<std::pair<std::string_view, std::string_view>>{{"a", "b="}}));
}

// Random short tags built from the pieces that matter to the pattern.
std::string RandomTag(std::mt19937& rng) {
    static const std::string kPieces[] = {"=\"", "=\"", "\"", "\"", "=", "a", "bZ", "d", "-",
                                          " ", "\n", "\r", std::string(1, '\0'), "\xff", "'"};
    std::uniform_int_distribution<int> count(0, 12);
    std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
    std::string tag;
    for (int n = count(rng); n > 0; --n) tag += kPieces[pick(rng)];
    return tag;
}

TEST(Attributes, FindExactlyWhatTheRegularExpressionFinds) {
    const std::regex pattern("([a-zA-Z]*?)=\\\"(.*?)\\\"", std::regex::ECMAScript);
    std::mt19937 rng(20261209);
    int withMatches = 0, withSeveral = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::string tag = RandomTag(rng);
        std::vector<std::pair<std::string, std::string>> expected;
        for (std::sregex_iterator it(tag.begin(), tag.end(), pattern), end; it != end; ++it) {
            expected.emplace_back((*it)[1].str(), (*it)[2].str());
        }
        std::vector<std::pair<std::string, std::string>> actual;
        for (const auto& [name, value] : AttributeMatches(tag)) actual.emplace_back(name, value);
        ASSERT_EQ(actual, expected) << ::testing::PrintToString(tag);
        withMatches += !expected.empty();
        withSeveral += expected.size() > 1;
    }
    // The alphabet makes matches common, and several per tag frequent.
    EXPECT_GT(withMatches, 50000);
    EXPECT_GT(withSeveral, 5000);
}

TEST(Attributes, AHugeTagIsScannedQuickly) {
    std::string tag = "path d=\"" + std::string(5 << 20, '1') + "\" x=\"" +
                      std::string(1 << 20, '\n');
    const auto start = std::chrono::steady_clock::now();
    const auto a = ReadAttributes(tag);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(a.at("d").size(), 5u << 20);
    EXPECT_EQ(a.count("x"), 0u);

    PathParser p;
    EXPECT_FALSE(ParseSvgGuide(p, "<path d=\"" + std::string(5 << 20, 'H') + "\"/>"));
}

TEST(LoadGuide, BuiltInNamesFilesAndFallback) {
    VELMORA_SCRATCH_CONFIG_HOME(home);
    ASSERT_TRUE(EnsureDirectory(GuideFolder()));
    const auto write = [&](const char* name, const std::string& text) {
        std::ofstream(home.vmplugin() / "guide" / name, std::ios::binary) << text;
    };
    write(":S.svg", "<path d=\"M 0 0 L 7 0\"/>");  // never looked up
    write("wave.svg", "<svg>\n<path d=\"M 0 0 Q 5 -5 10 0\"/>\n</svg>");
    write("bad.svg", "<path d=\"M 0 0 L 1e999 0\"/>");
    write("empty.svg", "");

    PathParser p;
    LoadGuide(p, u":C");
    EXPECT_EQ(p.commands.size(), 2u);
    EXPECT_EQ(p.commands[1].kind, kQuadTo);
    LoadGuide(p, u":S");
    EXPECT_EQ(Commands(p), kStraight);
    LoadGuide(p, u"wave");
    EXPECT_EQ(Commands(p)[1], (Cmd{kQuadTo, {{5, -5}, {10, 0}}}));
    EXPECT_EQ(p.width, 10.0);
    for (const char16_t* name : {u"bad", u"empty", u"missing", u":s"}) {
#ifdef _WIN32
        // Windows file names ignore case: ":s" opens the file ":S.svg".
        if (std::u16string_view(name) == u":s") continue;
#endif
        LoadGuide(p, name);
        EXPECT_EQ(Commands(p), kStraight);
        EXPECT_EQ(p.width, 100.0);
    }
}

}  // namespace
}  // namespace velmora
