// The live preview's server side without a browser: its command line, who
// it lets in and the edits it takes from the page.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include "tests/item_keys.h"
#include "tests/tools/cli_support.h"
#include "tools/velmora-host/serve_guard.h"
#include "tools/velmora-host/serve_json.h"
#include "tools/velmora-host/serve_session.h"

namespace velmora::cli::testing {
namespace {

using ::testing::HasSubstr;
using hostcore::PropertyItem;
using hostcore::PropertyObject;
using json = nlohmann::json;
using namespace std::chrono_literals;

const fs::path kSource = VELMORA_SOURCE_DIR;

// --- The command line -------------------------------------------------------

TEST(CliServe, UsageErrorsAndUnreadableInputsStopBeforeAnyServerStarts) {
    Scratch s;
    Outcome o = s.Run({"serve", "--help"});
    EXPECT_EQ(o.status, 0);
    EXPECT_THAT(o.out, HasSubstr("usage: velmora-host serve [PICTURE.png] [--port N]"));
    EXPECT_THAT(s.Run({"--help"}).out, HasSubstr("serve [PICTURE.png] [--port N]"));
    EXPECT_THAT(s.Run({"paint"}).err, HasSubstr("the commands are render, panel, data, guide and serve"));

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"serve", "--port", "65536"}, {"serve", "--port=-1"},
          {"serve", "--port", "80x"}, {"serve", "--port"}, {"serve", "--lang", "fr"},
          {"serve", "a.png", "b.png"}, {"serve", "--colour", "#000000"}, {"serve", "--port", ""},
          {"serve", "--module="}}) {
        o = s.Run(args);
        EXPECT_EQ(o.status, 2) << args.back();
        EXPECT_THAT(o.err, HasSubstr("see velmora-host serve --help")) << args.back();
        EXPECT_TRUE(o.out.empty()) << "no address is printed";
    }

    o = s.Run({"serve", (s / "missing.png").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_THAT(o.err, HasSubstr("missing.png"));
    o = s.Run({"-q", "serve", "--module", (s / "missing.cpm").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_THAT(o.err, HasSubstr("no module at")) << "quiet keeps the errors";
    EXPECT_TRUE(o.out.empty());
}

// --- Who may use the server ------------------------------------------------

TEST(ServeGuard, OnlyThisRunsKeyOpensTheServer) {
    const std::string token = MakeToken();
    ASSERT_EQ(token.size(), 32u);
    EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(token, MakeToken());

    EXPECT_TRUE(TokenMatches(token, token));
    std::string wrong = token;
    wrong.back() = wrong.back() == '0' ? '1' : '0';
    EXPECT_FALSE(TokenMatches(wrong, token));
    EXPECT_FALSE(TokenMatches(token.substr(0, 31), token));
    EXPECT_FALSE(TokenMatches(token + "0", token));
    EXPECT_FALSE(TokenMatches("", token));
    EXPECT_FALSE(TokenMatches("", "")) << "a server without a key opens to nobody";
}

TEST(ServeGuard, OnlyTheLoopbackNamesWithTheServersPortAreThisServer) {
    EXPECT_TRUE(IsLoopbackHost("127.0.0.1:8080", 8080));
    EXPECT_TRUE(IsLoopbackHost("localhost:8080", 8080));
    EXPECT_TRUE(IsLoopbackHost("LocalHost:8080", 8080));
    for (const char* host : {"127.0.0.1", "127.0.0.1:8081", "127.0.0.1:80801", "evil.example:8080",
                             "127.0.0.1.evil.example:8080", "localhost:8080.evil.example",
                             "192.168.1.2:8080", "[::1]:8080", ""}) {
        EXPECT_FALSE(IsLoopbackHost(host, 8080)) << host;
    }
    EXPECT_TRUE(IsOwnOrigin("http://127.0.0.1:8080", 8080));
    EXPECT_TRUE(IsOwnOrigin("http://localhost:8080", 8080));
    for (const char* origin : {"https://127.0.0.1:8080", "http://evil.example:8080", "null",
                               "http://127.0.0.1:9090", ""}) {
        EXPECT_FALSE(IsOwnOrigin(origin, 8080)) << origin;
    }
}

// --- Edits from the page ---------------------------------------------------

PropertyItem Item(int32_t key, int32_t kind, const char16_t* caption) {
    PropertyItem item;
    item.key = key;
    item.kind = kind;
    item.caption = caption;
    return item;
}

// A few items as the module declares them.
PropertyObject SmallPanel() {
    PropertyObject panel;
    panel.items.push_back(Item(kItemSavePreset, 1, u"Save Preset"));
    PropertyItem type = Item(kItemTemplate, 2, u"Template");
    type.enumStrings = {{0, u"Radial Lines"}, {1, u"Parallel Lines"}, {2, u"Concentric Circles"}};
    panel.items.push_back(type);
    panel.items.push_back(Item(kItemPoint1, 33, u"Point 1"));
    PropertyItem size = Item(kItemSize, 18, u"Size");
    size.doubleMinimum = 1.0;
    size.doubleMaximum = 50.0;
    size.doubleValue = size.doubleDefault = 2.0;
    panel.items.push_back(size);
    PropertyItem spacing = Item(kItemSpacing, 17, u"Spacing");
    spacing.intMinimum = 1;
    spacing.intMaximum = 1000;
    spacing.intValue = spacing.intDefault = 50;
    panel.items.push_back(spacing);
    panel.items.push_back(Item(kItemConnect, 1, u"Connect Lines"));
    return panel;
}

TEST(ServeEdits, ABatchOfEditsIsReadAgainstTheDeclaredItems) {
    std::vector<PanelEdit> edits;
    std::string error;
    ASSERT_TRUE(EditsFromJson(R"({"edits":[{"item":150,"value":2},{"item":170,"value":[-5,700]},
        {"item":202,"value":2.5},{"item":224,"value":1000},{"item":228,"value":false}]})",
                              SmallPanel(), edits, error))
        << error;
    ASSERT_EQ(edits.size(), 5u);
    EXPECT_EQ(edits[0].intValue, 2);
    EXPECT_EQ(edits[1].point.x, -5);
    EXPECT_EQ(edits[1].point.y, 700);
    EXPECT_EQ(edits[2].doubleValue, 2.5);
    EXPECT_EQ(edits[3].intValue, 1000);
    EXPECT_EQ(edits[3].kind, 17);
    EXPECT_FALSE(edits[4].boolValue);
}

TEST(ServeEdits, OneEditThatDoesNotFitRefusesTheWholeBatchAndSaysWhy) {
    const struct {
        const char* edit;
        const char* reason;
    } cases[] = {
        {R"({"item":224,"value":0})", "\"Spacing\" takes whole numbers 1 to 1000"},
        {R"({"item":224,"value":1001})", "\"Spacing\" takes whole numbers 1 to 1000"},
        {R"({"item":224,"value":2.5})", "\"Spacing\" takes a whole number"},
        {R"({"item":224,"value":"30"})", "\"Spacing\" takes a whole number"},
        {R"({"item":224,"value":1e300})", "\"Spacing\" takes a whole number"},
        {R"({"item":202,"value":50.5})", "\"Size\" takes 1 to 50"},
        {R"({"item":150,"value":3})", "\"Template\" has no choice 3"},
        {R"({"item":150,"value":-1})", "\"Template\" has no choice -1"},
        {R"({"item":170,"value":[1,2,3]})", "\"Point 1\" takes [x, y] in whole pixels"},
        {R"({"item":170,"value":[1.5,2]})", "\"Point 1\" takes [x, y] in whole pixels"},
        {R"({"item":170,"value":[1,4294967296]})", "\"Point 1\" takes [x, y] in whole pixels"},
        {R"({"item":228,"value":1})", "\"Connect Lines\" takes true or false"},
        {R"({"item":141,"value":true})", "\"Save Preset\" saves through its own button"},
        {R"({"item":999,"value":1})", "the panel has no item 999"},
        {R"({"value":1})", "an edit is {\"item\": KEY, \"value\": VALUE}"},
    };
    for (const auto& c : cases) {
        std::vector<PanelEdit> edits;
        std::string error;
        const std::string body =
            std::string(R"({"edits":[{"item":202,"value":3},)") + c.edit + "]}";
        EXPECT_FALSE(EditsFromJson(body, SmallPanel(), edits, error)) << c.edit;
        EXPECT_EQ(error, c.reason) << c.edit;
    }
    std::vector<PanelEdit> edits;
    std::string error;
    for (const char* body : {"", "[]", "{\"edits\":{}}", "{\"edits\":[", "nonsense"}) {
        EXPECT_FALSE(EditsFromJson(body, SmallPanel(), edits, error)) << body;
        EXPECT_EQ(error, "the body is {\"edits\": [...]}") << body;
    }
}

TEST(ServeEdits, ColoursAndLanguagesAreReadOrRefused) {
    const std::optional<HostRgb> colour = ColourFromJson(R"({"colour":"#D02080"})");
    ASSERT_TRUE(colour.has_value());
    EXPECT_EQ(ColourText(*colour), "#d02080");
    for (const char* body : {R"({"colour":"#D0208"})", R"({"colour":"#D0208G"})",
                             R"({"colour":208})", "{}", ""}) {
        EXPECT_FALSE(ColourFromJson(body).has_value()) << body;
    }
    EXPECT_EQ(JapaneseFromJson(R"({"lang":"ja"})"), std::optional<bool>(true));
    EXPECT_EQ(JapaneseFromJson(R"({"lang":"en"})"), std::optional<bool>(false));
    EXPECT_FALSE(JapaneseFromJson(R"({"lang":"fr"})").has_value());
}

TEST(ServeEdits, TheStateCarriesEveryItemWithItsKindRangeAndChoices) {
    ServeState state;
    state.panel = SmallPanel();
    state.panel.items[3].doubleValue = std::nan("");  // a NaN has no JSON form
    state.japanese = true;
    const json j = json::parse(StateJson(state));
    EXPECT_EQ(j["lang"], "ja");
    ASSERT_EQ(j["items"].size(), 6u);
    EXPECT_EQ(j["items"][0]["name"], "savePreset");
    EXPECT_EQ(j["items"][1]["kind"], "enumeration");
    EXPECT_EQ(j["items"][1]["choices"][2]["text"], "Concentric Circles");
    EXPECT_EQ(j["items"][2]["name"], "p1");
    EXPECT_TRUE(j["items"][3]["value"].is_null());
    EXPECT_EQ(j["items"][3]["max"], 50.0);
    EXPECT_EQ(j["items"][4]["name"], "spacing");
    EXPECT_EQ(j["items"][4]["min"], 1);
    EXPECT_EQ(j["items"][4]["default"], 50);
}

}  // namespace
}  // namespace velmora::cli::testing
