// The host object: options and tables, driving the module, process-state
// replies, the logs, and the strings and bitmaps the module holds. Layers
// are in host_layers.cpp, the panel in host_panel.cpp.
#include "tools/host_core/host_core.h"

#include <atomic>
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
    // Each table afresh, less the slots left out, and in the server record
    // unless the whole table is left out.
    auto build = [&](Service s, auto& table, auto& entry, auto slots) {
        table = slots();
        for (const auto& [service, slot] : options_.omitSlots) {
            if (service == s) ClearSlot(table, slot);
        }
        entry = options_.omitServices.count(s) == 0 ? &table : nullptr;
    };
    server_.hostObject = this;
    build(Service::kModuleInit, moduleInit_, server_.moduleInit, ModuleInitSlots);
    build(Service::kFilterInit, filterInit_, server_.filterInit, FilterInitSlots);
    build(Service::kFilterRun, filterRun_, server_.filterRun, FilterRunSlots);
    build(Service::kString, string_, server_.string, StringSlots);
    build(Service::kBitmap, bitmap_, server_.bitmap, BitmapSlots);
    build(Service::kOffscreen, offscreen_, server_.offscreen, OffscreenSlots);
    build(Service::kProperty, property_, server_.property, PropertySlots);
    build(Service::kExtProperty, extProperty_, server_.extProperty, ExtPropertySlots);
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
    return Enter([&](HostInt* result) { entry_(result, &pluginData_, selector, &server_); },
                 "entry point wrote no result for selector " + std::to_string(selector));
}

int32_t HostCore::Enter(const std::function<void(HostInt* result)>& call,
                        const std::string& noResult) {
    MakeCurrent();
    HostInt result = kNoResult;
    moduleThread_ = std::this_thread::get_id();
    ++callDepth_;
    call(&result);
    --callDepth_;
    if (result == kNoResult) Fault(noResult);
    return result;
}

int32_t HostCore::CallWithoutServer(int32_t selector) {
    if (entry_ == nullptr) return kResultFailure;
    MakeCurrent();
    HostInt result = kNoResult;
    entry_(&result, &pluginData_, selector, nullptr);
    return result;
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

}  // namespace velmora::hostcore
