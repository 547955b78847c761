// velmora-host guide import, and --guide on files the module would read
// otherwise than they are drawn.
#include <gmock/gmock.h>

#include "tests/tools/cli_support.h"

namespace velmora::cli::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A wave as a vector editor saves it: inside a moved layer, in relative
// commands that repeat their coordinate sets without the letter.
const char kEditorWave[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 210 297\">\n"
    "  <g id=\"layer1\" transform=\"translate(-20,-60)\">\n"
    "    <path style=\"fill:none;stroke:#000000\" id=\"wave\"\n"
    "       d=\"m 20,100 c 20,-30 40,-30 60,0 20,30 40,30 60,0\" />\n"
    "  </g>\n"
    "</svg>\n";

// The same wave written out by hand as the module reads guides.
const char kPlainWave[] =
    "<svg><path d=\"M 0 40 C 20 10 40 10 60 40 C 80 70 100 70 120 40\"/></svg>";

std::vector<std::string> Parallel(const Scratch& s, const std::string& out) {
    return {"render", "-o", (s / out).string(), "--set", "type=parallel", "--set", "length=80",
            "--set", "curvature=0.5"};
}

TEST(CliGuideImport, AnEditorsPathRendersAsTheSameCurveOnceImported) {
    Scratch s;
    WriteText(s / "editor.svg", kEditorWave);
    WriteText(s / "plain.svg", kPlainWave);
    const Outcome imported = s.Run({"guide", "import", (s / "editor.svg").string(), "-o",
                                    (s / "wave.svg").string()});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.err, "wrote " + (s / "wave.svg").string() + "\n");

    auto with = [&](const std::string& out, const std::string& guide) {
        std::vector<std::string> args = Parallel(s, out);
        args.push_back("--guide");
        args.push_back((s / guide).string());
        return s.Run(args);
    };
    const Outcome a = with("imported.png", "wave.svg");
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_THAT(a.err, Not(HasSubstr("warning")));
    const Outcome b = with("plain.png", "plain.svg");
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_TRUE(SamePicture(LoadPicture(s / "plain.png"), LoadPicture(s / "imported.png")));

    // The editor's own file: the module would read one arc of it, so the
    // render warns and says what to do.
    const Outcome raw = with("raw.png", "editor.svg");
    ASSERT_EQ(raw.status, 0) << raw.err;
    EXPECT_THAT(raw.err, HasSubstr("velmora-host: warning: \"" + (s / "editor.svg").string() +
                                   "\": the module reads another curve from it than drawing "
                                   "programs show; run 'velmora-host guide import"));
    EXPECT_FALSE(SamePicture(LoadPicture(s / "plain.png"), LoadPicture(s / "raw.png")));
}

TEST(CliGuideImport, StandardStreamsIdsAndRefusals) {
    Scratch s;
    WriteText(s / "editor.svg", kEditorWave);
    Outcome o = s.Shell("HOST guide import - -o - --id wave < '" + (s / "editor.svg").string() + "'");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_THAT(o.out, HasSubstr("<path id=\"wave\" d=\"M 0 40 C 20 10 40 10 60 40 C 80 70 100 70 120 40\""));
    EXPECT_EQ(o.err, "");

    o = s.Run({"guide", "import", (s / "editor.svg").string(), "-o", (s / "editor.svg").string()});
    EXPECT_EQ(o.status, 2);
    EXPECT_THAT(o.err, HasSubstr("the same file as the SVG file"));
    EXPECT_EQ(ReadText(s / "editor.svg"), kEditorWave);

    o = s.Run({"guide", "import", (s / "editor.svg").string(), "-o", (s / "x.svg").string(), "--id",
               "layer1"});
    EXPECT_EQ(o.status, 1);
    EXPECT_THAT(o.err, HasSubstr("the element with id \"layer1\" is a <g>, not a path"));
    EXPECT_FALSE(fs::exists(s / "x.svg"));

    o = s.Run({"guide", "import", (s / "missing.svg").string(), "-o", (s / "x.svg").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_THAT(o.err, HasSubstr("missing.svg\": No such file or directory"));

    o = s.Run({"guide", "import", (s / "editor.svg").string()});
    EXPECT_EQ(o.status, 2);
    EXPECT_THAT(o.err, HasSubstr("no output: give -o OUT.svg"));
    o = s.Run({"guide"});
    EXPECT_EQ(o.status, 2);
}

}  // namespace
}  // namespace velmora::cli::testing
