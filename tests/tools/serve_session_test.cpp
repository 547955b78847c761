// The module session behind the live preview: frames that are what render
// writes, a newer edit stopping a long pass, presets, guides, pictures and
// languages between runs.
#include <gmock/gmock.h>

#include "tests/item_keys.h"
#include "tests/tools/cli_support.h"
#include "tools/velmora-host/serve_session.h"

namespace velmora::cli::testing {
namespace {

using ::testing::HasSubstr;
using hostcore::PropertyItem;
using namespace std::chrono_literals;

const fs::path kSource = VELMORA_SOURCE_DIR;

Picture Sample() {
    Picture p;
    std::string error;
    EXPECT_TRUE(DecodePng(ReadText(kSource / "samples/sample.png"), "sample", p, error)) << error;
    return p;
}

// A picture inked all over: every line is drawn its whole length.
Picture Inked(int32_t width, int32_t height) {
    Picture p{width, height, std::vector<uint8_t>(size_t(width) * height * 4, 0)};
    for (size_t i = 3; i < p.rgba.size(); i += 4) p.rgba[i] = 255;
    return p;
}

std::unique_ptr<ServeSession> StartSession(Picture picture, bool japanese = false) {
    ServeSession::Options options;
    options.modulePath = VELMORA_MODULE_PATH;
    options.picture = std::move(picture);
    options.pictureName = "scene.png";
    options.japanese = japanese;
    auto session = std::make_unique<ServeSession>(std::move(options));
    std::string error;
    EXPECT_TRUE(session->Start(error)) << error;
    return session;
}

PanelEdit IntEdit(int32_t item, int32_t value) {
    PanelEdit e;
    e.item = item;
    e.kind = 17;
    e.intValue = value;
    return e;
}

PanelEdit PointEdit(int32_t item, int32_t x, int32_t y) {
    PanelEdit e;
    e.item = item;
    e.kind = 33;
    e.point = HostPoint{x, y};
    return e;
}

const PropertyItem& Find(const ServeState& s, int32_t key) {
    static const PropertyItem none;
    const PropertyItem* item = s.panel.Find(key);
    return item != nullptr ? *item : none;
}

std::string Chosen(const PropertyItem& item) {
    const auto it = item.enumStrings.find(item.enumIndex);
    return it == item.enumStrings.end() ? "" : hostcore::Utf16ToUtf8(it->second);
}

// The frame showing every edit queued so far, as PNG bytes.
std::string CurrentPng(const ServeSession& session) {
    ServeFrame frame;
    EXPECT_TRUE(session.WaitUntilCurrent(60s, frame));
    return frame.effect ? EncodePng(*frame.effect) : std::string();
}

TEST(ServeSession, EveryFrameIsWhatRenderWritesForTheSameSettings) {
    Scratch s;
    auto session = StartSession(Sample());
    ASSERT_EQ(s.Run({"render", "-o", (s / "default.png").string()}).status, 0);
    EXPECT_EQ(CurrentPng(*session), ReadText(s / "default.png"));

    session->Edit({PointEdit(kItemPoint1, 548, 170), IntEdit(kItemSpacing, 14)});
    const uint64_t last = session->Edit({IntEdit(kItemLength, 110)});
    ASSERT_EQ(s.Run({"render", "--set", "p1=548,170", "--set", "spacing=14", "--set", "length=110",
                     "-o", (s / "edited.png").string()})
                  .status,
              0);
    EXPECT_EQ(CurrentPng(*session), ReadText(s / "edited.png"));
    const ServeState state = session->Snapshot();
    EXPECT_EQ(state.frameSeq, last);
    EXPECT_EQ(Find(state, kItemSpacing).intValue, 14);
    EXPECT_EQ(Find(state, kItemPoint1).point.x, 548);

    session->SetColour(HostRgb{0xd0, 0x20, 0x20});
    ASSERT_EQ(s.Run({"render", "--set", "p1=548,170", "--set", "spacing=14", "--set", "length=110",
                     "--colour", "#D02020", "-o", (s / "red.png").string()})
                  .status,
              0);
    EXPECT_EQ(CurrentPng(*session), ReadText(s / "red.png"));
    EXPECT_EQ(session->Snapshot().colour.r, 0xd0);
}

TEST(ServeSession, ANewerEditStopsTheRunningPassAndOnlyTheNewestIsShown) {
    Scratch s;
    auto session = StartSession(Inked(1200, 900));
    ServeFrame first;
    ASSERT_TRUE(session->WaitUntilCurrent(60s, first));
    // A long pass: a line for every step of the circle, each as long as can be.
    session->Edit({IntEdit(kItemSpacing, 1), IntEdit(kItemLength, 1000)});
    ServeState state = session->Snapshot();
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!(state.rendering && state.progress > 0) && std::chrono::steady_clock::now() < deadline) {
        state = session->WaitForChange(state.version, 1s);
    }
    ASSERT_TRUE(state.rendering) << "the long pass reports its progress";
    EXPECT_EQ(state.progressRange, 500);
    EXPECT_LT(state.progress, 500);
    const uint64_t newest = session->Edit({IntEdit(kItemSpacing, 1000), IntEdit(kItemLength, 10)});
    ServeFrame frame;
    ASSERT_TRUE(session->WaitUntilCurrent(60s, frame));
    state = session->Snapshot();
    EXPECT_EQ(state.passesStopped, 1u);
    EXPECT_EQ(state.passesFinished, 2u) << "the first frame and the newest; the long pass never showed";
    EXPECT_EQ(frame.seq, newest);
    EXPECT_EQ(frame.id, first.id + 1);
    EXPECT_FALSE(state.rendering);
}

TEST(ServeSession, ASavedPresetIsListedAndLoadsItsSettingsAgain) {
    Scratch s;
    auto session = StartSession(Sample());
    session->Edit({IntEdit(kItemSpacing, 14)});
    const CommandResult saved = session->SavePreset();
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_THAT(saved.message, HasSubstr((s.presetFolder() / (saved.name + ".ini")).string()));
    EXPECT_TRUE(fs::exists(s.presetFolder() / (saved.name + ".ini")));
    ServeState state = session->Snapshot();
    const PropertyItem& presets = Find(state, kItemPreset);
    ASSERT_EQ(presets.enumStrings.size(), 2u);
    EXPECT_EQ(hostcore::Utf16ToUtf8(presets.enumStrings.at(1)), saved.name);
    EXPECT_FALSE(Find(state, kItemSavePreset).boolValue) << "\"Save Preset\" is unchecked again";

    // "Default", then the saved preset.
    PanelEdit choose;
    choose.item = kItemPreset;
    choose.kind = 2;
    session->Edit({choose});
    CurrentPng(*session);
    EXPECT_EQ(Find(session->Snapshot(), kItemSpacing).intValue, 50);
    choose.intValue = 1;
    session->Edit({choose});
    CurrentPng(*session);
    EXPECT_EQ(Find(session->Snapshot(), kItemSpacing).intValue, 14);
}

TEST(ServeSession, AddedFilesAreListedAndChosenWhileTheSettingsStay) {
    Scratch s;
    auto session = StartSession(Sample());
    session->Edit({IntEdit(kItemSpacing, 14)});
    const CommandResult guide = session->AddGuide("wave.svg", ReadText(kSource / "tests/data/guides/wave.svg"));
    ASSERT_TRUE(guide.ok) << guide.message;
    EXPECT_TRUE(fs::exists(s.guideFolder() / "wave.svg"));
    ServeState state = session->Snapshot();
    EXPECT_EQ(Chosen(Find(state, kItemGuide)), "wave");
    EXPECT_EQ(Find(state, kItemSpacing).intValue, 14);
    ASSERT_EQ(s.Run({"render", "--set", "spacing=14", "--set", "guide=wave", "-o",
                     (s / "wave.png").string()})
                  .status,
              0);
    EXPECT_EQ(CurrentPng(*session), ReadText(s / "wave.png"));

    const std::string preset = ReadText(kSource / "samples/rings.ini");
    const CommandResult loaded = session->AddPreset("rings.ini", preset);
    ASSERT_TRUE(loaded.ok) << loaded.message;
    state = session->Snapshot();
    EXPECT_EQ(Chosen(Find(state, kItemPreset)), "rings");
    EXPECT_EQ(Find(state, kItemSpacing).intValue, 12) << "the preset's spacing";
    EXPECT_TRUE(session->AddPreset("rings.ini", preset).ok) << "the same file again is kept";

    const struct {
        const char* name;
        const char* content;
        const char* reason;
    } refused[] = {
        {"rings.ini", "[line]\nspacing=3\n", "already exists with other content"},
        {"../up.ini", "", "is not a plain file name"},
        {".hidden.ini", "", "is not a plain file name"},
        {"notes.txt", "", "the module lists only files ending in \".ini\""},
        {".ini", "", "is not a plain file name"},
    };
    for (const auto& r : refused) {
        const CommandResult result = session->AddPreset(r.name, r.content);
        EXPECT_FALSE(result.ok) << r.name;
        EXPECT_THAT(result.message, HasSubstr(r.reason)) << r.name;
    }
    const CommandResult hidden = session->AddPreset(std::string("up\0x.ini", 8), "");
    EXPECT_FALSE(hidden.ok) << "a name that would end early on its way to the system";
    EXPECT_FALSE(fs::exists(s.root() / "config/orvalen/vmplugin/up.ini"));
    EXPECT_EQ(Scratch::Files(s.presetFolder()), std::vector<std::string>{"rings.ini"});
}

// A guide as drawing programs write it: implicit repeated curves, a relative
// arc, a group transform. The module alone would read one arc of it.
constexpr char kDrawnGuide[] =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"80\">\n"
    "  <g transform=\"translate(10,5)\">\n"
    "    <path d=\"m0,40 c 20,-30 40,-30 60,0 20,30 40,30 60,0 a 30,20 0 0 1 60,0\"/>\n"
    "  </g>\n"
    "</svg>\n";

TEST(ServeSession, AnAddedGuideIsImportedAndDrawsTheCurveAsDrawn) {
    Scratch s;
    WriteText(s / "drawn.svg", kDrawnGuide);
    fs::create_directories(s / "imported");
    ASSERT_EQ(s.Run({"guide", "import", (s / "drawn.svg").string(), "-o",
                     (s / "imported/waves.svg").string()})
                  .status,
              0);
    ASSERT_EQ(s.Run({"render", "--guide", (s / "imported/waves.svg").string(), "-o",
                     (s / "imported.png").string()})
                  .status,
              0);
    ASSERT_EQ(s.Run({"render", "--guide", (s / "drawn.svg").string(), "-o",
                     (s / "as-read.png").string()})
                  .status,
              0);
    ASSERT_NE(ReadText(s / "imported.png"), ReadText(s / "as-read.png"))
        << "the scene tells the imported curve from the module's own reading";

    auto session = StartSession(Sample());
    const CommandResult added = session->AddGuide("waves.svg", kDrawnGuide);
    ASSERT_TRUE(added.ok) << added.message;
    EXPECT_EQ(added.name, "waves");
    EXPECT_EQ(ReadText(s.guideFolder() / "waves.svg"), ReadText(s / "imported/waves.svg"));
    const ServeState state = session->Snapshot();
    EXPECT_EQ(Chosen(Find(state, kItemGuide)), "waves");
    EXPECT_EQ(CurrentPng(*session), ReadText(s / "imported.png"));
    EXPECT_TRUE(session->AddGuide("waves.svg", kDrawnGuide).ok) << "the same drawing again is kept";

    const CommandResult empty =
        session->AddGuide("empty.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
    EXPECT_FALSE(empty.ok);
    EXPECT_THAT(empty.message, HasSubstr("\"empty.svg\": "));
    const CommandResult broken = session->AddGuide("broken.svg", "<svg><path d=\"M 0 0 X 5\"/></svg>");
    EXPECT_FALSE(broken.ok);
    EXPECT_THAT(broken.message, HasSubstr("unknown command \"X\""));
    EXPECT_EQ(Scratch::Files(s.guideFolder()), std::vector<std::string>{"waves.svg"});
}

TEST(ServeSession, APicturesPixelDensityIsKeptInWhatItsDownloadsWrite) {
    Scratch s;
    const std::string density = Chunk("pHYs", std::string("\x00\x00\x2e\x23\x00\x00\x2e\x23\x01", 9));
    WriteText(s / "dense.png", WithChunkAfterHeader(ReadText(kSource / "samples/sample.png"), density));
    ASSERT_EQ(s.Run({"render", (s / "dense.png").string(), "-o", (s / "e.png").string()}).status, 0);

    auto session = StartSession(Sample());
    ASSERT_TRUE(session->SetPicture(Sample(), "dense.png", density).ok);
    ServeFrame frame;
    ASSERT_TRUE(session->WaitUntilCurrent(60s, frame));
    EXPECT_EQ(frame.density, density);
    EXPECT_EQ(WithChunkAfterHeader(EncodePng(*frame.effect), frame.density), ReadText(s / "e.png"));
    ASSERT_TRUE(session->SetPicture(Sample(), "plain.png").ok);
    ASSERT_TRUE(session->WaitUntilCurrent(60s, frame));
    EXPECT_EQ(frame.density, "");
}

TEST(ServeSession, AnotherLanguageDeclaresThePanelAgainWithTheSameSettings) {
    Scratch s;
    auto session = StartSession(Sample());
    ASSERT_TRUE(session->AddGuide("wave.svg", ReadText(kSource / "tests/data/guides/wave.svg")).ok);
    session->Edit({IntEdit(kItemSpacing, 14), PointEdit(kItemPoint1, 548, 170)});
    const std::string english = CurrentPng(*session);
    ASSERT_TRUE(session->SetLanguage(true).ok);
    const ServeState state = session->Snapshot();
    EXPECT_TRUE(state.japanese);
    EXPECT_EQ(state.title, "ヴェルモラプラグイン");
    EXPECT_EQ(hostcore::Utf16ToUtf8(Find(state, kItemSpacing).caption), "間隔");
    EXPECT_EQ(Find(state, kItemSpacing).intValue, 14);
    EXPECT_EQ(Find(state, kItemPoint1).point.x, 548);
    EXPECT_EQ(Find(state, kItemPoint1).point.y, 170);
    EXPECT_EQ(Chosen(Find(state, kItemGuide)), "wave");
    EXPECT_EQ(CurrentPng(*session), english);
}

TEST(ServeSession, APictureOfAnotherSizePutsThePointsOnTheTemplatesPlaces) {
    Scratch s;
    auto session = StartSession(Sample());
    session->Edit({PointEdit(kItemPoint1, 10, 10)});
    const CommandResult result = session->SetPicture(Inked(400, 200), "small.png");
    ASSERT_TRUE(result.ok) << result.message;
    ServeFrame frame;
    ASSERT_TRUE(session->WaitUntilCurrent(60s, frame));
    const ServeState state = session->Snapshot();
    EXPECT_EQ(state.width, 400);
    EXPECT_EQ(frame.pictureId, state.pictureId);
    EXPECT_EQ(frame.effect->width, 400);
    EXPECT_EQ(frame.source->height, 200);
    EXPECT_EQ(Find(state, kItemPoint1).point.x, 200);
    EXPECT_EQ(Find(state, kItemPoint1).point.y, 100);

    // The same size keeps the points where the user put them.
    session->Edit({PointEdit(kItemPoint1, 10, 10)});
    ASSERT_TRUE(session->SetPicture(Inked(400, 200), "again.png").ok);
    EXPECT_EQ(Find(session->Snapshot(), kItemPoint1).point.x, 10);
}

TEST(ServeSession, ClosingWakesEveryWaiterAndRefusesLaterWork) {
    Scratch s;
    auto session = StartSession(Sample());
    CurrentPng(*session);
    const uint64_t version = session->Snapshot().version;
    std::thread waiter([&] { session->WaitForChange(version, 60s); });
    session->Close();
    waiter.join();
    EXPECT_TRUE(session->closed());
    EXPECT_EQ(session->Edit({IntEdit(kItemSpacing, 3)}), 0u);
    const CommandResult result = session->SavePreset();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "the preview server is stopping");
    ServeFrame frame;
    EXPECT_FALSE(session->WaitUntilCurrent(1s, frame));
}

TEST(ServeSession, AModuleThatCannotBeLoadedIsReportedAtStart) {
    Scratch s;
    ServeSession::Options options;
    options.modulePath = (s / "missing.cpm").string();
    options.picture = Sample();
    ServeSession session(std::move(options));
    std::string error;
    EXPECT_FALSE(session.Start(error));
    EXPECT_THAT(error, HasSubstr("no module at"));
}

}  // namespace
}  // namespace velmora::cli::testing
