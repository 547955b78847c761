// velmora-host as a user runs it: what it renders, what it refuses and how,
// how presets and guides travel through the module's folders, the panel
// listing, and that a failure never leaves a half-written picture behind.
#include "tests/tools/cli_support.h"

#include <gmock/gmock.h>

namespace velmora::cli::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const fs::path kSource = VELMORA_SOURCE_DIR;

// An opaque mask of one grey level, or a transparent one.
void WriteMask(const fs::path& path, int width, int height, uint8_t grey, uint8_t alpha = 255) {
    Picture mask{width, height, std::vector<uint8_t>(size_t(width) * height * 4, alpha)};
    for (size_t i = 0; i < mask.rgba.size(); i += 4) {
        mask.rgba[i] = mask.rgba[i + 1] = mask.rgba[i + 2] = grey;
    }
    WriteText(path, EncodePng(mask));
}

// --- Rendering ----------------------------------------------------------

TEST(CliRender, TheBundledSampleRendersToTheGoldenPicture) {
    Scratch s;
    const Outcome o = s.Run({"render", "-o", (s / "effect.png").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_THAT(o.err, HasSubstr("rendered 800x600 in "));
    const Picture effect = LoadPicture(s / "effect.png");
    EXPECT_TRUE(SamePicture(LoadPicture(kSource / "tests/golden/cli/sample.png"), effect));
}

TEST(CliRender, AGivenSourceRendersLikeTheBundledSample) {
    Scratch s;
    ASSERT_EQ(s.Run({"render", "-o", (s / "bundled.png").string()}).status, 0);
    const Outcome o = s.Run({"render", (kSource / "samples/sample.png").string(), "-o",
                             (s / "given.png").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(SamePicture(LoadPicture(s / "bundled.png"), LoadPicture(s / "given.png")));
}

TEST(CliRender, TheCompositeIsTheEffectOverTheSourceAndFullyOpaque) {
    Scratch s;
    const Outcome o = s.Run({"render", "-o", (s / "effect.png").string(), "--composite",
                             (s / "composite.png").string(), "--colour", "#D02020"});
    ASSERT_EQ(o.status, 0) << o.err;
    const Picture effect = LoadPicture(s / "effect.png");
    const Picture composite = LoadPicture(s / "composite.png");
    const Picture source = LoadPicture(kSource / "samples/sample.png");
    EXPECT_TRUE(SamePicture(CompositeOver(effect, source), composite));
    ASSERT_GT(CoveredPixels(effect), 0u);
    for (size_t i = 0; i < effect.rgba.size(); i += 4) {
        if (effect.rgba[i + 3] == 0) continue;
        EXPECT_EQ(effect.rgba[i], 0xD0);
        EXPECT_EQ(effect.rgba[i + 1], 0x20);
        EXPECT_EQ(effect.rgba[i + 2], 0x20);
        break;
    }
}

TEST(CliRender, TheSelectionIsTheMasksGreyLevelOrItsAlpha) {
    Scratch s;
    ASSERT_EQ(s.Run({"render", "-o", (s / "plain.png").string()}).status, 0);
    WriteMask(s / "none.png", 800, 600, 0);
    WriteMask(s / "all.png", 800, 600, 255);
    WriteMask(s / "clear.png", 800, 600, 255, 0);
    for (const char* mask : {"none", "all", "clear"}) {
        const std::string out = (s / (std::string(mask) + "-effect.png")).string();
        const Outcome o = s.Run({"render", "-o", out, "--selection",
                                 (s / (std::string(mask) + ".png")).string()});
        ASSERT_EQ(o.status, 0) << o.err;
    }
    EXPECT_GT(CoveredPixels(LoadPicture(s / "plain.png")), 0u);
    EXPECT_TRUE(SamePicture(LoadPicture(s / "plain.png"), LoadPicture(s / "all-effect.png")));
    EXPECT_EQ(CoveredPixels(LoadPicture(s / "none-effect.png")), 0u);
    EXPECT_EQ(CoveredPixels(LoadPicture(s / "clear-effect.png")), 0u);
}

// --- Refused settings ----------------------------------------------------

struct Refusal {
    std::vector<std::string> args;
    std::string message;
};

TEST(CliRefusals, EachRefusedValueNamesTheItemExitsTwoAndRendersNothing) {
    const std::vector<Refusal> cases = {
        {{"--set", "size=80"}, "velmora-host: size=80 is out of range: \"Size\" takes 1 to 50\n"},
        {{"--set", "size=0.5"}, "velmora-host: size=0.5 is out of range: \"Size\" takes 1 to 50\n"},
        {{"--set", "hardness=soft"},
         "velmora-host: hardness=soft is not a number: \"Hardness\" takes 0 to 1\n"},
        {{"--set", "spacing=0"},
         "velmora-host: spacing=0 is out of range: \"Spacing\" takes whole numbers 1 to 1000\n"},
        {{"--set", "length=2.5"},
         "velmora-host: length=2.5 is not a whole number: \"Length\" takes whole numbers 0 to "
         "1000\n"},
        {{"--set", "position=-1001"},
         "velmora-host: position=-1001 is out of range: \"Base Position\" takes whole numbers "
         "-1000 to 1000\n"},
        {{"--set", "curvature=nan"},
         "velmora-host: curvature=nan is not a number: \"Curvature\" takes -10 to 10\n"},
        {{"--set", "connect=maybe"},
         "velmora-host: connect=maybe is not true or false: \"Connect Lines\" takes true or "
         "false\n"},
        {{"--set", "p1=120"},
         "velmora-host: p1=120 is not a point: \"Point 1\" takes X,Y in pixels, e.g. "
         "p1=400,300\n"},
        {{"--set", "type=spiral"},
         "velmora-host: type=spiral is not one of its choices: \"Template\" takes radiate, "
         "parallel, circle, \"Radial Lines\", \"Parallel Lines\", or \"Concentric Circles\"\n"},
        {{"--set", "guide=Wavy"},
         "velmora-host: guide=Wavy is not one of its choices: \"Guide\" takes \"Straight\", or "
         "\"Curve\"\n"},
        {{"--set", "colour=red"},
         "velmora-host: unknown setting \"colour\"; the settings are type, p1, p2, p3, guide, "
         "curvature, size, hardness, fluction, in, out, asdist, easing, position, posfluct, "
         "length, lenfluct, spacing, spcfluct, lengain, spcgain, connect\n"},
    };
    Scratch s;
    const fs::path out = s / "out.png";
    WriteText(out, "earlier picture");
    for (const Refusal& c : cases) {
        std::vector<std::string> args = {"render", "-o", out.string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = s.Run(args);
        EXPECT_EQ(o.status, 2) << c.args.back();
        EXPECT_EQ(o.err, c.message);
        EXPECT_EQ(ReadText(out), "earlier picture") << c.args.back();
    }
    EXPECT_EQ(Scratch::Files(s.root()), (std::vector<std::string>{"config", "out.png", "stderr.txt",
                                                                    "stdout.txt", "tmp"}));
}

TEST(CliRefusals, TheLastOfARepeatedSettingDecidesAndCaptionsAreAccepted) {
    Scratch s;
    const Outcome a = s.Run({"render", "-o", (s / "a.png").string(), "--set", "size=80", "--set",
                             "size=6", "--set", "type=Concentric Circles"});
    ASSERT_EQ(a.status, 0) << a.err;
    const Outcome b =
        s.Run({"render", "-o", (s / "b.png").string(), "--set", "type=circle", "--set", "size=6"});
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_TRUE(SamePicture(LoadPicture(s / "a.png"), LoadPicture(s / "b.png")));
}

TEST(CliRefusals, UsageErrorsExitTwoWithTheirReason) {
    const std::vector<Refusal> cases = {
        {{"render"}, "no output: give -o OUT.png"},
        {{"render", "-o"}, "option -o needs a value"},
        {{"render", "-o", "x.png", "--sharpen"}, "unknown option \"--sharpen\""},
        {{"render", "-o", "x.png", "--colour", "red"}, "--colour \"red\" is not a colour #RRGGBB"},
        {{"render", "-o", "x.png", "--set", "size"}, "--set \"size\" is not KEY=VALUE"},
        {{"render", "a.png", "b.png", "-o", "x.png"}, "one source picture only"},
        {{"render", "-o", "x.png", "--composite", "x.png"}, "name the same file"},
        {{"panel", "--lang", "fr"}, "the panel is in en or ja"},
        {{"paint"}, "unknown command \"paint\""},
        {{}, "usage: velmora-host <command>"},
    };
    Scratch s;
    for (const Refusal& c : cases) {
        const Outcome o = s.Run(c.args);
        EXPECT_EQ(o.status, 2) << o.err;
        EXPECT_THAT(o.err, HasSubstr(c.message));
    }
}

TEST(CliRefusals, ASelectionOfAnotherSizeIsRefused) {
    Scratch s;
    WriteMask(s / "small.png", 16, 12, 255);
    const Outcome o = s.Run({"render", "-o", (s / "out.png").string(), "--selection",
                             (s / "small.png").string()});
    EXPECT_EQ(o.status, 2);
    EXPECT_THAT(o.err, HasSubstr("is 16x12 but the source is 800x600; they must be of one size"));
    EXPECT_FALSE(fs::exists(s / "out.png"));
}

// --- Help ---------------------------------------------------------------

TEST(CliHelp, EveryCommandHasHelpOnStandardOutput) {
    Scratch s;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"render", "--help"}, {"panel", "--help"}, {"render", "-h"},
             {"data", "--help"}, {"guide", "import", "--help"}, {"guide", "--help"}}) {
        const Outcome o = s.Run(args);
        EXPECT_EQ(o.status, 0);
        EXPECT_THAT(o.out, StartsWith("usage: velmora-host"));
        EXPECT_EQ(o.err, "");
    }
}

// --- Failures -------------------------------------------------------------

TEST(CliFailures, UnreadableInputsAndModulesFailWithOneLine) {
    Scratch s;
    WriteText(s / "notes.png", "these are notes, not a picture");
    WriteText(s / "broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "truncated");
    WriteText(s / "junk.cpm", "not a module");
    const std::string out = (s / "out.png").string();
    const std::vector<Refusal> cases = {
        {{(s / "missing.png").string(), "-o", out}, "missing.png\": No such file or directory\n"},
        {{s.root().string(), "-o", out}, "\": it is a folder\n"},
        {{(s / "notes.png").string(), "-o", out}, "notes.png\" is not a PNG picture\n"},
        {{(s / "broken.png").string(), "-o", out}, "broken.png\" is a damaged PNG picture"},
        {{"-o", out, "--module", (s / "none.cpm").string()}, "none.cpm\" (give one with --module PATH)\n"},
        {{"-o", out, "--module", (s / "junk.cpm").string()}, "cannot load the module \""},
        {{"-o", out, "--module", VELMORA_FAILING_MODULE}, "Failing.cpm\" failed to initialise\n"},
        {{"-o", (s / "no/such/folder/out.png").string()},
         "out.png\": No such file or directory (no folder \""},
        {{"-o", s.root().string()}, "it is a folder"},
    };
    for (const Refusal& c : cases) {
        std::vector<std::string> args = {"render"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = s.Run(args);
        EXPECT_EQ(o.status, 1) << o.err;
        EXPECT_THAT(o.err, StartsWith("velmora-host: "));
        EXPECT_THAT(o.err, HasSubstr(c.message));
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
        EXPECT_FALSE(fs::exists(out));
    }
    const Outcome panel = s.Run({"panel", "--module", VELMORA_FAILING_MODULE});
    EXPECT_EQ(panel.status, 1);
    EXPECT_THAT(panel.err, HasSubstr("failed to initialise"));
}

TEST(CliFailures, OutputsAppearWholeAndNoTemporaryFileStays) {
    Scratch s;
    const Outcome o = s.Run({"render", "-o", (s / "effect.png").string(), "--composite",
                             (s / "composite.png").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Scratch::Files(s.root()),
              (std::vector<std::string>{"composite.png", "config", "effect.png", "stderr.txt",
                                        "stdout.txt", "tmp"}));
    EXPECT_THAT(o.err, HasSubstr("wrote " + (s / "effect.png").string()));
}

TEST(CliFailures, WithoutATerminalOnlyThePlainFinalLineIsPrinted) {
    Scratch s;
    const Outcome o = s.Run({"render", "-o", (s / "effect.png").string()});
    ASSERT_EQ(o.status, 0);
    EXPECT_EQ(o.err.find('\r'), std::string::npos);
    EXPECT_THAT(o.err, StartsWith("rendered 800x600 in "));
}

// --- Presets and guides -----------------------------------------------------

TEST(CliPresets, ASavedPresetRendersTheSamePictureWhenSelectedAgain) {
    Scratch s;
    const Outcome saved = s.Run({"render", "-o", (s / "first.png").string(), "--save-preset",
                                 "--set", "type=circle", "--set", "size=5", "--set", "spacing=30",
                                 "--set", "hardness=0.5", "--set", "length=40"});
    ASSERT_EQ(saved.status, 0) << saved.err;
    ASSERT_THAT(saved.out, StartsWith("saved preset " + s.presetFolder().string() + "/"));
    const fs::path presetPath = saved.out.substr(13, saved.out.size() - 14);
    ASSERT_TRUE(fs::exists(presetPath)) << presetPath;
    EXPECT_THAT(ReadText(presetPath), HasSubstr("type=circle\n"));

    // Moved out of the folder and given back with --preset, as a user would.
    fs::copy_file(presetPath, s / "rings.ini");
    fs::remove(presetPath);
    const Outcome again = s.Run({"render", "-o", (s / "again.png").string(), "--preset",
                                 (s / "rings.ini").string()});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(SamePicture(LoadPicture(s / "first.png"), LoadPicture(s / "again.png")));
    EXPECT_FALSE(fs::exists(s.presetFolder() / "rings.ini"));
}

TEST(CliPresets, SettingsGivenWithAPresetApplyAfterIt) {
    Scratch s;
    WriteText(s / "big.ini", "[pen]\nsize=9\n");
    const Outcome a = s.Run({"render", "-o", (s / "a.png").string(), "--preset",
                             (s / "big.ini").string(), "--set", "size=3"});
    ASSERT_EQ(a.status, 0) << a.err;
    const Outcome b = s.Run({"render", "-o", (s / "b.png").string(), "--set", "size=3"});
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_TRUE(SamePicture(LoadPicture(s / "a.png"), LoadPicture(s / "b.png")));
}

TEST(CliPresets, APresetWithAnotherExtensionOrAnInstallOverOtherContentIsRefused) {
    Scratch s;
    WriteText(s / "rings.txt", "[pen]\nsize=9\n");
    Outcome o = s.Run({"render", "-o", (s / "out.png").string(), "--preset",
                       (s / "rings.txt").string()});
    EXPECT_EQ(o.status, 2);
    EXPECT_THAT(o.err, HasSubstr("the module lists only files ending in \".ini\""));

    fs::create_directories(s.presetFolder());
    WriteText(s.presetFolder() / "rings.ini", "[pen]\nsize=2\n");
    WriteText(s / "rings.ini", "[pen]\nsize=9\n");
    o = s.Run({"render", "-o", (s / "out.png").string(), "--preset", (s / "rings.ini").string(),
               "--install"});
    EXPECT_EQ(o.status, 1);
    EXPECT_THAT(o.err, HasSubstr("already exists with other content"));
    EXPECT_EQ(ReadText(s.presetFolder() / "rings.ini"), "[pen]\nsize=2\n");
    EXPECT_FALSE(fs::exists(s / "out.png"));
}

TEST(CliPresets, ARefusedRunTakesItsCopiedPresetBackOut) {
    Scratch s;
    WriteText(s / "rings.ini", "[guide]\ntype=circle\n");
    const Outcome o = s.Run({"render", "-o", (s / "out.png").string(), "--preset",
                             (s / "rings.ini").string(), "--set", "size=99"});
    EXPECT_EQ(o.status, 2);
    EXPECT_FALSE(fs::exists(s.presetFolder() / "rings.ini"));
}

const char kWaveGuide[] =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 100 40\">\n"
    "  <path d=\"M 0 20 C 25 0 25 40 50 20 C 75 0 75 40 100 20\" fill=\"none\"/>\n"
    "</svg>\n";

TEST(CliGuides, AnInstalledGuideIsSelectedAndThenKnownByName) {
    Scratch s;
    WriteText(s / "wave.svg", kWaveGuide);
    const std::vector<std::string> base = {"--set", "type=parallel", "--set", "length=60"};
    auto render = [&](const std::string& name, std::vector<std::string> extra) {
        std::vector<std::string> args = {"render", "-o", (s / name).string()};
        args.insert(args.end(), base.begin(), base.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return s.Run(args);
    };
    ASSERT_EQ(render("straight.png", {}).status, 0);
    const Outcome byFile =
        render("by-file.png", {"--guide", (s / "wave.svg").string(), "--install"});
    ASSERT_EQ(byFile.status, 0) << byFile.err;
    EXPECT_EQ(ReadText(s.guideFolder() / "wave.svg"), kWaveGuide);
    EXPECT_THAT(byFile.err, HasSubstr("installed " + (s.guideFolder() / "wave.svg").string()));
    const Outcome byName = render("by-name.png", {"--set", "guide=wave"});
    ASSERT_EQ(byName.status, 0) << byName.err;

    EXPECT_TRUE(SamePicture(LoadPicture(s / "by-file.png"), LoadPicture(s / "by-name.png")));
    EXPECT_FALSE(SamePicture(LoadPicture(s / "straight.png"), LoadPicture(s / "by-file.png")));

    const Outcome both = render("both.png", {"--guide", (s / "wave.svg").string(), "--set",
                                             "guide=Curve"});
    EXPECT_EQ(both.status, 2);
    EXPECT_THAT(both.err, HasSubstr("not both"));
}

// --- The panel listing ----------------------------------------------------

TEST(CliPanel, ListsEveryItemWithItsRangeDefaultAndChoicesInBothLanguages) {
    Scratch s;
    const Outcome en = s.Run({"panel"});
    ASSERT_EQ(en.status, 0) << en.err;
    EXPECT_THAT(en.out, StartsWith("Orvalen Works / Velmora Plugin\n"));
    EXPECT_THAT(en.out, HasSubstr("202   size       Size"));
    EXPECT_THAT(en.out, HasSubstr("decimal      1 to 50, default 2\n"));
    EXPECT_THAT(en.out, HasSubstr("integer      1 to 1000, default 50\n"));
    EXPECT_THAT(en.out, HasSubstr("default \"Radial Lines\"; choices \"Radial Lines\", "
                                  "\"Parallel Lines\", \"Concentric Circles\"\n"));
    EXPECT_THAT(en.out, HasSubstr("default \"Straight\"; choices \"Straight\", \"Curve\"\n"));
    EXPECT_THAT(en.out, HasSubstr("Connect Lines"));
    EXPECT_THAT(en.out, HasSubstr("boolean      default true\n"));
    EXPECT_EQ(std::count(en.out.begin(), en.out.end(), '\n'), 3 + 24);

    const Outcome ja = s.Run({"panel", "--lang", "ja"});
    ASSERT_EQ(ja.status, 0) << ja.err;
    EXPECT_THAT(ja.out, StartsWith("Orvalen Works / ヴェルモラプラグイン\n"));
    EXPECT_THAT(ja.out, HasSubstr("サイズ"));
    EXPECT_THAT(ja.out, HasSubstr("choices \"集中線\", \"平行線\", \"同心円\""));
    EXPECT_THAT(ja.out, HasSubstr("choices \"(初期設定)\""));
    EXPECT_EQ(std::count(ja.out.begin(), ja.out.end(), '\n'), 3 + 24);
}

TEST(CliPanel, ListsThePresetsInTheModulesFolder) {
    Scratch s;
    fs::create_directories(s.presetFolder());
    WriteText(s.presetFolder() / "rings.ini", "[pen]\nsize=9\n");
    const Outcome o = s.Run({"panel"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_THAT(o.out, HasSubstr("choices \"Default\", \"rings\"\n"));
}

// --- The bundled sample -----------------------------------------------------

TEST(CliSample, TheCommittedSampleIsWhatTheGeneratorDraws) {
    Scratch s;
    const Outcome o = s.RunProgram(VELMORA_MAKE_SAMPLE, {(s / "sample.png").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(SamePicture(LoadPicture(kSource / "samples/sample.png"),
                            LoadPicture(s / "sample.png")));
}

}  // namespace
}  // namespace velmora::cli::testing
