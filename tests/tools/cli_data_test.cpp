// Presets and guides given to a render are used for that run only, through
// a private data folder; --install puts them where the painting application
// finds them; `data` says where that is; a preset's values outside the
// panel's ranges are named before the render.
#include <gmock/gmock.h>

#include "tests/tools/cli_support.h"

namespace velmora::cli::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const char kWave[] =
    "<svg xmlns=\"http://www.w3.org/2000/svg\">\n"
    "  <path d=\"M 0 20 C 25 0 25 40 50 20 C 75 0 75 40 100 20\"/>\n"
    "</svg>\n";

std::vector<std::string> Render(const Scratch& s, const std::string& out,
                                std::vector<std::string> extra) {
    std::vector<std::string> args = {"render", "-o", (s / out).string(), "--set", "type=parallel",
                                     "--set", "length=60"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

TEST(CliRunData, AnEditedPresetIsUsedAsItIsNowAndTheUsersFolderIsUntouched) {
    Scratch s;
    const std::string preset = (s / "mine.ini").string();
    WriteText(preset, "[pen]\nsize=9\n");
    Outcome o = s.Run(Render(s, "first.png", {"--preset", preset}));
    ASSERT_EQ(o.status, 0) << o.err;
    WriteText(preset, "[pen]\nsize=3\n");
    o = s.Run(Render(s, "second.png", {"--preset", preset}));
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_EQ(s.Run(Render(s, "size3.png", {"--set", "size=3"})).status, 0);

    EXPECT_TRUE(SamePicture(LoadPicture(s / "size3.png"), LoadPicture(s / "second.png")));
    EXPECT_FALSE(SamePicture(LoadPicture(s / "first.png"), LoadPicture(s / "second.png")));
    EXPECT_TRUE(Scratch::Files(s.presetFolder()).empty());
    EXPECT_TRUE(Scratch::Files(s.guideFolder()).empty());
    EXPECT_TRUE(fs::is_empty(s.tmp())) << "the private data folder stays behind";
}

TEST(CliRunData, APresetFileNamedDefaultIsTheFileNotTheDefaultEntry) {
    Scratch s;
    WriteText(s / "Default.ini", "[pen]\nsize=9\n");
    ASSERT_EQ(s.Run(Render(s, "file.png", {"--preset", (s / "Default.ini").string()})).status, 0);
    ASSERT_EQ(s.Run(Render(s, "set.png", {"--set", "size=9"})).status, 0);
    EXPECT_TRUE(SamePicture(LoadPicture(s / "set.png"), LoadPicture(s / "file.png")));
}

TEST(CliRunData, TheUsersOwnGuidesAndPresetsAreStillThereDuringAPrivateRun) {
    Scratch s;
    fs::create_directories(s.guideFolder());
    WriteText(s.guideFolder() / "wave.svg", kWave);
    WriteText(s / "mine.ini", "[pen]\nsize=3\n");
    WriteText(s / "wave.svg", "<svg><path d=\"M 0 0 L 100 0\"/></svg>");  // another wave
    const Outcome byName = s.Run(Render(s, "by-name.png", {"--set", "guide=wave", "--set", "size=3"}));
    ASSERT_EQ(byName.status, 0) << byName.err;
    const Outcome withPreset =
        s.Run(Render(s, "with-preset.png", {"--set", "guide=wave", "--preset", (s / "mine.ini").string()}));
    ASSERT_EQ(withPreset.status, 0) << withPreset.err;
    EXPECT_TRUE(SamePicture(LoadPicture(s / "by-name.png"), LoadPicture(s / "with-preset.png")));

    // A given guide wins over the user's file of the same name, for this run.
    const Outcome given = s.Run(Render(s, "given.png", {"--guide", (s / "wave.svg").string()}));
    ASSERT_EQ(given.status, 0) << given.err;
    ASSERT_EQ(s.Run(Render(s, "straight.png", {})).status, 0);
    EXPECT_TRUE(SamePicture(LoadPicture(s / "straight.png"), LoadPicture(s / "given.png")));
    EXPECT_EQ(ReadText(s.guideFolder() / "wave.svg"), kWave);
}

TEST(CliRunData, APresetSavedDuringAPrivateRunLandsInTheUsersFolder) {
    Scratch s;
    WriteText(s / "mine.ini", "[pen]\nsize=3\n");
    const Outcome o = s.Run(Render(s, "out.png", {"--preset", (s / "mine.ini").string(), "--save-preset"}));
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_THAT(o.out, StartsWith("saved preset " + s.presetFolder().string() + "/"));
    const std::vector<std::string> files = Scratch::Files(s.presetFolder());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_NE(files[0], "mine.ini");
    EXPECT_THAT(ReadText(s.presetFolder() / files[0]), HasSubstr("size=3\n"));
}

TEST(CliRunData, InstallCopiesIntoTheUsersFoldersAndSaysSo) {
    Scratch s;
    WriteText(s / "mine.ini", "[pen]\nsize=3\n");
    WriteText(s / "wave.svg", kWave);
    Outcome o = s.Run(Render(s, "a.png", {"--preset", (s / "mine.ini").string(), "--guide",
                                          (s / "wave.svg").string(), "--install"}));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(ReadText(s.presetFolder() / "mine.ini"), "[pen]\nsize=3\n");
    EXPECT_EQ(ReadText(s.guideFolder() / "wave.svg"), kWave);
    EXPECT_THAT(o.err, HasSubstr("installed " + (s.presetFolder() / "mine.ini").string() + "\n"));
    o = s.Run(Render(s, "b.png", {"--preset", (s / "mine.ini").string(), "--install"}));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_THAT(o.err, HasSubstr("already installed "));

    o = s.Run({"render", "-o", (s / "c.png").string(), "--install"});
    EXPECT_EQ(o.status, 2);
    EXPECT_THAT(o.err, HasSubstr("--install copies a --preset or --guide file"));
}

TEST(CliRunData, DataPrintsTheFoldersAndWhatMovesThem) {
    Scratch s;
    const Outcome o = s.Run({"data"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_THAT(o.out, StartsWith("presets: " + s.presetFolder().string() + "\nguides:  " +
                                  s.guideFolder().string() + "\n"));
    EXPECT_THAT(o.out, HasSubstr("XDG_CONFIG_HOME"));
    EXPECT_THAT(o.out, HasSubstr("--install"));
    EXPECT_FALSE(fs::exists(s.presetFolder())) << "data only tells";
}

TEST(CliRunData, PresetValuesOutsideTheirRangeAreNamedThenRenderedAsTheModuleReadsThem) {
    Scratch s;
    WriteText(s / "odd.ini",
              "[pen]\nsize=999\nhardness=0.5\n[line]\nspacing=abc\nlength=3000\nlength=40\n"
              "position=-5000 ; far back\n[guide]\ncurvature=nan\ntype=spiral\n");
    const Outcome o = s.Run(Render(s, "odd.png", {"--preset", (s / "odd.ini").string()}));
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string w = "velmora-host: warning: \"odd.ini\": ";
    EXPECT_THAT(o.err, HasSubstr(w + "size=999 is out of range: \"Size\" takes 1 to 50; the module "
                                     "uses it as it stands\n"));
    EXPECT_THAT(o.err, HasSubstr(w + "position=-5000 ; far back is out of range: \"Base Position\" "
                                     "takes whole numbers -1000 to 1000"));
    EXPECT_THAT(o.err, HasSubstr(w + "curvature=nan is out of range"));
    EXPECT_THAT(o.err, HasSubstr(w + "spacing=abc can't be read; the module ignores it\n"));
    EXPECT_THAT(o.err, HasSubstr(w + "type=spiral can't be read"));
    EXPECT_THAT(o.err, Not(HasSubstr("length=")));    // the last length is in range
    EXPECT_THAT(o.err, Not(HasSubstr("hardness=")));
    EXPECT_TRUE(fs::exists(s / "odd.png"));

    const Outcome quiet = s.Run(Render(s, "quiet.png", {"--preset", (s / "odd.ini").string(), "-q"}));
    ASSERT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_TRUE(SamePicture(LoadPicture(s / "odd.png"), LoadPicture(s / "quiet.png")));
}

}  // namespace
}  // namespace velmora::cli::testing
