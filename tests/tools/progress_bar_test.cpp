// The progress display: redrawn in place on a terminal, silent otherwise,
// always ending in one plain line with the pass time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "tools/velmora-host/progress_bar.h"

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;
// ECMAScript patterns on every platform (GoogleTest's own regular
// expressions on Windows lack classes and groups).
MATCHER_P(FullyMatches, pattern, std::string("matches ") + pattern) {
    return std::regex_match(arg, std::regex(pattern));
}

std::string Contents(std::FILE* f) {
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += char(c);
    return text;
}

TEST(ProgressBar, WithoutATerminalOnlyTheFinalLineIsWritten) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ProgressBar bar(f, false);
    bar.Start();
    bar.Update(250, 500);
    bar.Finish("rendered 8x6");
    EXPECT_THAT(Contents(f), FullyMatches("rendered 8x6 in [0-9]+\\.[0-9][0-9] s\n"));
    std::fclose(f);
}

TEST(ProgressBar, OnATerminalEachNewPercentRedrawsTheBarThenItIsCleared) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ProgressBar bar(f, true);
    bar.Start();
    bar.Update(250, 500);
    bar.Update(251, 500);  // still 50 %: not redrawn
    bar.Update(500, 500);
    bar.Finish("done");
    const std::string text = Contents(f);
    EXPECT_THAT(text, HasSubstr("\rrendering " + ProgressBar::Bar(0.5, 40)));
    EXPECT_THAT(text, HasSubstr("\rrendering " + ProgressBar::Bar(1.0, 40)));
    EXPECT_EQ(text.find(ProgressBar::Bar(0.502, 40)), text.rfind(ProgressBar::Bar(0.5, 40)));
    EXPECT_THAT(text, FullyMatches("[\\s\\S]*\r +\rdone in [0-9.]+ s\n"));
    std::fclose(f);
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
