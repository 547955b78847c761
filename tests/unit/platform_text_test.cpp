// UTF-8 / UTF-16 conversion and per-code-unit lowercasing.
#include <gtest/gtest.h>

#include <string>

#include "data/text.h"
#include "platform/platform.h"

namespace velmora {
namespace {

TEST(TextConversion, RoundTripsEveryPlane) {
    const std::u16string text = u"a\u00e9\u30ac\U0001F600z";
    const std::string utf8 = "a\xc3\xa9\xe3\x82\xac\xf0\x9f\x98\x80z";
    EXPECT_EQ(ToUtf8(text), utf8);
    EXPECT_EQ(ToUtf16(utf8), text);
    EXPECT_EQ(ToUtf8(u""), "");
    EXPECT_EQ(ToUtf16(""), u"");
    EXPECT_EQ(ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

#ifdef _WIN32
// Only replacement characters, at most one per byte.
::testing::AssertionResult OnlyReplacements(const std::u16string& text, size_t bytes) {
    if (text.empty() || text.size() > bytes ||
        text.find_first_not_of(u'\uFFFD') != std::u16string::npos) {
        return ::testing::AssertionFailure() << text.size() << " code units";
    }
    return ::testing::AssertionSuccess();
}
#endif

TEST(TextConversion, IllFormedInputBecomesReplacementCharacters) {
    // One U+FFFD per maximal ill-formed subsequence.
    EXPECT_EQ(ToUtf16("a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(ToUtf16("\xc3"), u"\uFFFD");              // truncated at the end
    EXPECT_EQ(ToUtf16("\xe3\x82z"), u"\uFFFDz");        // lead and one continuation
    EXPECT_EQ(ToUtf16("\xc0\xaf"), u"\uFFFD\uFFFD");    // overlong
#ifdef _WIN32
    // The system converter decides how encoded surrogates and code points
    // above U+10FFFF split (Wine: 2 and 3 replacements).
    EXPECT_TRUE(OnlyReplacements(ToUtf16("\xed\xa0\x80"), 3));
    EXPECT_TRUE(OnlyReplacements(ToUtf16("\xf4\x90\x80\x80"), 4));
#else
    EXPECT_EQ(ToUtf16("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(ToUtf16("\xf4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
#endif
    EXPECT_EQ(ToUtf16("\xff"), u"\uFFFD");
    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    EXPECT_EQ(ToUtf8(lone), "a\xef\xbf\xbd" "b\xef\xbf\xbd");
}

std::u16string Lower(std::u16string text) {
    platform::LowercaseInPlace(text);
    return text;
}

TEST(Lowercase, MapsEveryScriptOfTheBasicPlane) {
    EXPECT_EQ(Lower(u"ABC:xyz-09"), u"abc:xyz-09");
    EXPECT_EQ(Lower(u"\u00C0\u00DE\u00D7"), u"\u00E0\u00FE\u00D7");  // the sign stays
    EXPECT_EQ(Lower(u"\u0100\u0101\u0178"), u"\u0101\u0101\u00FF");
    EXPECT_EQ(Lower(u"\u03A3\u0414\u0531"), u"\u03C3\u0434\u0561");  // Greek, Cyrillic, Armenian
#ifndef _WIN32
    // Ohm and Kelvin signs: the system's case table decides on Windows (Wine keeps them).
    EXPECT_EQ(Lower(u"\u2126\u212A"), u"\u03C9k");
#endif
    EXPECT_EQ(Lower(u"\uFF21"), u"\uFF41");  // fullwidth A
    EXPECT_EQ(Lower(u"\u0130"), u"\u0130");  // lowers to two code points: kept
    EXPECT_EQ(Lower(u"\u30AC\u00DF"), u"\u30AC\u00DF");
    const std::u16string pair = {char16_t(0xD801), char16_t(0xDC00)};
    EXPECT_EQ(Lower(pair), pair);  // code units outside the basic plane stay
}

}  // namespace
}  // namespace velmora
