// The command-line conventions: --version, -q, a machine-readable panel,
// the settings a render resolves to, and the source's pixel density kept.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include "tests/item_keys.h"
#include "tests/tools/cli_support.h"

namespace velmora::cli::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

const fs::path kSource = VELMORA_SOURCE_DIR;

TEST(CliConventions, VersionNamesTheProgramAndTheModuleAsItRegisters) {
    Scratch s;
    const Outcome o = s.Run({"--version"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_THAT(o.out, MatchesRegex("velmora-host 1\\.0\\.0\n"
                                    "module .*Velmora\\.cpm: id [0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-"
                                    "[0-9A-F]{4}-[0-9A-F]{12}, kind 0x4380\n"));
    const Outcome failing = s.Run({"--version", "--module", VELMORA_FAILING_MODULE});
    EXPECT_EQ(failing.status, 1);
    EXPECT_THAT(failing.out, StartsWith("velmora-host 1.0.0\n"));
    EXPECT_THAT(failing.err, HasSubstr("failed to initialise"));
}

TEST(CliConventions, QuietKeepsOnlyErrorsWhereverItStands) {
    Scratch s;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-q", "render", "-o", (s / "a.png").string()},
             {"render", "-o", (s / "b.png").string(), "--quiet"}}) {
        const Outcome o = s.Run(args);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.err, "");
        EXPECT_EQ(o.out, "");
    }
    const Outcome o = s.Run({"render", "-q", "-o", (s / "c.png").string(), "--set", "size=99"});
    EXPECT_EQ(o.status, 2);
    EXPECT_THAT(o.err, HasSubstr("size=99 is out of range"));
}

TEST(CliConventions, PanelJsonListsEveryItemWithBothCaptions) {
    Scratch s;
    const Outcome o = s.Run({"panel", "--json"});
    ASSERT_EQ(o.status, 0) << o.err;
    const nlohmann::json panel = nlohmann::json::parse(o.out);
    EXPECT_EQ(panel["filter"]["en"], "Velmora Plugin");
    EXPECT_EQ(panel["filter"]["ja"], "ヴェルモラプラグイン");
    const nlohmann::json& items = panel["items"];
    ASSERT_EQ(items.size(), 24u);
    std::map<int, nlohmann::json> byItem;
    for (const nlohmann::json& item : items) {
        for (const char* field : {"item", "key", "caption", "kind", "default"}) {
            EXPECT_TRUE(item.contains(field)) << item.dump() << " lacks " << field;
        }
        byItem[item["item"].get<int>()] = item;
    }
    EXPECT_EQ(byItem[kItemSize]["key"], "size");
    EXPECT_EQ(byItem[kItemSize]["caption"]["en"], "Size");
    EXPECT_EQ(byItem[kItemSize]["caption"]["ja"], "サイズ");
    EXPECT_EQ(byItem[kItemSize]["kind"], "decimal");
    EXPECT_EQ(byItem[kItemSize]["minimum"], 1);
    EXPECT_EQ(byItem[kItemSize]["maximum"], 50);
    EXPECT_EQ(byItem[kItemSize]["default"], 2);
    EXPECT_EQ(byItem[kItemSpacing]["kind"], "integer");
    EXPECT_EQ(byItem[kItemSpacing]["default"], 50);
    EXPECT_EQ(byItem[kItemConnect]["default"], true);
    EXPECT_TRUE(byItem[kItemSavePreset]["key"].is_null());
    const nlohmann::json& choices = byItem[kItemTemplate]["choices"];
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[2]["en"], "Concentric Circles");
    EXPECT_EQ(choices[2]["ja"], "同心円");
    EXPECT_EQ(byItem[kItemTemplate]["default"], 0);
}

TEST(CliConventions, PrintSettingsShowsWhatTheRenderUsesBeforeItRenders) {
    Scratch s;
    WriteText(s / "big.ini", "[pen]\nsize=9\n[guide]\np1=0.25,0.5\n");
    const Outcome o = s.Run({"render", "-o", (s / "a.png").string(), "--print-settings",
                             "--preset", (s / "big.ini").string(), "--set", "spacing=20",
                             "--set", "type=parallel"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_THAT(o.out, StartsWith("type=parallel\np1="));
    EXPECT_THAT(o.out, HasSubstr("\nsize=9\n"));
    EXPECT_THAT(o.out, HasSubstr("\nspacing=20\n"));
    EXPECT_THAT(o.out, HasSubstr("\nguide=Straight\n"));
    EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 22);

    // The printed lines, given back as settings, render the same picture.
    std::vector<std::string> args = {"render", "-o", (s / "b.png").string()};
    size_t start = 0;
    for (size_t end; (end = o.out.find('\n', start)) != std::string::npos; start = end + 1) {
        args.push_back("--set");
        args.push_back(o.out.substr(start, end - start));
    }
    const Outcome again = s.Run(args);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(SamePicture(LoadPicture(s / "a.png"), LoadPicture(s / "b.png")));
}

TEST(CliConventions, ThePicturesKeepTheSourcesPixelDensity) {
    Scratch s;
    // 300 dpi: 11811 pixels per metre.
    const std::string density = Chunk("pHYs", std::string("\x00\x00\x2e\x23\x00\x00\x2e\x23\x01", 9));
    const std::string sample = ReadText(kSource / "samples/sample.png");
    WriteText(s / "dense.png", WithChunkAfterHeader(sample, density));
    const Outcome o = s.Run({"render", (s / "dense.png").string(), "-o", (s / "e.png").string(),
                             "--composite", (s / "c.png").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(PngChunk(ReadText(s / "c.png"), "pHYs"), density);
    EXPECT_EQ(PngChunk(ReadText(s / "e.png"), "pHYs"), density);
    EXPECT_TRUE(SamePicture(LoadPicture(kSource / "tests/golden/cli/sample.png"), LoadPicture(s / "e.png")));

    ASSERT_EQ(s.Run({"render", "-o", (s / "plain.png").string()}).status, 0);
    EXPECT_EQ(PngChunk(ReadText(s / "plain.png"), "pHYs"), "");
}

}  // namespace
}  // namespace velmora::cli::testing
