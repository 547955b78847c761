#include "tests/fuzz/filter_session.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/item_keys.h"
#include "tools/host_core/host_core.h"

namespace velmora::fuzz {
namespace {

using hostcore::HostCore;
using hostcore::HostOptions;
using hostcore::Offscreen;
using hostcore::PropertyItem;

using ::velmora::testing::kAllItemKeys;
constexpr size_t kItemCount = std::size(kAllItemKeys);

const hostcore::StringTable& Strings() {
    static const hostcore::StringTable table = [] {
        hostcore::StringTable t;
        t.LoadFile(VELMORA_STRING_TABLE_PATH);
        return t;
    }();
    return table;
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

// Whatever the host did, the module never made it copy between pixels of
// different sizes, leave a gap in an enumeration or take a handle twice.
void CheckNoOverrun(const HostCore& host) {
    for (const std::string& e : host.errors()) {
        for (const char* fault : {"pixel sizes differ", "leaves a gap", "twice"}) {
            if (e.find(fault) != std::string::npos) Fail("host fault: " + e);
        }
    }
}

// A host whose getters now and then fail after writing a plausible value
// (the real slot runs first): offscreen sizes, kinds and channel indices,
// the bitmap's pixel size and UTF-16 strings.
struct JunkFailures {
    const OffscreenService* offscreens = nullptr;
    const BitmapService* bitmaps = nullptr;
    const StringService* strings = nullptr;
    uint32_t state = 1;
    uint32_t rate = 0;  // of 256
    bool Fails() {
        state = state * 1664525u + 1013904223u;
        return (state >> 24) < rate;
    }
};
JunkFailures junk;

HostInt JunkWidth(HostInt* out, HostOffscreen o) {
    const HostInt status = junk.offscreens->width(out, o);
    return junk.Fails() ? 1 : status;
}
HostInt JunkHeight(HostInt* out, HostOffscreen o) {
    const HostInt status = junk.offscreens->height(out, o);
    return junk.Fails() ? 1 : status;
}
HostInt JunkKind(HostInt* out, HostOffscreen o) {
    const HostInt status = junk.offscreens->channelKind(out, o);
    if (!junk.Fails()) return status;
    *out = 1;  // a one-byte kind for a layer of any pixel size
    return 1;
}
HostInt JunkColours(HostInt* r, HostInt* g, HostInt* b, HostOffscreen o) {
    const HostInt status = junk.offscreens->colourIndices(r, g, b, o);
    return junk.Fails() ? 1 : status;
}
HostInt JunkFour(HostInt* a, HostInt* b, HostInt* c, HostInt* d, HostOffscreen o) {
    const HostInt status = junk.offscreens->fourIndices(a, b, c, d, o);
    return junk.Fails() ? 1 : status;
}
HostInt JunkPixelBytes(HostInt* out, HostBitmap bitmap) {
    const HostInt status = junk.bitmaps->pixelBytes(out, bitmap);
    if (!junk.Fails()) return status;
    *out = 1;
    return 1;
}
HostInt JunkUtf16(HostString* out, const HostChar16* chars, HostInt count) {
    if (junk.Fails()) return 1;  // nothing made, a failure
    return junk.strings->fromUtf16(out, chars, count);
}

struct JunkTables {
    OffscreenService offscreens{};
    BitmapService bitmaps{};
    StringService strings{};
    void Install(HostCore& host) {
        junk.offscreens = host.server()->offscreen;
        junk.bitmaps = host.server()->bitmap;
        junk.strings = host.server()->string;
        if (junk.offscreens != nullptr) {
            offscreens = *junk.offscreens;
            offscreens.width = JunkWidth;
            offscreens.height = JunkHeight;
            offscreens.channelKind = JunkKind;
            offscreens.colourIndices = JunkColours;
            offscreens.fourIndices = JunkFour;
            host.server()->offscreen = &offscreens;
        }
        if (junk.bitmaps != nullptr) {
            bitmaps = *junk.bitmaps;
            bitmaps.pixelBytes = JunkPixelBytes;
            host.server()->bitmap = &bitmaps;
        }
        if (junk.strings != nullptr) {
            strings = *junk.strings;
            strings.fromUtf16 = JunkUtf16;
            host.server()->string = &strings;
        }
    }
};

// A preset file with values no panel would give: base points through huge
// fractions, lengths, gains, spacings and pens past every range.
std::string HostilePreset(ByteReader& in) {
    char b[96];
    std::string text = "[guide]\n";
    static const char* const kTypes[] = {"radiate", "parallel", "circle"};
    text += std::string("type=") + kTypes[in.Byte() % 3] + "\n";
    for (const char* key : {"p1", "p2", "p3"}) {
        const double x = in.Decimal(), y = in.Decimal();
        std::snprintf(b, sizeof b, "%s=%.17g,%.17g\n", key, x, y);
        text += b;
    }
    std::snprintf(b, sizeof b, "curvature=%.17g\n[pen]\nsize=%.17g\n", in.Decimal(), in.Decimal());
    text += b;
    std::snprintf(b, sizeof b, "[line]\nlength=%d\nlengain=%.17g\n", in.Integer(), in.Decimal());
    text += b;
    std::snprintf(b, sizeof b, "position=%d\nspacing=%d\nspcgain=%.17g\n", in.Integer(),
                  in.Integer(), in.Decimal());
    text += b;
    return text;
}

// A host that behaved gets everything back and saw no protocol fault.
void CheckClean(const HostCore& host) {
    if (!host.errors().empty()) Fail("host fault: " + host.errors().front());
    if (host.liveStrings() != 0) Fail(std::to_string(host.liveStrings()) + " strings left");
    if (host.liveBitmaps() != 0) Fail(std::to_string(host.liveBitmaps()) + " bitmaps left");
    if (host.livePropertyObjects() != 0) Fail("property object left");
}

// Instrumented for fuzzing, a pass runs tens of times slower than in a
// release build, so the largest work a pass may take outlasts the fuzzer's
// timeout. The host stops every pass once two seconds have gone, as a user
// would: a unit that still times out is work that never heeds the stop.
constexpr std::chrono::milliseconds kUserStopsAfter{2000};

// A dark disc in the middle of a clear RGBA picture.
std::vector<uint8_t> DiscPicture(int32_t w, int32_t h) {
    std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4, 0);
    const int32_t r2 = (w < h ? w : h) * (w < h ? w : h) / 9;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t dx = x - w / 2, dy = y - h / 2;
            if (dx * dx + dy * dy <= r2) rgba[(size_t(y) * w + x) * 4 + 3] = 255;
        }
    }
    return rgba;
}

int32_t PickKind(ByteReader& in) {
    constexpr int32_t kKinds[] = {3, 3, 3, 2, 6, 1, 4, 5, 0, 7, -1};
    const uint8_t pick = in.Byte();
    if (pick == 255) return in.I32();
    return kKinds[pick % (sizeof kKinds / sizeof kKinds[0])];
}

void FillPixels(Offscreen& layer, ByteReader& in) {
    const uint8_t pattern = in.Byte() % 4;
    if (pattern == 0) return;
    if (pattern == 1) {
        std::fill(layer.pixels.begin(), layer.pixels.end(), uint8_t(255));
        return;
    }
    if (pattern == 2) {
        const size_t w = size_t(layer.width), h = size_t(layer.height);
        for (size_t y = 0; y < h; ++y) {
            for (size_t x = 0; x < w; ++x) {
                const bool ink = (x / 3 + y / 5) % 4 == 0;
                for (int32_t c = 0; c < layer.channels; ++c) {
                    layer.pixels[(y * w + x) * size_t(layer.channels) + size_t(c)] =
                        ink ? 255 : 0;
                }
            }
        }
        return;
    }
    uint32_t state = in.U32() | 1u;
    for (uint8_t& byte : layer.pixels) {
        state = state * 1664525u + 1013904223u;
        byte = uint8_t(state >> 24);
    }
}

HostOffscreen MakeLayer(HostCore& host, int32_t w, int32_t h, int32_t kind, ByteReader& in) {
    const HostOffscreen o = host.CreateOffscreen(w, h, kind);
    Offscreen* layer = host.GetOffscreen(o);
    if (layer == nullptr) return o;
    if (in.Byte() >= 224) {
        // Channel indices the host should never give, out of the pixel.
        for (int32_t& i : layer->colourIndices) i = int32_t(in.Byte()) - 8;
        for (int32_t& i : layer->fourIndices) i = int32_t(in.Byte()) - 8;
    }
    FillPixels(*layer, in);
    return o;
}

// One panel edit: an item (rarely a key the module never declared), a value
// set as a user would or put in raw, and a notify kind (rarely not 17).
void EditOne(HostCore& host, ByteReader& in) {
    const uint8_t keyPick = in.Byte();
    const int32_t key = keyPick < 250 ? kAllItemKeys[keyPick % kItemCount] : in.I32();
    const uint8_t how = in.Byte();
    const bool raw = (how & 1) != 0;
    int32_t notifyKind = kNotifyValueChanged;
    if ((how & 0xF0) == 0xF0) notifyKind = (how & 2) != 0 ? kNotifyEvent : in.I32();
    PropertyItem* item = host.Item(key);
    if (item == nullptr) {
        host.Notify(key, notifyKind);
        return;
    }
    switch (item->kind) {
        case 1: {
            const bool v = in.Bool();
            if (raw) item->boolValue = v;
            else { host.EditBool(key, v); return; }
            break;
        }
        case 2: {
            const int32_t v = (in.Byte() & 1) != 0 ? in.Integer() : int32_t(in.Byte() % 8);
            if (raw) item->enumIndex = v;
            else { host.EditEnum(key, v); return; }
            break;
        }
        case 17: {
            const int32_t v = in.Integer();
            if (raw) item->intValue = v;
            else { host.EditInt(key, v); return; }
            break;
        }
        case 18: {
            const double v = in.Decimal();
            if (raw) item->doubleValue = v;
            else { host.EditDouble(key, v); return; }
            break;
        }
        case 33: {
            HostPoint p{in.Integer(), in.Integer()};
            if (raw) item->point = p;
            else { host.EditPoint(key, p); return; }
            break;
        }
        default: break;
    }
    host.Notify(key, notifyKind);
}

}  // namespace

void RunGuideSession(std::u16string_view guideName, int32_t type, int32_t spacing) {
    HostOptions options;
    options.logCalls = false;
    options.stopAfter = kUserStopsAfter;
    HostCore host(options);
    host.UseEntryPoint(&TriglavPluginCall);
    host.SetStringTable(Strings());
    constexpr int32_t w = 32, h = 24;
    const std::vector<uint8_t> rgba = DiscPicture(w, h);
    host.SetSource(host.OffscreenFromRgba(w, h, rgba.data()));
    host.SetDestination(host.CreateOffscreen(w, h, 3));
    host.ModuleInitialize();
    host.FilterInitialize();
    if (type >= 0) host.EditEnum(kItemTemplate, type);
    if (spacing != 0) host.EditInt(kItemSpacing, spacing);
    if (PropertyItem* guide = host.Item(kItemGuide)) {
        for (const auto& [index, text] : guide->enumStrings) {
            if (text == guideName) host.EditEnum(kItemGuide, index);
        }
    }
    host.FilterRun();
    host.FilterTerminate();
    host.ModuleTerminate();
    CheckClean(host);
}

void RunFilterSession(ByteReader& in) {
    HostOptions options;
    options.logCalls = false;
    options.stopAfter = kUserStopsAfter;
    const uint8_t hostile = in.Byte();
    if ((hostile & 0x0F) == 0x0F) {
        options.failureRate = double(1 + in.Byte() % 64) / 128.0;
        options.failureSeed = in.U32();
    }
    if ((hostile & 0xF0) == 0xF0) options.nullHandles = true;
    // Getters that fail after writing a plausible value.
    const bool junkGetters = (hostile & 0x0F) == 0x0E;
    if (junkGetters) {
        junk.rate = in.Byte();
        junk.state = in.U32() | 1u;
    }
    // A preset of far points and huge values, selected once the panel is there.
    const bool hostilePreset = (hostile & 0xF0) == 0xE0;
    if (hostilePreset) {
        std::ofstream(DataHome() / "preset" / "hostile.ini", std::ios::binary) << HostilePreset(in);
    }
    const bool benign = !(options.failureRate > 0.0) && !options.nullHandles && !junkGetters;

    HostCore host(options);
    host.UseEntryPoint(&TriglavPluginCall);
    host.SetStringTable(Strings());
    JunkTables junkTables;
    if (junkGetters) junkTables.Install(host);

    const uint8_t scene = in.Byte();
    const int32_t w = in.U16() % 257, h = in.U16() % 257;
    const HostOffscreen source = MakeLayer(host, w, h, PickKind(in), in);
    if ((scene & 1) == 0) host.SetSource(source);
    if ((scene & 2) == 0) {
        host.SetDestination(MakeLayer(host, w, h, PickKind(in), in));
    } else {
        host.SetDestination(MakeLayer(host, in.Byte(), in.Byte(), PickKind(in), in));
    }
    if ((scene & 4) != 0) {
        const bool sameSize = (scene & 8) == 0;
        const int32_t sw = sameSize ? w : in.Byte(), sh = sameSize ? h : in.Byte();
        host.SetSelection(MakeLayer(host, sw, sh, (scene & 16) != 0 ? 1 : PickKind(in), in));
    }
    if ((scene & 32) != 0) host.SetCanvasSize(in.U16() % 300, in.U16() % 300);
    host.SetDrawingColours(HostRgb{in.Byte(), in.Byte(), in.Byte()});

    // Replies first from the script, then ones that end: at most a few passes.
    for (const int32_t request : {kProcessStart, kProcessContinue, kProcessDone}) {
        std::vector<int32_t> replies;
        for (int n = in.Byte() % 6; n > 0; --n) {
            const uint8_t r = in.Byte();
            replies.push_back(r < 80 ? kProcessStart : r < 160 ? kProcessContinue
                              : r < 250 ? kProcessDone : in.I32());
        }
        host.QueueReplies(request, std::move(replies));
    }
    host.SetDefaultReply(kProcessStart, kProcessStart);
    host.SetDefaultReply(kProcessContinue, kProcessStart);
    host.SetDefaultReply(kProcessDone, kProcessDone);

    // The order of the selectors: now and then a run before the filter's
    // initialise, a second initialise, a second run with more edits.
    const uint8_t order = in.Byte();
    host.ModuleInitialize();
    if ((order & 1) != 0) host.FilterRun();
    host.FilterInitialize();
    if ((order & 2) != 0) host.FilterInitialize();
    if (hostilePreset) host.EditEnum(kItemPreset, 1);
    for (int n = in.Byte() % 24; n > 0 && !in.empty(); --n) EditOne(host, in);
    host.FilterRun();
    if ((order & 4) != 0) {
        for (int n = in.Byte() % 8; n > 0 && !in.empty(); --n) EditOne(host, in);
        host.FilterRun();
    }
    host.FilterTerminate();
    if ((order & 8) != 0) host.CallWithoutServer(kSelectorFilterRun);
    host.ModuleTerminate();
    if ((order & 16) != 0) host.ModuleTerminate();  // with nothing initialised
    CheckNoOverrun(host);
    if (benign) CheckClean(host);
}

}  // namespace velmora::fuzz
