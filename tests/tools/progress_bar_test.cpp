// The progress display: redrawn in place on a terminal, silent otherwise,
// always ending in one plain line with the pass time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "tools/velmora-host/progress_bar.h"

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;
// ECMAScript patterns on every platform (GoogleTest's own regular
// expressions on Windows lack classes and groups).
MATCHER_P(FullyMatches, pattern, std::string("matches ") + pattern) {
    return std::regex_match(arg, std::regex(pattern));
}

struct Step {
    int32_t value, range;
};

// What a bar writes, on a terminal or not, from Start through the updates
// to Finish(last).
std::string Written(bool terminal, const std::vector<Step>& updates, const char* last) {
    std::FILE* f = std::tmpfile();
    EXPECT_NE(f, nullptr);
    if (f == nullptr) return {};
    {
        ProgressBar bar(f, terminal);
        bar.Start();
        for (const Step& s : updates) bar.Update(s.value, s.range);
        bar.Finish(last);
    }
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += char(c);
    std::fclose(f);
    return text;
}

TEST(ProgressBar, WithoutATerminalOnlyTheFinalLineIsWritten) {
    EXPECT_THAT(Written(false, {{250, 500}}, "rendered 8x6"),
                FullyMatches("rendered 8x6 in [0-9]+\\.[0-9][0-9] s\n"));
}

TEST(ProgressBar, OnATerminalEachNewPercentRedrawsTheBarThenItIsCleared) {
    // 251 of 500 is still 50 %: not redrawn.
    const std::string text = Written(true, {{250, 500}, {251, 500}, {500, 500}}, "done");
    EXPECT_THAT(text, HasSubstr("\rrendering " + ProgressBar::Bar(0.5, 40)));
    EXPECT_THAT(text, HasSubstr("\rrendering " + ProgressBar::Bar(1.0, 40)));
    EXPECT_EQ(text.find(ProgressBar::Bar(0.502, 40)), text.rfind(ProgressBar::Bar(0.5, 40)));
    EXPECT_THAT(text, FullyMatches("[\\s\\S]*\r +\rdone in [0-9.]+ s\n"));
}

TEST(ProgressBar, TheBarFillsInProportionAndStaysWithinItsWidth) {
    EXPECT_EQ(ProgressBar::Bar(0.0, 10), "[----------]   0%");
    EXPECT_EQ(ProgressBar::Bar(0.5, 10), "[#####-----]  50%");
    EXPECT_EQ(ProgressBar::Bar(1.0, 10), "[##########] 100%");
    EXPECT_EQ(ProgressBar::Bar(7.0, 10), "[##########] 100%");
    EXPECT_EQ(ProgressBar::Bar(-1.0, 10), "[----------]   0%");
}

}  // namespace
}  // namespace velmora::cli
