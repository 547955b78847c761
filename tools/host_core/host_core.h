// An in-process painting host for the module: every host service with real
// state, driven through TriglavPluginCall the way a painting application
// drives it. Used by the end-to-end tests and the command-line host.
//
// Service calls carry no host pointer in most slots (strings, bitmaps,
// offscreens, properties), so the host that last entered the module (or
// was last created) answers them. One HostCore drives one module at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/host_interface.h"
#include "tools/host_core/module_loader.h"
#include "tools/host_core/string_table.h"

namespace velmora::hostcore {

// The service tables of the server record, in record order.
enum class Service : int {
    kModuleInit = 0, kFilterInit, kFilterRun, kString, kBitmap, kOffscreen, kProperty,
    kExtProperty
};
constexpr int kServiceCount = 8;
const char* ServiceName(Service s);

struct HostOptions {
    // Tables left out of the server record (null pointers).
    std::set<Service> omitServices;
    // Single slots left null: (service, slot index).
    std::set<std::pair<Service, int>> omitSlots;
    int32_t hostVersion = 1;
    Language language = Language::kEnglish;
    // Extra bytes at the end of every bitmap row (rowBytes > width * pixelBytes).
    int32_t bitmapRowPadding = 12;
    // Record every service call in calls().
    bool logCalls = true;
    // Each service call fails with this chance (0 to 1): it returns an error
    // status and writes no out value. Draws are seeded, so a run repeats.
    double failureRate = 0.0;
    uint32_t failureSeed = 1;
    // Services that hand out handles or addresses (strings, string text,
    // bitmaps, pixel addresses, offscreens, property objects) succeed with null.
    bool nullHandles = false;
    // A user who gives up waiting: once this long has passed since the first
    // pass began, every request inside a pass is answered "done" (259).
    // Zero never stops.
    std::chrono::milliseconds stopAfter{0};
};

// A layer as the host holds it: width x height pixels of `channels` bytes.
struct Offscreen {
    int32_t width = 0;
    int32_t height = 0;
    int32_t kind = kChannelKindRgb;
    int32_t channels = 4;
    int32_t colourIndices[3] = {0, 1, 2};     // kind 3: red, green, blue bytes
    int32_t fourIndices[4] = {0, 1, 2, 3};    // kind 4: the four colour bytes
    std::vector<uint8_t> pixels;               // rows of width * channels bytes

    uint8_t* At(int32_t x, int32_t y) { return pixels.data() + (size_t(y) * width + x) * channels; }
    const uint8_t* At(int32_t x, int32_t y) const {
        return pixels.data() + (size_t(y) * width + x) * channels;
    }
};

// Channel bytes per pixel of a channel kind: 3 -> 4, 2 and 6 -> 2, 4 -> 5, else 1.
int32_t ChannelsForKind(int32_t kind);

struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    int32_t pixelBytes = 0;
    int32_t rowBytes = 0;
    std::vector<uint8_t> pixels;  // height * rowBytes
};

// One property item with everything the module declared and set on it.
struct PropertyItem {
    int32_t key = 0;
    int32_t kind = 0;  // kKindBool, kKindEnum, kKindInt, kKindDouble or kKindPoint
    int32_t codeA = 0;
    int32_t codeB = 0;
    std::u16string caption;
    int32_t accessKey = 0;

    bool boolValue = false, boolDefault = false;
    int32_t intValue = 0, intDefault = 0;
    std::optional<int32_t> intMinimum, intMaximum;
    double doubleValue = 0.0, doubleDefault = 0.0;
    std::optional<double> doubleMinimum, doubleMaximum;
    HostPoint point{0, 0};
    std::optional<int32_t> pointFirstSetting, pointSecondSetting;
    int32_t enumIndex = 0, enumDefault = 0;
    std::map<int32_t, std::u16string> enumStrings;  // by index
    std::vector<int32_t> enumFlags;                 // flag of each added string, in order

    bool valueSet = false;    // the module set a value
    bool defaultSet = false;  // the module set a default
};

struct PropertyObject {
    std::vector<PropertyItem> items;  // in declaration order
    PropertyItem* Find(int32_t key);
    const PropertyItem* Find(int32_t key) const;
};

struct ProcessStateCall {
    int32_t request = 0;
    int32_t reply = 0;
};

// What the module declared at filter initialise.
struct FilterDeclaration {
    std::u16string categoryName;
    int32_t categoryAccessKey = 0;
    std::u16string filterName;
    int32_t filterAccessKey = 0;
    std::optional<bool> firstSwitch, secondSwitch;
    std::vector<int32_t> targetKinds;
    HostPropertyObject propertyObject = nullptr;
    PropertyCallback callback = nullptr;
    void* callbackData = nullptr;
};

class HostCore {
public:
    explicit HostCore(HostOptions options = {});
    ~HostCore();  // terminates a module still initialised
    HostCore(const HostCore&) = delete;
    HostCore& operator=(const HostCore&) = delete;

    // --- The module ---------------------------------------------------------
    // A module linked into this program.
    void UseEntryPoint(TriglavPluginCallFn entry);
    // A module file; also takes its string table when it has one (the
    // STRINGTABLE resources of a DLL, the ".strings" file beside a shared object).
    bool LoadModule(const std::string& path, std::string* error = nullptr);
    bool LoadStringTable(const std::string& path);
    void SetStringTable(StringTable table) { strings_ = std::move(table); }
    const StringTable& stringTable() const { return strings_; }

    // --- Driving the module (each returns the entry point's result) --------
    int32_t Call(int32_t selector);
    int32_t ModuleInitialize() { return Call(kSelectorModuleInitialize); }
    int32_t ModuleTerminate() { return Call(kSelectorModuleTerminate); }
    int32_t FilterInitialize() { return Call(kSelectorFilterInitialize); }
    int32_t FilterRun() { return Call(kSelectorFilterRun); }
    int32_t FilterTerminate() { return Call(kSelectorFilterTerminate); }
    // Calls with a null server record (the module must change nothing).
    int32_t CallWithoutServer(int32_t selector);
    void* pluginData() const { return pluginData_; }
    bool moduleInitialized() const { return pluginData_ != nullptr; }

    // --- The server record --------------------------------------------------
    HostServer* server() { return &server_; }
    const HostOptions& options() const { return options_; }
    // Rebuilds the tables for changed options (services, slots, version...).
    void SetOptions(HostOptions options);
    void OmitService(Service s);
    void OmitSlot(Service s, int slot);
    void RestoreAllServices();

    // --- Canvas, layers, colours -------------------------------------------
    // Canvas size the filter-run service reports; without one, the source's.
    void SetCanvasSize(int32_t width, int32_t height);
    int32_t canvasWidth() const;
    int32_t canvasHeight() const;

    HostOffscreen CreateOffscreen(int32_t width, int32_t height, int32_t kind);
    // A kind-3 layer from RGBA bytes; indices give the byte of red, green, blue.
    HostOffscreen OffscreenFromRgba(int32_t width, int32_t height, const uint8_t* rgba,
                                    const int32_t indices[3] = nullptr);
    // Kind 2 (value + alpha), 6 (binary + alpha) or a one-byte kind such as 1 from
    // per-pixel values; `alpha` is the alpha of kinds 2 and 6 (null: 255).
    HostOffscreen OffscreenFromGrey(int32_t width, int32_t height, int32_t kind,
                                    const uint8_t* values, const uint8_t* alpha = nullptr);
    Offscreen* GetOffscreen(HostOffscreen o);
    const Offscreen* GetOffscreen(HostOffscreen o) const;
    // RGBA view of a layer: kind 3 by its indices; 2, 6 grey + alpha; 4 the first
    // three colour channels + alpha; one-byte kinds black with that byte as alpha.
    std::vector<uint8_t> ReadRgba(HostOffscreen o) const;

    void SetSource(HostOffscreen o) { source_ = o; }
    void SetDestination(HostOffscreen o) { destination_ = o; }
    // Null: no selection.
    void SetSelection(HostOffscreen o) { selection_ = o; }
    HostOffscreen source() const { return source_; }
    HostOffscreen destination() const { return destination_; }
    HostOffscreen selection() const { return selection_; }

    void SetDrawingColours(HostRgb main, HostRgb sub = HostRgb{255, 255, 255});

    // --- Process state ------------------------------------------------------
    // Replies: first queued ones per request, then the default per request
    // (257 -> 257, 258 -> 257, 259 -> 259: one pass that may go on).
    void QueueReplies(int32_t request, std::vector<int32_t> replies);
    void SetDefaultReply(int32_t request, int32_t reply);
    // When set, decides every reply (queues and defaults are not used).
    void SetReplyFunction(std::function<int32_t(int32_t request)> fn) { replyFn_ = std::move(fn); }

    // Called with (value, latest range) on every progress report, on the
    // module's calling thread; for a live progress display.
    std::function<void(int32_t value, int32_t range)> progressObserver;

    // --- Logs ---------------------------------------------------------------
    const std::vector<ProcessStateCall>& processStates() const { return processStates_; }
    std::vector<int32_t> processRequests() const;
    const std::vector<HostRect>& areasChanged() const { return areasChanged_; }
    const std::vector<int32_t>& progressRanges() const { return progressRanges_; }
    const std::vector<int32_t>& progressValues() const { return progressValues_; }
    const std::vector<std::string>& calls() const { return calls_; }
    // Protocol faults the host noticed (unknown handles, double releases,
    // unknown keys, wrong kinds, calls from another thread...). Empty when
    // the module behaved.
    const std::vector<std::string>& errors() const { return errors_; }
    void ClearLogs();

    // --- Module registration and filter declaration -------------------------
    const std::optional<std::string>& moduleId() const { return moduleId_; }
    std::optional<int32_t> moduleKind() const { return moduleKind_; }
    const FilterDeclaration& filter() const { return filter_; }

    // --- Live objects -------------------------------------------------------
    size_t liveStrings() const { return strings.size(); }
    size_t liveBitmaps() const { return bitmaps.size(); }
    size_t livePropertyObjects() const { return propertyObjects.size(); }
    size_t stringsCreated() const { return stringsCreated_; }
    size_t bitmapsCreated() const { return bitmapsCreated_; }
    std::u16string StringText(HostString s) const;
    Bitmap* GetBitmap(HostBitmap b);

    // --- The property panel -------------------------------------------------
    // The object handed to the host at filter initialise (null before).
    PropertyObject* panel();
    const PropertyObject* panel() const;
    PropertyItem* Item(int32_t key);  // in the panel; null when absent
    PropertyObject* GetPropertyObject(HostPropertyObject o);

    // Calls the registered callback for an item; returns its result
    // (0 when no callback is registered).
    int32_t Notify(int32_t key, int32_t notifyKind = kNotifyValueChanged);
    // Edits as a user would (integers and decimals kept within the item's
    // range, NaN passed on), then notifies with kind 17; the callback's result.
    int32_t EditBool(int32_t key, bool v);
    int32_t EditInt(int32_t key, int32_t v);
    int32_t EditDouble(int32_t key, double v);
    int32_t EditEnum(int32_t key, int32_t index);
    int32_t EditPoint(int32_t key, HostPoint p);
    // A button-like event (kind 33).
    int32_t SendEvent(int32_t key) { return Notify(key, kNotifyEvent); }

    // --- Used by the service trampolines ------------------------------------
    static HostCore* Current();
    void Fault(std::string what);
    void Log(Service s, const char* slot, std::string detail = {});
    int32_t ReplyFor(int32_t request);
    // True when this call is to fail (failureRate); counts the failures.
    bool InjectFailure();
    size_t injectedFailures() const { return injectedFailures_; }
    void CheckThread(const char* where);
    void CheckHostObject(HostObject host, const char* where);
    HostString NewString(std::u16string text);
    bool ReleaseString(HostString s);

    struct StringObject {
        std::u16string text;
    };
    std::unordered_map<HostString, std::unique_ptr<StringObject>> strings;
    std::unordered_map<HostBitmap, std::unique_ptr<Bitmap>> bitmaps;
    std::unordered_map<HostOffscreen, std::unique_ptr<Offscreen>> offscreens;
    std::unordered_map<HostPropertyObject, std::unique_ptr<PropertyObject>> propertyObjects;
    std::set<HostPropertyObject> releasedPropertyObjects;
    std::optional<std::string> moduleId_;
    std::optional<int32_t> moduleKind_;
    FilterDeclaration filter_;
    std::vector<HostRect> areasChanged_;
    std::vector<int32_t> progressRanges_;
    std::vector<int32_t> progressValues_;
    HostRgb mainColour_{0, 0, 0};
    HostRgb subColour_{255, 255, 255};
    size_t stringsCreated_ = 0;
    size_t bitmapsCreated_ = 0;

private:
    // What a result holds before the module writes one.
    static constexpr HostInt kNoResult = -12345;

    void BuildTables();
    void MakeCurrent();
    // One call into the module (entry point or callback) from this thread,
    // as the current host; its result, with noResult noted as a fault when
    // it wrote none.
    int32_t Enter(const std::function<void(HostInt* result)>& call, const std::string& noResult);

    HostOptions options_;
    HostServer server_{};
    ModuleInitService moduleInit_{};
    FilterInitService filterInit_{};
    FilterRunService filterRun_{};
    StringService string_{};
    BitmapService bitmap_{};
    OffscreenService offscreen_{};
    PropertyService property_{};
    ExtPropertyService extProperty_{};

    std::unique_ptr<LoadedModule> module_;
    TriglavPluginCallFn entry_ = nullptr;
    void* pluginData_ = nullptr;
    StringTable strings_;

    std::optional<std::pair<int32_t, int32_t>> canvas_;
    HostOffscreen source_ = nullptr;
    HostOffscreen destination_ = nullptr;
    HostOffscreen selection_ = nullptr;

    std::map<int32_t, std::deque<int32_t>> queuedReplies_;
    std::map<int32_t, int32_t> defaultReplies_;
    std::function<int32_t(int32_t)> replyFn_;
    std::vector<ProcessStateCall> processStates_;
    std::optional<std::chrono::steady_clock::time_point> firstPassStarted_;
    std::vector<std::string> calls_;
    std::vector<std::string> errors_;

    std::thread::id moduleThread_{};
    int callDepth_ = 0;

    std::mt19937 failureDraws_;
    size_t injectedFailures_ = 0;
};

// UTF-8 to UTF-16 and back (invalid sequences become U+FFFD).
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace velmora::hostcore
