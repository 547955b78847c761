// velmora-host never loses a file: an output that is an input is refused
// before any work, links are written through, devices and pipes written as
// they are, "-" is standard input and output, and every file message says
// why.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include "tests/tools/cli_support.h"

namespace velmora::cli::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const fs::path kSource = VELMORA_SOURCE_DIR;
const fs::path kGolden = kSource / "tests/golden/cli/sample.png";

// --- An output that is an input --------------------------------------------

TEST(CliNoFileLost, AnOutputThatIsAnInputByAnyNameIsRefusedBeforeAnyWork) {
    Scratch s;
    fs::copy_file(kSource / "samples/sample.png", s / "drawing.png");
    fs::create_hard_link(s / "drawing.png", s / "hard.png");
    fs::create_symlink("drawing.png", s / "soft.png");
    fs::create_directories(s / "sub");
    WriteText(s / "rings.ini", "[pen]\nsize=3\n");
    WriteText(s / "wave.svg", "<svg><path d=\"M 0 0 L 100 0\"/></svg>");
    const std::string drawing = (s / "drawing.png").string();
    const std::string before = ReadText(s / "drawing.png");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{drawing, "-o", drawing}, "the same file as the source"},
        {{drawing, "-o", (s / "sub/../drawing.png").string()}, "the same file as the source"},
        {{drawing, "-o", (s / "hard.png").string()}, "the same file as the source"},
        {{drawing, "-o", (s / "soft.png").string()}, "the same file as the source"},
        {{drawing, "-o", (s / "e.png").string(), "--composite", drawing}, "the same file as the source"},
        {{"-o", (s / "soft.png").string(), "--selection", drawing}, "the same file as the selection"},
        {{"-o", (s / "rings.ini").string(), "--preset", (s / "rings.ini").string()},
         "the same file as the preset"},
        {{"-o", (s / "wave.svg").string(), "--guide", (s / "wave.svg").string()},
         "the same file as the guide"},
        {{"-o", (s / "hard.png").string(), "--composite", (s / "soft.png").string()},
         "-o and --composite name the same file"},
        {{"-o", (s / "new.png").string(), "--composite", (s / "sub/../new.png").string()},
         "-o and --composite name the same file"},
        {{"-o", "-", "--composite", "-"}, "-o and --composite name the same file"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"render"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = s.Run(args);
        EXPECT_EQ(o.status, 2) << c.args[1];
        EXPECT_THAT(o.err, HasSubstr(c.message));
        EXPECT_THAT(o.err, Not(HasSubstr("rendered")));
    }
    EXPECT_EQ(ReadText(s / "drawing.png"), before);
    EXPECT_EQ(ReadText(s / "rings.ini"), "[pen]\nsize=3\n");
    EXPECT_TRUE(fs::is_symlink(s / "soft.png"));
    EXPECT_FALSE(fs::exists(s / "e.png"));
    EXPECT_FALSE(fs::exists(s / "new.png"));
    EXPECT_TRUE(fs::is_empty(s / "tmp"));
}

TEST(CliNoFileLost, TheModuleItselfIsNoOutput) {
    Scratch s;
    fs::copy_file(VELMORA_FAILING_MODULE, s / "Copy.cpm");
    const std::string before = ReadText(s / "Copy.cpm");
    const Outcome o = s.Run({"render", "-o", (s / "Copy.cpm").string(), "--module",
                             (s / "Copy.cpm").string()});
    EXPECT_EQ(o.status, 2);
    EXPECT_THAT(o.err, HasSubstr("the same file as the module"));
    EXPECT_EQ(ReadText(s / "Copy.cpm"), before);
}

TEST(CliNoFileLost, StandardInputRedirectedFromTheOutputIsRefused) {
    Scratch s;
    fs::copy_file(kSource / "samples/sample.png", s / "drawing.png");
    const std::string before = ReadText(s / "drawing.png");
    const Outcome o = s.Shell("cd '" + s.root().string() + "' && HOST render - -o drawing.png < drawing.png");
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_THAT(o.err, HasSubstr("the same file as the source \"-\""));
    EXPECT_EQ(ReadText(s / "drawing.png"), before);
}

// --- Links, devices, pipes ---------------------------------------------------

TEST(CliNoFileLost, ASymbolicLinkIsWrittenThroughToItsTarget) {
    Scratch s;
    fs::create_directories(s / "pictures");
    fs::create_directories(s / "links");
    WriteText(s / "pictures/effect.png", "an older effect");
    ::chmod((s / "pictures/effect.png").c_str(), 0640);
    fs::create_symlink("../pictures/effect.png", s / "links/effect.png");
    fs::create_symlink("effect.png", s / "links/chain.png");          // a link to a link
    fs::create_symlink("../pictures/new.png", s / "links/dangling.png");  // names no file yet
    for (const char* link : {"links/effect.png", "links/chain.png", "links/dangling.png"}) {
        const Outcome o = s.Run({"render", "-o", (s / link).string()});
        ASSERT_EQ(o.status, 0) << o.err;
        EXPECT_TRUE(fs::is_symlink(s / link)) << link;
    }
    EXPECT_TRUE(SamePicture(LoadPicture(kGolden), LoadPicture(s / "pictures/effect.png")));
    EXPECT_TRUE(SamePicture(LoadPicture(kGolden), LoadPicture(s / "pictures/new.png")));
    EXPECT_EQ(fs::status(s / "pictures/effect.png").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Scratch::Files(s / "pictures"), (std::vector<std::string>{"effect.png", "new.png"}));
    EXPECT_EQ(Scratch::Files(s / "links"),
              (std::vector<std::string>{"chain.png", "dangling.png", "effect.png"}));
}

TEST(CliNoFileLost, DevicesAndPipesAreWrittenAsTheyAreNeverReplaced) {
    Scratch s;
    Outcome o = s.Run({"render", "-o", "/dev/null", "--composite", (s / "c.png").string()});
    ASSERT_EQ(o.status, 0) << o.err;
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    ASSERT_EQ(::mkfifo((s / "pipe").c_str(), 0600), 0);
    o = s.Shell("cd '" + s.root().string() + "' && (cat pipe > got.png &) && HOST render -o pipe && wait");
    ASSERT_EQ(o.status, 0) << o.err;
    for (int i = 0; i < 50 && LoadPicture(s / "got.png").width == 0; ++i) ::usleep(100000);
    EXPECT_TRUE(SamePicture(LoadPicture(kGolden), LoadPicture(s / "got.png")));
    EXPECT_TRUE(fs::is_fifo(s / "pipe"));

    // /dev/stdout is a link to the process's own output.
    o = s.Shell("HOST render -o /dev/stdout > '" + (s / "via-dev.png").string() + "'");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(SamePicture(LoadPicture(kGolden), LoadPicture(s / "via-dev.png")));
    EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
}

TEST(CliStandardStreams, ADashReadsTheSourceFromStandardInputAndWritesStandardOutput) {
    Scratch s;
    const std::string root = s.root().string();
    Outcome o = s.Shell("cd '" + root + "' && HOST render - -o - < '" +
                        (kSource / "samples/sample.png").string() + "' > effect.png");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(SamePicture(LoadPicture(kGolden), LoadPicture(s / "effect.png")));
    EXPECT_THAT(o.err, Not(HasSubstr("wrote")));

    // A pipeline: the composite through standard output, the effect to a file,
    // and the saved preset's path on standard error out of the picture's way.
    o = s.Shell("cd '" + root + "' && cat '" + (kSource / "samples/sample.png").string() +
                "' | HOST render - --composite - -o e.png --save-preset | cat > composite.png");
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(SamePicture(LoadPicture(kGolden), LoadPicture(s / "e.png")));
    EXPECT_TRUE(SamePicture(CompositeOver(LoadPicture(s / "e.png"),
                                          LoadPicture(kSource / "samples/sample.png")),
                            LoadPicture(s / "composite.png")));
    EXPECT_THAT(o.err, HasSubstr("saved preset "));

    o = s.Shell("HOST render - -o /dev/null < /dev/null");
    EXPECT_EQ(o.status, 1);
    EXPECT_THAT(o.err, HasSubstr("\"standard input\" is not a PNG picture"));
}

// --- Outputs checked first, with reasons ------------------------------------

TEST(CliNoFileLost, AnOutputThatCanNotBeWrittenIsFoundBeforeRendering) {
    Scratch s;
    WriteText(s / "plain", "a file, not a folder");
    fs::create_directories(s / "folder.png");
    struct Case {
        std::string output;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {(s / "missing/out.png").string(),
         "No such file or directory (no folder \"" + (s / "missing").string() + "\")"},
        {(s / "plain/out.png").string(), "Not a directory"},
        {(s / "folder.png").string(), "it is a folder"},
    };
    for (const Case& c : cases) {
        for (const char* option : {"-o", "--composite"}) {
            const Outcome o = s.Run({"render", option, c.output});
            EXPECT_EQ(o.status, 1);
            EXPECT_EQ(o.err, "velmora-host: cannot write \"" + c.output + "\": " + c.reason + "\n");
        }
    }
    if (::geteuid() != 0) {
        fs::create_directories(s / "locked");
        ::chmod((s / "locked").c_str(), 0555);
        const Outcome o = s.Run({"render", "-o", (s / "locked/out.png").string()});
        EXPECT_EQ(o.status, 1);
        EXPECT_THAT(o.err, HasSubstr("locked/out.png\": Permission denied\n"));
        EXPECT_THAT(o.err, Not(HasSubstr("rendered")));
        ::chmod((s / "locked").c_str(), 0755);
    }
}

}  // namespace
}  // namespace velmora::cli::testing
