// Preset files: the reader's sections, keys and conversions, the writer's
// exact bytes and decimal formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "data/data_folders.h"
#include "data/number_text.h"
#include "data/preset_file.h"
#include "tests/scratch_config_home.h"

namespace velmora {
namespace {

const char kDefaultPreset[] =
    "[guide]\n"
    "type=radiate\n"
    "p1=0.5,0.5\n"
    "p2=0.5,0.325\n"
    "p3=0.5,0.125\n"
    "name=:S\n"
    "curvature=1\n"
    "\n"
    "[pen]\n"
    "size=2\n"
    "hardness=1\n"
    "fluction=0\n"
    "in=500\n"
    "out=500\n"
    "asdist=false\n"
    "easing=false\n"
    "\n"
    "[line]\n"
    "position=0\n"
    "posfluct=0\n"
    "length=10\n"
    "lenfluct=0\n"
    "spacing=50\n"
    "spcfluct=0\n"
    "lengain=0\n"
    "spcgain=0\n"
    "connect=true\n";

// The default settings with the radial points on a 1000 x 800 canvas.
PresetRecord DefaultRecord() {
    PresetRecord r;
    r.p1[0] = 500 / 1000.0;
    r.p1[1] = 400 / 800.0;
    r.p2[0] = 500 / 1000.0;
    r.p2[1] = 260 / 800.0;
    r.p3[0] = 500 / 1000.0;
    r.p3[1] = 100 / 800.0;
    std::strcpy(r.name, ":S");
    r.curvature = 1.0;
    r.size = 2.0;
    r.hardness = 1.0;
    r.in = 500;
    r.out = 500;
    r.length = 10;
    r.spacing = 50;
    r.connect = true;
    return r;
}

struct Parsed {
    PresetRecord record;
    PresetFlags found{};
};

Parsed Parse(std::string_view text) {
    Parsed p;
    ParsePresetText(text, p.record, p.found.data());
    return p;
}

int FoundCount(const Parsed& p) {
    int n = 0;
    for (bool f : p.found) n += f;
    return n;
}

TEST(PresetWriter, DefaultSettingsGiveTheDocumentedFile) {
    EXPECT_EQ(ComposePresetText(DefaultRecord()), kDefaultPreset);
}

TEST(PresetWriter, ValuesAreWrittenInTheirShortestFixedForm) {
    PresetRecord r = DefaultRecord();
    r.type = 2;
    r.curvature = -2.5;
    r.size = 12.5;
    r.hardness = 0.004;
    r.fluction = -0.001;
    r.in = -7;
    r.p1[0] = 333 / 1000.0;
    r.asdist = true;
    const std::string text = ComposePresetText(r);
    for (const char* line : {"type=circle\n", "curvature=-2.5\n", "size=12.5\n", "hardness=0\n",
                             "fluction=0\n", "in=-7\n", "p1=0.333,0.5\n", "asdist=true\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    r.type = 9;  // any other template is written as radial
    EXPECT_EQ(ComposePresetText(r).find("type=radiate\n"), 8u);
}

TEST(PresetWriter, FormatDecimal) {
    EXPECT_EQ(FormatDecimal(2.0, 2), "2");
    EXPECT_EQ(FormatDecimal(0.25, 2), "0.25");
    EXPECT_EQ(FormatDecimal(1000.0, 2), "1000");
    EXPECT_EQ(FormatDecimal(0.001, 2), "0");
    EXPECT_EQ(FormatDecimal(0.3333333, 5), "0.33333");
    EXPECT_EQ(FormatDecimal(-2.5, 2), "-2.5");
    EXPECT_EQ(FormatDecimal(12.5, 2), "12.5");
    EXPECT_EQ(FormatDecimal(0.004, 2), "0");
    EXPECT_EQ(FormatDecimal(0.125, 2), "0.12");  // exact binary value, ties to even
    EXPECT_EQ(FormatDecimal(0.005, 2), "0.01");  // 0.005 lies just above the tie
    EXPECT_EQ(FormatDecimal(-0.001, 2), "0");    // no negative zero
    EXPECT_EQ(FormatDecimal(-0.0, 2), "0");
    EXPECT_EQ(FormatDecimal(1e21, 2), "1000000000000000000000");
    EXPECT_EQ(FormatDecimal(150.0, 0), "150");
    EXPECT_EQ(FormatDecimal(std::numeric_limits<double>::infinity(), 2), "inf");
    EXPECT_EQ(FormatDecimal(std::nan(""), 2), "nan");
    EXPECT_EQ(FormatDecimal(-std::numeric_limits<double>::max(), 5).size(), 310u);
}

TEST(PresetWriter, WritesTheFileInBinaryWithLfOnly) {
    VELMORA_SCRATCH_CONFIG_HOME(home);
    EXPECT_FALSE(WritePresetFile(u"x", DefaultRecord()));  // no preset folder yet
    ASSERT_TRUE(EnsureDirectory(PresetFolder()));
    EXPECT_FALSE(WritePresetFile(u"", DefaultRecord()));
    ASSERT_TRUE(WritePresetFile(u"20261208-011559", DefaultRecord()));
    std::ifstream in(home.vmplugin() / "preset" / "20261208-011559.ini", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, kDefaultPreset);

    // Written and read back, every key is found with its value.
    PresetRecord back;
    PresetFlags found{};
    ASSERT_TRUE(ReadPresetFile(u"20261208-011559", back, found.data()));
    for (bool f : found) EXPECT_TRUE(f);
    EXPECT_EQ(ComposePresetText(back), kDefaultPreset);
}

TEST(PresetReader, SectionsKeysAndBlanks) {
    Parsed p = Parse("[pen]\nsize=7.5");
    EXPECT_EQ(p.record.size, 7.5);
    EXPECT_TRUE(p.found[kKeySize]);
    EXPECT_EQ(FoundCount(p), 1);

    EXPECT_EQ(FoundCount(Parse("[pen]\nSize=3\n[guide]\nsize=3\nsize=4")), 0);
    EXPECT_EQ(FoundCount(Parse("size=3")), 0);  // no section yet
    p = Parse("[ pen ] trailing\r\n  size = 4 \r\n");
    EXPECT_EQ(p.record.size, 4.0);
    EXPECT_TRUE(p.found[kKeySize]);

    // A header without "]" keeps the section; "=" may recur in the value.
    p = Parse("[pen]\n[line\nsize=3\n[guide]\nname=a=b\n#name=c\n;name=d\nno equals\n");
    EXPECT_TRUE(p.found[kKeySize]);
    EXPECT_STREQ(p.record.name, "a=b");
    EXPECT_EQ(FoundCount(p), 2);
}

TEST(PresetReader, BooleansTemplatesAndPoints) {
    Parsed p = Parse("[pen]\nasdist=TRUE\neasing=yes\n[guide]\ntype=Circle\n[line]\nconnect=0");
    EXPECT_TRUE(p.record.asdist);
    EXPECT_TRUE(p.found[kKeyAsdist]);
    EXPECT_FALSE(p.found[kKeyEasing]);
    EXPECT_EQ(p.record.type, 2);
    EXPECT_FALSE(p.record.connect);
    EXPECT_TRUE(p.found[kKeyConnect]);
    EXPECT_FALSE(Parse("[guide]\ntype=radial").found[kKeyType]);

    p = Parse("[guide]\np1=0.25\np2=0.25, 0.75\np3=x,1");
    EXPECT_FALSE(p.found[kKeyP1]);
    EXPECT_TRUE(p.found[kKeyP2]);
    EXPECT_EQ(p.record.p2[0], 0.25);
    EXPECT_EQ(p.record.p2[1], 0.75);
    EXPECT_FALSE(p.found[kKeyP3]);
    p = Parse("[guide]\np1=-1.5,2e0");  // ratios outside 0..1 stay as they are
    EXPECT_EQ(p.record.p1[0], -1.5);
    EXPECT_EQ(p.record.p1[1], 2.0);
}

TEST(PresetReader, TheLastOccurrenceDecides) {
    Parsed p = Parse("[pen]\nsize=1\nsize=x");
    EXPECT_FALSE(p.found[kKeySize]);
    p = Parse("[pen]\nsize=x\nsize=1");
    EXPECT_TRUE(p.found[kKeySize]);
    EXPECT_EQ(p.record.size, 1.0);
}

TEST(PresetReader, NamesUpTo258Bytes) {
    const std::string longest(258, 'n');
    Parsed p = Parse("[guide]\nname=" + longest);
    EXPECT_TRUE(p.found[kKeyName]);
    EXPECT_EQ(std::string(p.record.name), longest);
    p = Parse("[guide]\nname=" + std::string(259, 'n'));
    EXPECT_FALSE(p.found[kKeyName]);
    EXPECT_STREQ(p.record.name, "");
    p = Parse("[guide]\nname=");
    EXPECT_TRUE(p.found[kKeyName]);
}

TEST(PresetReader, NumberConversions) {
    Parsed p = Parse("[pen]\nin=12px\nout=3.7\nsize=0.5 ; note\nhardness=1e999\nfluction=inf\n"
                     "[line]\nposition=2147483648\nlength=-2147483648\nspacing=+9\n"
                     "posfluct=nan\nlenfluct=0x10\nspcfluct=.\nlengain=  -0.25\n");
    EXPECT_EQ(p.record.in, 12);
    EXPECT_EQ(p.record.out, 3);
    EXPECT_EQ(p.record.size, 0.5);
    EXPECT_FALSE(p.found[kKeyHardness]);
    EXPECT_EQ(p.record.fluction, std::numeric_limits<double>::infinity());
    EXPECT_FALSE(p.found[kKeyPosition]);
    EXPECT_EQ(p.record.length, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(p.record.spacing, 9);
    EXPECT_TRUE(p.found[kKeyPosfluct]);
    EXPECT_TRUE(std::isnan(p.record.posfluct));
    EXPECT_EQ(p.record.lenfluct, 16.0);
    EXPECT_FALSE(p.found[kKeySpcfluct]);
    EXPECT_EQ(p.record.lengain, -0.25);
    EXPECT_EQ(FoundCount(p), 9);
}

TEST(NumberText, RealsReadLikeTheStandardConversion) {
    double v = 0.0;
    size_t used = 0;
    EXPECT_EQ(ParseReal(" \t-1.5e+2x", v, &used), NumberResult::kOk);
    EXPECT_EQ(v, -150.0);
    EXPECT_EQ(used, 9u);
    EXPECT_EQ(ParseReal("1e", v, &used), NumberResult::kOk);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(ParseReal("0x", v, &used), NumberResult::kOk);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(ParseReal("-0x1.8p1", v), NumberResult::kOk);
    EXPECT_EQ(v, -3.0);
    EXPECT_EQ(ParseReal("Infinity", v, &used), NumberResult::kOk);
    EXPECT_EQ(used, 8u);
    EXPECT_EQ(ParseReal("1e-310", v), NumberResult::kOk);  // a subnormal is in range
    EXPECT_EQ(ParseReal("1e-400", v), NumberResult::kOutOfRange);
    EXPECT_EQ(ParseReal("-1e400", v), NumberResult::kOutOfRange);
    for (const char* bad : {"", " ", "-", "+-1", "--1", ".", "e5", "x1"}) {
        EXPECT_EQ(ParseReal(bad, v), NumberResult::kInvalid) << bad;
    }
}

TEST(NumberText, IntegersReadLikeTheStandardConversion) {
    int32_t v = 0;
    EXPECT_EQ(ParseInteger(" -42abc", v), NumberResult::kOk);
    EXPECT_EQ(v, -42);
    EXPECT_EQ(ParseInteger("2147483647", v), NumberResult::kOk);
    EXPECT_EQ(v, 2147483647);
    EXPECT_EQ(ParseInteger("-2147483649", v), NumberResult::kOutOfRange);
    EXPECT_EQ(ParseInteger("99999999999999999999999", v), NumberResult::kOutOfRange);
    EXPECT_EQ(ParseInteger("0x10", v), NumberResult::kOk);
    EXPECT_EQ(v, 0);
    for (const char* bad : {"", "-", "+", "x", " +x", "+-1"}) {
        EXPECT_EQ(ParseInteger(bad, v), NumberResult::kInvalid) << bad;
    }
}

TEST(PresetReader, OddFilesAreReadWithoutHarm) {
    // A byte-order mark hides the first header.
    Parsed p = Parse("\xEF\xBB\xBF[pen]\nsize=3\n[line]\nlength=5\n");
    EXPECT_FALSE(p.found[kKeySize]);
    EXPECT_EQ(p.record.length, 5);
    EXPECT_EQ(FoundCount(p), 1);

    EXPECT_EQ(FoundCount(Parse("; only\n# comments\n")), 0);
    p = Parse(std::string("[pen]\nsize=3\0junk\n\0\0[line]\0\n\0=\0", 28));
    EXPECT_EQ(p.record.size, 3.0);
    EXPECT_EQ(FoundCount(p), 1);
    EXPECT_EQ(FoundCount(Parse(std::string(1 << 20, '\0'))), 0);

    // The reader's own flags when the caller passes none.
    PresetRecord r;
    ParsePresetText("[pen]\nsize=3", r, nullptr);
    EXPECT_EQ(r.size, 3.0);
}

TEST(PresetReader, ReadsFilesOfThePresetFolder) {
    VELMORA_SCRATCH_CONFIG_HOME(home);
    ASSERT_TRUE(EnsureDirectory(PresetFolder()));
    const auto path = [&](const char* name) { return home.vmplugin() / "preset" / name; };
    PresetRecord r;
    PresetFlags found{};
    EXPECT_FALSE(ReadPresetFile(u"missing", r, found.data()));
    std::ofstream(path("empty.ini"));
    EXPECT_FALSE(ReadPresetFile(u"empty", r, found.data()));
    std::ofstream(path("notes.ini")) << "; comments only\n";
    EXPECT_TRUE(ReadPresetFile(u"notes", r, found.data()));

    // 50 MB of noise with one real key at the end.
    {
        std::ofstream big(path("big.ini"), std::ios::binary);
        std::string chunk(1 << 20, '\0');
        for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 7919 % 251);
        for (int i = 0; i < 50; ++i) big << chunk;
        big << "\n[pen]\nsize=6.5\n";
    }
    ASSERT_TRUE(ReadPresetFile(u"big", r, found.data()));
    EXPECT_TRUE(found[kKeySize]);
    EXPECT_EQ(r.size, 6.5);
}

#ifndef _WIN32
TEST(PresetNames, LocalTimeStamp) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    EXPECT_EQ(PresetNameForTime(1796692559), u"20261208-011559");
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    EXPECT_EQ(PresetNameForTime(0), u"19700101-090000");
    if (old) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}
#endif

}  // namespace
}  // namespace velmora
