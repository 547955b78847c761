// The host object: options, tables, driving the module, layers, the panel.
#include "tools/host_core/host_core.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "tools/host_core/services.h"

namespace velmora::hostcore {

namespace {

std::atomic<HostCore*> g_current{nullptr};

// A table is a row of pointer-sized slots; slot k is its k-th member.
template <typename Table>
void ClearSlot(Table& table, int slot) {
    constexpr int kSlots = static_cast<int>(sizeof(Table) / sizeof(void*));
    static_assert(sizeof(Table) % sizeof(void*) == 0);
    if (slot < 0 || slot >= kSlots) return;
    std::memset(reinterpret_cast<unsigned char*>(&table) + slot * sizeof(void*), 0,
                sizeof(void*));
}

}  // namespace

const char* ServiceName(Service s) {
    switch (s) {
        case Service::kModuleInit: return "ModuleInit";
        case Service::kFilterInit: return "FilterInit";
        case Service::kFilterRun: return "FilterRun";
        case Service::kString: return "String";
        case Service::kBitmap: return "Bitmap";
        case Service::kOffscreen: return "Offscreen";
        case Service::kProperty: return "Property";
        case Service::kExtProperty: return "ExtProperty";
    }
    return "?";
}

int32_t ChannelsForKind(int32_t kind) {
    switch (kind) {
        case kChannelKindRgb: return 4;
        case kChannelKindGrey:
        case kChannelKindBinary: return 2;
        case kChannelKindFourColour: return 5;
        default: return 1;
    }
}

PropertyItem* PropertyObject::Find(int32_t key) {
    for (PropertyItem& item : items) {
        if (item.key == key) return &item;
    }
    return nullptr;
}

const PropertyItem* PropertyObject::Find(int32_t key) const {
    for (const PropertyItem& item : items) {
        if (item.key == key) return &item;
    }
    return nullptr;
}

HostCore::HostCore(HostOptions options)
    : options_(std::move(options)), failureDraws_(options_.failureSeed) {
    BuildTables();
    MakeCurrent();
}

HostCore::~HostCore() {
    if (pluginData_ != nullptr && entry_ != nullptr) ModuleTerminate();
    HostCore* self = this;
    g_current.compare_exchange_strong(self, nullptr);
}

HostCore* HostCore::Current() { return g_current.load(); }

void HostCore::MakeCurrent() { g_current.store(this); }

void HostCore::BuildTables() {
    moduleInit_ = ModuleInitSlots();
    filterInit_ = FilterInitSlots();
    filterRun_ = FilterRunSlots();
    string_ = StringSlots();
    bitmap_ = BitmapSlots();
    offscreen_ = OffscreenSlots();
    property_ = PropertySlots();
    extProperty_ = ExtPropertySlots();
    for (const auto& [service, slot] : options_.omitSlots) {
        switch (service) {
            case Service::kModuleInit: ClearSlot(moduleInit_, slot); break;
            case Service::kFilterInit: ClearSlot(filterInit_, slot); break;
            case Service::kFilterRun: ClearSlot(filterRun_, slot); break;
            case Service::kString: ClearSlot(string_, slot); break;
            case Service::kBitmap: ClearSlot(bitmap_, slot); break;
            case Service::kOffscreen: ClearSlot(offscreen_, slot); break;
            case Service::kProperty: ClearSlot(property_, slot); break;
            case Service::kExtProperty: ClearSlot(extProperty_, slot); break;
        }
    }
    auto keep = [&](Service s) { return options_.omitServices.count(s) == 0; };
    server_.hostObject = this;
    server_.moduleInit = keep(Service::kModuleInit) ? &moduleInit_ : nullptr;
    server_.filterInit = keep(Service::kFilterInit) ? &filterInit_ : nullptr;
    server_.filterRun = keep(Service::kFilterRun) ? &filterRun_ : nullptr;
    server_.string = keep(Service::kString) ? &string_ : nullptr;
    server_.bitmap = keep(Service::kBitmap) ? &bitmap_ : nullptr;
    server_.offscreen = keep(Service::kOffscreen) ? &offscreen_ : nullptr;
    server_.property = keep(Service::kProperty) ? &property_ : nullptr;
    server_.extProperty = keep(Service::kExtProperty) ? &extProperty_ : nullptr;
}

void HostCore::SetOptions(HostOptions options) {
    options_ = std::move(options);
    failureDraws_.seed(options_.failureSeed);
    BuildTables();
}

void HostCore::OmitService(Service s) {
    options_.omitServices.insert(s);
    BuildTables();
}

void HostCore::OmitSlot(Service s, int slot) {
    options_.omitSlots.insert({s, slot});
    BuildTables();
}

void HostCore::RestoreAllServices() {
    options_.omitServices.clear();
    options_.omitSlots.clear();
    BuildTables();
}

// --- The module -------------------------------------------------------------

void HostCore::UseEntryPoint(TriglavPluginCallFn entry) { entry_ = entry; }

bool HostCore::LoadModule(const std::string& path, std::string* error) {
    std::unique_ptr<LoadedModule> module = LoadedModule::Open(path, error);
    if (!module) return false;
    entry_ = module->entry();
    module_ = std::move(module);
    module_->ReadStrings(strings_);
    return true;
}

bool HostCore::LoadStringTable(const std::string& path) {
    StringTable table;
    if (!table.LoadFile(path)) return false;
    strings_ = std::move(table);
    return true;
}

int32_t HostCore::Call(int32_t selector) {
    if (entry_ == nullptr) {
        Fault("no module to call");
        return kResultFailure;
    }
    MakeCurrent();
    HostInt result = -12345;
    moduleThread_ = std::this_thread::get_id();
    ++callDepth_;
    entry_(&result, &pluginData_, selector, &server_);
    --callDepth_;
    if (result == -12345) Fault("entry point wrote no result for selector " + std::to_string(selector));
    return result;
}

int32_t HostCore::CallWithoutServer(int32_t selector) {
    if (entry_ == nullptr) return kResultFailure;
    MakeCurrent();
    HostInt result = -12345;
    entry_(&result, &pluginData_, selector, nullptr);
    return result;
}

// --- Canvas and layers ------------------------------------------------------

void HostCore::SetCanvasSize(int32_t width, int32_t height) { canvas_ = {width, height}; }

int32_t HostCore::canvasWidth() const {
    if (canvas_) return canvas_->first;
    const Offscreen* o = GetOffscreen(source_);
    return o != nullptr ? o->width : 0;
}

int32_t HostCore::canvasHeight() const {
    if (canvas_) return canvas_->second;
    const Offscreen* o = GetOffscreen(source_);
    return o != nullptr ? o->height : 0;
}

HostOffscreen HostCore::CreateOffscreen(int32_t width, int32_t height, int32_t kind) {
    auto o = std::make_unique<Offscreen>();
    o->width = std::max(width, 0);
    o->height = std::max(height, 0);
    o->kind = kind;
    o->channels = ChannelsForKind(kind);
    o->pixels.assign(size_t(o->width) * o->height * o->channels, 0);
    const auto handle = reinterpret_cast<HostOffscreen>(o.get());
    offscreens[handle] = std::move(o);
    return handle;
}

HostOffscreen HostCore::OffscreenFromRgba(int32_t width, int32_t height, const uint8_t* rgba,
                                          const int32_t indices[3]) {
    const HostOffscreen handle = CreateOffscreen(width, height, kChannelKindRgb);
    Offscreen& o = *GetOffscreen(handle);
    if (indices != nullptr) std::copy(indices, indices + 3, o.colourIndices);
    for (int32_t y = 0; y < o.height; ++y) {
        for (int32_t x = 0; x < o.width; ++x) {
            const uint8_t* in = rgba + (size_t(y) * o.width + x) * 4;
            uint8_t* px = o.At(x, y);
            for (int c = 0; c < 3; ++c) px[o.colourIndices[c] & 3] = in[c];
            px[3] = in[3];
        }
    }
    return handle;
}

HostOffscreen HostCore::OffscreenFromGrey(int32_t width, int32_t height, int32_t kind,
                                          const uint8_t* values, const uint8_t* alpha) {
    const HostOffscreen handle = CreateOffscreen(width, height, kind);
    Offscreen& o = *GetOffscreen(handle);
    for (int32_t y = 0; y < o.height; ++y) {
        for (int32_t x = 0; x < o.width; ++x) {
            const size_t i = size_t(y) * o.width + x;
            const uint8_t a = alpha != nullptr ? alpha[i] : 255;
            uint8_t* px = o.At(x, y);
            if (o.channels == 1) {
                px[0] = values[i];
            } else {
                std::fill(px, px + o.channels - 1, values[i]);
                px[o.channels - 1] = a;
            }
        }
    }
    return handle;
}

Offscreen* HostCore::GetOffscreen(HostOffscreen o) {
    const auto it = offscreens.find(o);
    return it != offscreens.end() ? it->second.get() : nullptr;
}

const Offscreen* HostCore::GetOffscreen(HostOffscreen o) const {
    const auto it = offscreens.find(o);
    return it != offscreens.end() ? it->second.get() : nullptr;
}

std::vector<uint8_t> HostCore::ReadRgba(HostOffscreen handle) const {
    const Offscreen* o = GetOffscreen(handle);
    if (o == nullptr) return {};
    std::vector<uint8_t> rgba(size_t(o->width) * o->height * 4, 0);
    for (int32_t y = 0; y < o->height; ++y) {
        for (int32_t x = 0; x < o->width; ++x) {
            const uint8_t* px = o->At(x, y);
            uint8_t* out = rgba.data() + (size_t(y) * o->width + x) * 4;
            switch (o->kind) {
                case kChannelKindRgb:
                    for (int c = 0; c < 3; ++c) out[c] = px[o->colourIndices[c] & 3];
                    out[3] = px[3];
                    break;
                case kChannelKindGrey:
                case kChannelKindBinary:
                    out[0] = out[1] = out[2] = px[0];
                    out[3] = px[1];
                    break;
                case kChannelKindFourColour:
                    for (int c = 0; c < 3; ++c) out[c] = px[o->fourIndices[c] % 5];
                    out[3] = px[4];
                    break;
                default:
                    out[3] = px[0];
                    break;
            }
        }
    }
    return rgba;
}

void HostCore::SetDrawingColours(HostRgb main, HostRgb sub) {
    mainColour_ = main;
    subColour_ = sub;
}

// --- Process state ----------------------------------------------------------

void HostCore::QueueReplies(int32_t request, std::vector<int32_t> replies) {
    auto& queue = queuedReplies_[request];
    queue.insert(queue.end(), replies.begin(), replies.end());
}

void HostCore::SetDefaultReply(int32_t request, int32_t reply) { defaultReplies_[request] = reply; }

bool HostCore::InjectFailure() {
    if (!(options_.failureRate > 0.0)) return false;
    const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(failureDraws_);
    if (!(draw < options_.failureRate)) return false;
    ++injectedFailures_;
    return true;
}

int32_t HostCore::ReplyFor(int32_t request) {
    int32_t reply = kProcessDone;
    const auto now = std::chrono::steady_clock::now();
    if (request == kProcessStart && !firstPassStarted_) firstPassStarted_ = now;
    if (request == kProcessContinue && options_.stopAfter.count() > 0 && firstPassStarted_ &&
        now - *firstPassStarted_ >= options_.stopAfter) {
        reply = kProcessDone;
    } else if (replyFn_) {
        reply = replyFn_(request);
    } else if (auto q = queuedReplies_.find(request); q != queuedReplies_.end() && !q->second.empty()) {
        reply = q->second.front();
        q->second.pop_front();
    } else if (auto d = defaultReplies_.find(request); d != defaultReplies_.end()) {
        reply = d->second;
    } else if (request == kProcessStart || request == kProcessContinue) {
        reply = kProcessStart;
    }
    processStates_.push_back({request, reply});
    return reply;
}

std::vector<int32_t> HostCore::processRequests() const {
    std::vector<int32_t> requests;
    for (const ProcessStateCall& c : processStates_) requests.push_back(c.request);
    return requests;
}

void HostCore::ClearLogs() {
    processStates_.clear();
    areasChanged_.clear();
    progressRanges_.clear();
    progressValues_.clear();
    calls_.clear();
    errors_.clear();
}

// --- Faults and logging -----------------------------------------------------

void HostCore::Fault(std::string what) { errors_.push_back(std::move(what)); }

void HostCore::Log(Service s, const char* slot, std::string detail) {
    if (!options_.logCalls) return;
    std::string line = std::string(ServiceName(s)) + "." + slot;
    if (!detail.empty()) line += " " + detail;
    calls_.push_back(std::move(line));
}

void HostCore::CheckThread(const char* where) {
    if (callDepth_ > 0 && std::this_thread::get_id() != moduleThread_) {
        Fault(std::string(where) + " called from a thread other than the host's");
    }
}

void HostCore::CheckHostObject(HostObject host, const char* where) {
    if (host != static_cast<HostObject>(this)) Fault(std::string(where) + ": wrong host object");
}

// --- Strings ----------------------------------------------------------------

HostString HostCore::NewString(std::u16string text) {
    auto s = std::make_unique<StringObject>();
    s->text = std::move(text);
    const auto handle = reinterpret_cast<HostString>(s.get());
    strings[handle] = std::move(s);
    ++stringsCreated_;
    return handle;
}

bool HostCore::ReleaseString(HostString s) { return strings.erase(s) == 1; }

std::u16string HostCore::StringText(HostString s) const {
    const auto it = strings.find(s);
    return it != strings.end() ? it->second->text : std::u16string();
}

Bitmap* HostCore::GetBitmap(HostBitmap b) {
    const auto it = bitmaps.find(b);
    return it != bitmaps.end() ? it->second.get() : nullptr;
}

// --- The panel --------------------------------------------------------------

PropertyObject* HostCore::GetPropertyObject(HostPropertyObject o) {
    const auto it = propertyObjects.find(o);
    return it != propertyObjects.end() ? it->second.get() : nullptr;
}

PropertyObject* HostCore::panel() { return GetPropertyObject(filter_.propertyObject); }

const PropertyObject* HostCore::panel() const {
    const auto it = propertyObjects.find(filter_.propertyObject);
    return it != propertyObjects.end() ? it->second.get() : nullptr;
}

PropertyItem* HostCore::Item(int32_t key) {
    PropertyObject* p = panel();
    return p != nullptr ? p->Find(key) : nullptr;
}

int32_t HostCore::Notify(int32_t key, int32_t notifyKind) {
    if (filter_.callback == nullptr) return 0;
    MakeCurrent();
    HostInt result = -12345;
    moduleThread_ = std::this_thread::get_id();
    ++callDepth_;
    filter_.callback(&result, filter_.propertyObject, key, notifyKind, filter_.callbackData);
    --callDepth_;
    if (result == -12345) Fault("property callback wrote no result for item " + std::to_string(key));
    return result;
}

int32_t HostCore::EditBool(int32_t key, bool v) {
    if (PropertyItem* item = Item(key)) item->boolValue = v;
    else Fault("edit of unknown item " + std::to_string(key));
    return Notify(key);
}

int32_t HostCore::EditInt(int32_t key, int32_t v) {
    if (PropertyItem* item = Item(key)) {
        if (item->intMinimum) v = std::max(v, *item->intMinimum);
        if (item->intMaximum) v = std::min(v, *item->intMaximum);
        item->intValue = v;
    } else {
        Fault("edit of unknown item " + std::to_string(key));
    }
    return Notify(key);
}

int32_t HostCore::EditDouble(int32_t key, double v) {
    if (PropertyItem* item = Item(key)) {
        if (!std::isnan(v)) {
            if (item->doubleMinimum) v = std::max(v, *item->doubleMinimum);
            if (item->doubleMaximum) v = std::min(v, *item->doubleMaximum);
        }
        item->doubleValue = v;
    } else {
        Fault("edit of unknown item " + std::to_string(key));
    }
    return Notify(key);
}

int32_t HostCore::EditEnum(int32_t key, int32_t index) {
    if (PropertyItem* item = Item(key)) item->enumIndex = index;
    else Fault("edit of unknown item " + std::to_string(key));
    return Notify(key);
}

int32_t HostCore::EditPoint(int32_t key, HostPoint p) {
    if (PropertyItem* item = Item(key)) item->point = p;
    else Fault("edit of unknown item " + std::to_string(key));
    return Notify(key);
}

}  // namespace velmora::hostcore
