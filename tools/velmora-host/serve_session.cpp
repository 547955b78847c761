// The module thread of the live preview and its queue.
#include "tools/velmora-host/serve_session.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/velmora-host/data_folders.h"
#include "tools/velmora-host/files.h"
#include "tools/velmora-host/guide_import.h"
#include "tools/velmora-host/module_session.h"
#include "tools/velmora-host/panel_items.h"
#include "tools/velmora-host/serve_json.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Progress is published at most this often; a pass shorter than that shows
// no bar at all.
constexpr auto kProgressInterval = std::chrono::milliseconds(40);

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A file name as the page sends it: a name without folders, with the
// extension the module lists.
bool CheckFileName(const std::string& name, const std::string& extension, std::string& error) {
    const bool control = std::any_of(name.begin(), name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (name.find_first_of("/\\:") != std::string::npos || control || name.empty() ||
        name[0] == '.') {
        error = "\"" + name + "\" is not a plain file name";
        return false;
    }
    if (!EndsWith(name, extension) || name.size() == extension.size()) {
        error = "\"" + name + "\": the module lists only files ending in \"" + extension + "\"";
        return false;
    }
    return true;
}

std::string Stem(const std::string& name) { return Utf8Path(FsPath(name).stem()); }

// A guide file as it goes into the module's folder: the first path drawn in
// the SVG, imported so that the module reads it as the same curve whatever
// program wrote it. Notes on the curve (several pieces...) go to `notes`.
bool GuideFileBytes(const std::string& svg, const std::string& name, std::string& guide,
                    std::string& notes, std::string& error) {
    std::vector<std::string> remarks;
    if (!ImportGuide(svg, "", guide, error, &remarks)) {
        error = "\"" + name + "\": " + error;
        return false;
    }
    for (const std::string& r : remarks) notes += "; " + r;
    return true;
}

// The module's preset or guide folder in the user's data folder.
bool DataFolder(bool preset, fs::path& folder, std::string& error) {
    const fs::path root = UserDataRoot();
    if (root.empty()) {
        error = "cannot tell where the module keeps its data files";
        return false;
    }
    folder = preset ? PresetFolderUnder(root) : GuideFolderUnder(root);
    return true;
}

}  // namespace

ServeSession::ServeSession(Options options) : options_(std::move(options)) {}

ServeSession::~ServeSession() { Close(); }

bool ServeSession::Start(std::string& error) {
    std::promise<std::string> started;
    std::future<std::string> outcome = started.get_future();
    thread_ = std::thread([this, p = std::move(started)]() mutable { Main(std::move(p)); });
    error = outcome.get();
    if (!error.empty()) {
        thread_.join();
        return false;
    }
    return true;
}

void ServeSession::Close() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        closing_ = true;
    }
    queueCv_.notify_all();
    if (thread_.joinable()) thread_.join();
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        closed_ = true;
    }
    stateCv_.notify_all();
}

bool ServeSession::closed() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return closed_;
}

// --- The web side -------------------------------------------------------

uint64_t ServeSession::Queue(std::unique_ptr<Work> work) {
    uint64_t seq = 0;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (closing_) {
            work->done.set_value(CommandResult{false, "the preview server is stopping", ""});
            return 0;
        }
        seq = work->seq = ++nextSeq_;
        queue_.push_back(std::move(work));
    }
    queueCv_.notify_all();
    Publish([seq](ServeState& s) { s.queuedSeq = std::max(s.queuedSeq, seq); });
    return seq;
}

CommandResult ServeSession::QueueAndWait(std::unique_ptr<Work> work) {
    std::future<CommandResult> result = work->done.get_future();
    Queue(std::move(work));
    return result.get();
}

uint64_t ServeSession::Edit(std::vector<PanelEdit> edits) {
    auto work = std::make_unique<Work>();
    work->kind = WorkKind::kEdits;
    work->edits = std::move(edits);
    return Queue(std::move(work));
}

uint64_t ServeSession::SetColour(HostRgb colour) {
    auto work = std::make_unique<Work>();
    work->kind = WorkKind::kColour;
    work->colour = colour;
    return Queue(std::move(work));
}

CommandResult ServeSession::SetPicture(Picture picture, std::string name, std::string density) {
    auto work = std::make_unique<Work>();
    work->kind = WorkKind::kPicture;
    work->picture = std::move(picture);
    work->name = std::move(name);
    work->bytes = std::move(density);
    return QueueAndWait(std::move(work));
}

CommandResult ServeSession::SavePreset() {
    auto work = std::make_unique<Work>();
    work->kind = WorkKind::kSavePreset;
    return QueueAndWait(std::move(work));
}

CommandResult ServeSession::AddPreset(const std::string& fileName, std::string bytes) {
    auto work = std::make_unique<Work>();
    work->kind = WorkKind::kAddPreset;
    work->name = fileName;
    work->bytes = std::move(bytes);
    return QueueAndWait(std::move(work));
}

CommandResult ServeSession::AddGuide(const std::string& fileName, std::string bytes) {
    auto work = std::make_unique<Work>();
    work->kind = WorkKind::kAddGuide;
    work->name = fileName;
    work->bytes = std::move(bytes);
    return QueueAndWait(std::move(work));
}

CommandResult ServeSession::SetLanguage(bool japanese) {
    auto work = std::make_unique<Work>();
    work->kind = WorkKind::kLanguage;
    work->japanese = japanese;
    return QueueAndWait(std::move(work));
}

ServeState ServeSession::Snapshot() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return state_;
}

ServeState ServeSession::WaitForChange(uint64_t since, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(stateMutex_);
    stateCv_.wait_for(lock, timeout, [&] { return closed_ || state_.version > since; });
    return state_;
}

ServeFrame ServeSession::Frame() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return frame_;
}

std::shared_ptr<const Picture> ServeSession::Source() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return source_;
}

bool ServeSession::WaitUntilCurrent(std::chrono::milliseconds timeout, ServeFrame& frame) const {
    uint64_t target = 0;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        target = nextSeq_;
    }
    std::unique_lock<std::mutex> lock(stateMutex_);
    const bool current = stateCv_.wait_for(lock, timeout, [&] {
        return closed_ || (frame_.id != 0 && frame_.seq >= target);
    });
    if (!current || closed_ || frame_.id == 0 || frame_.seq < target) return false;
    frame = frame_;
    return true;
}

template <class Change>
void ServeSession::Publish(Change change) {
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        change(state_);
        ++state_.version;
    }
    stateCv_.notify_all();
}

// --- The module thread --------------------------------------------------

void ServeSession::PublishPanel(ServeState& s) const {
    if (host_ == nullptr || host_->panel() == nullptr) return;
    s.panel = *host_->panel();
    s.title = hostcore::Utf16ToUtf8(host_->filter().filterName);
    s.japanese = japanese_;
    s.appliedSeq = applied_;
}

void ServeSession::Main(std::promise<std::string> started) {
    auto source = std::make_shared<const Picture>(std::move(options_.picture));
    options_.picture = Picture{};
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        source_ = source;
        density_ = options_.pictureDensity;
        state_.pictureName = options_.pictureName;
        state_.pictureId = 1;
        state_.width = source->width;
        state_.height = source->height;
    }
    std::string error;
    if (!OpenHost(options_.japanese, error)) {
        CloseHost();
        started.set_value(error);
        return;
    }
    // The template is chosen first, as a user does: it places the base points.
    if (const hostcore::PropertyItem* item = host_->Item(kItemTemplate)) {
        host_->EditEnum(kItemTemplate, item->enumIndex);
    }
    Publish([this](ServeState& s) { PublishPanel(s); });
    started.set_value(std::string());

    for (;;) {
        RunLive();
        std::unique_ptr<Work> work;
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            if (closing_) break;
            if (!queue_.empty() && queue_.front()->EndsRun()) {
                work = std::move(queue_.front());
                queue_.pop_front();
            }
        }
        if (!work) {
            // The module ended the run without being asked: try again when
            // new work comes, not at once and for ever.
            Publish([](ServeState& s) { s.message = "the module ended its filter run by itself"; });
            std::unique_lock<std::mutex> lock(queueMutex_);
            const uint64_t seen = nextSeq_;
            queueCv_.wait(lock, [&] { return closing_ || nextSeq_ > seen; });
            continue;
        }
        const CommandResult result = Execute(*work);
        applied_ = work->seq;
        needRender_ = true;
        if (host_ == nullptr) {
            // The module could not be loaded again: nothing more can render.
            Publish([&](ServeState& s) { s.message = result.message; });
            work->done.set_value(result);
            std::lock_guard<std::mutex> lock(queueMutex_);
            closing_ = true;
            break;
        }
        Publish([&](ServeState& s) {
            PublishPanel(s);
            s.message = result.ok ? std::string() : result.message;
        });
        work->done.set_value(result);
    }

    std::deque<std::unique_ptr<Work>> left;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        left.swap(queue_);
    }
    for (auto& w : left) w->done.set_value(CommandResult{false, "the preview server is stopping", ""});
    CloseHost();
}

bool ServeSession::OpenHost(bool japanese, std::string& error) {
    hostcore::HostOptions options;
    options.logCalls = false;
    options.language = japanese ? hostcore::Language::kJapanese : hostcore::Language::kEnglish;
    host_ = std::make_unique<hostcore::HostCore>(options);
    japanese_ = japanese;
    if (!OpenModule(*host_, options_.modulePath, error)) return false;
    if (!SetUpLayers()) {
        error = "cannot make the layers";
        return false;
    }
    host_->SetDrawingColours(colour_);
    if (host_->FilterInitialize() != 0 || host_->panel() == nullptr) {
        error = "the module failed to initialise its filter";
        return false;
    }
    return true;
}

void ServeSession::CloseHost() {
    if (host_ == nullptr) return;
    if (host_->panel() != nullptr) host_->FilterTerminate();
    if (host_->moduleInitialized()) host_->ModuleTerminate();
    host_.reset();
}

bool ServeSession::SetUpLayers() {
    const std::shared_ptr<const Picture> source = Source();
    host_->SetCanvasSize(source->width, source->height);
    // The layers of an earlier picture go; the module holds none between runs.
    for (HostOffscreen old : {host_->source(), host_->destination()}) {
        if (old != nullptr) host_->offscreens.erase(old);
    }
    const HostOffscreen src =
        host_->OffscreenFromRgba(source->width, source->height, source->rgba.data());
    const HostOffscreen dst = host_->CreateOffscreen(source->width, source->height, 3);
    host_->SetSource(src);
    host_->SetDestination(dst);
    host_->SetSelection(nullptr);
    return src != nullptr && dst != nullptr;
}

void ServeSession::RunLive() {
    host_->SetReplyFunction([this](int32_t request) { return Reply(request); });
    host_->progressObserver = [this](int32_t value, int32_t range) {
        const Clock::time_point now = Clock::now();
        if (now - lastProgressPublish_ < kProgressInterval) return;
        lastProgressPublish_ = now;
        Publish([&](ServeState& s) {
            s.progress = value;
            s.progressRange = range;
        });
    };
    host_->FilterRun();
    host_->progressObserver = nullptr;
    host_->SetReplyFunction(nullptr);
    ReportFaults();
}

int32_t ServeSession::Reply(int32_t request) {
    if (request == kProcessStart) return StartPass();
    if (request == kProcessContinue) return ContinuePass();
    return EndPass();
}

int32_t ServeSession::StartPass() {
    std::vector<std::unique_ptr<Work>> light;
    bool endRun = false;
    {
        std::unique_lock<std::mutex> lock(queueMutex_);
        queueCv_.wait(lock, [this] { return closing_ || !queue_.empty() || needRender_; });
        if (closing_) return kProcessDone;
        while (!queue_.empty() && !queue_.front()->EndsRun()) {
            light.push_back(std::move(queue_.front()));
            queue_.pop_front();
        }
        endRun = !queue_.empty();
    }
    std::string failure;
    for (auto& work : light) {
        ApplyLight(*work);
        applied_ = work->seq;
        needRender_ = true;
        if (!work->refused.empty()) failure = work->refused;
    }
    ReportFaults();
    if (endRun) return kProcessDone;

    needRender_ = false;
    passStopped_ = false;
    passSeq_ = applied_;
    passStart_ = Clock::now();
    lastProgressPublish_ = passStart_;
    const bool edited = !light.empty();
    Publish([&](ServeState& s) {
        if (edited) {
            PublishPanel(s);
            s.message = failure;
        }
        s.rendering = true;
        s.progress = 0;
        s.progressRange = 0;
    });
    return kProcessStart;
}

int32_t ServeSession::ContinuePass() {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (closing_ || !queue_.empty()) {
        passStopped_ = true;
        return kProcessDone;
    }
    return kProcessStart;
}

int32_t ServeSession::EndPass() {
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - passStart_).count();
    if (passStopped_) {
        Publish([](ServeState& s) {
            ++s.passesStopped;
            s.rendering = false;
        });
    } else {
        const std::shared_ptr<const Picture> source = Source();
        auto effect = std::make_shared<Picture>();
        effect->width = source->width;
        effect->height = source->height;
        effect->rgba = host_->ReadRgba(host_->destination());
        {
            std::lock_guard<std::mutex> lock(stateMutex_);
            frame_ = ServeFrame{frame_.id + 1, passSeq_, state_.pictureId, std::move(effect), source,
                                density_};
            state_.frameId = frame_.id;
            state_.frameSeq = passSeq_;
            state_.framePictureId = state_.pictureId;
            ++state_.passesFinished;
            state_.lastPassMs = ms;
            state_.rendering = false;
            ++state_.version;
        }
        stateCv_.notify_all();
    }
    // Another pass: the module asks "may I start?" again, and waits there.
    return kProcessContinue;
}

void ServeSession::ApplyLight(Work& work) {
    if (work.kind == WorkKind::kColour) {
        colour_ = work.colour;
        host_->SetDrawingColours(colour_);
        Publish([&](ServeState& s) { s.colour = colour_; });
        return;
    }
    for (const PanelEdit& edit : work.edits) {
        // The panel may have been declared again since the edit was checked.
        std::string error;
        if (!CheckEdit(*host_->panel(), edit, error)) {
            work.refused = error;
            continue;
        }
        ApplyEdits(*host_, {edit});
    }
}

void ServeSession::ReportFaults() {
    if (host_ == nullptr) return;
    if (!host_->errors().empty()) {
        const std::string what = "the module broke the host protocol: " + host_->errors().front();
        std::fprintf(stderr, "velmora-host: %s\n", what.c_str());
        Publish([&](ServeState& s) { s.message = what; });
    }
    // The host core logs every call; a preview that runs for hours keeps
    // none but the progress range, which a run sets once for all its passes.
    const std::vector<int32_t> ranges = host_->progressRanges();
    host_->ClearLogs();
    if (!ranges.empty()) host_->progressRanges_.push_back(ranges.back());
}

CommandResult ServeSession::Execute(Work& work) {
    switch (work.kind) {
        case WorkKind::kPicture: return DoSetPicture(work);
        case WorkKind::kSavePreset: return DoSavePreset();
        case WorkKind::kAddPreset:
        case WorkKind::kAddGuide: return DoAddFile(work);
        case WorkKind::kLanguage: return DoSetLanguage(work.japanese);
        default: return CommandResult{false, "nothing to do", ""};
    }
}

CommandResult ServeSession::DoSetPicture(Work& work) {
    const std::shared_ptr<const Picture> old = Source();
    const bool sameSize = old->width == work.picture.width && old->height == work.picture.height;
    auto source = std::make_shared<const Picture>(std::move(work.picture));
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        source_ = source;
        density_ = work.bytes;
        ++state_.pictureId;
        state_.pictureName = work.name;
        state_.width = source->width;
        state_.height = source->height;
        ++state_.version;
    }
    stateCv_.notify_all();
    if (!SetUpLayers()) return CommandResult{false, "cannot make the layers", ""};
    // On a picture of another size the points go back to the template's places.
    if (!sameSize) {
        if (const hostcore::PropertyItem* item = host_->Item(kItemTemplate)) {
            host_->EditEnum(kItemTemplate, item->enumIndex);
        }
    }
    return CommandResult{true,
                         "opened \"" + work.name + "\" (" + std::to_string(source->width) + "x" +
                             std::to_string(source->height) + ")",
                         work.name};
}

CommandResult ServeSession::DoSavePreset() {
    hostcore::PropertyItem* presets = host_->Item(kItemPreset);
    if (presets == nullptr || host_->Item(kItemSavePreset) == nullptr) {
        return CommandResult{false, "the module's panel has no \"Save Preset\" item", ""};
    }
    const size_t before = presets->enumStrings.size();
    // The module writes a preset when a run ends with "Save Preset" checked:
    // a run of no pass, then the box unchecked again.
    host_->EditBool(kItemSavePreset, true);
    host_->SetReplyFunction([](int32_t) { return int32_t(kProcessDone); });
    host_->FilterRun();
    host_->SetReplyFunction(nullptr);
    host_->EditBool(kItemSavePreset, false);
    presets = host_->Item(kItemPreset);
    if (presets == nullptr || presets->enumStrings.size() <= before) {
        return CommandResult{false, "the module saved no new preset", ""};
    }
    const std::string name = hostcore::Utf16ToUtf8(presets->enumStrings.rbegin()->second);
    fs::path folder;
    std::string error;
    if (!DataFolder(true, folder, error)) return CommandResult{true, "saved preset " + name, name};
    return CommandResult{true, "saved preset " + Utf8Path(folder / FsPath(name + ".ini")), name};
}

CommandResult ServeSession::DoAddFile(Work& work) {
    const bool preset = work.kind == WorkKind::kAddPreset;
    const std::string extension = preset ? ".ini" : ".svg";
    std::string error;
    if (!CheckFileName(work.name, extension, error)) return CommandResult{false, error, ""};
    fs::path folder;
    if (!DataFolder(preset, folder, error)) return CommandResult{false, error, ""};
    const fs::path target = folder / FsPath(work.name);
    std::string bytes = work.bytes, notes;
    if (!preset && !GuideFileBytes(work.bytes, work.name, bytes, notes, error)) {
        return CommandResult{false, error, ""};
    }
    std::error_code ec;
    std::string existing;
    if (fs::exists(target, ec)) {
        if (!ReadFileBytes(target, existing) || existing != bytes) {
            return CommandResult{false,
                                 "\"" + Utf8Path(target) +
                                     "\" already exists with other content; rename the file or "
                                     "remove that one",
                                 ""};
        }
    } else {
        fs::create_directories(folder, ec);
        if (!WriteWholeFile(target, bytes, error)) return CommandResult{false, error, ""};
    }
    // The module lists its folders when the filter is initialised.
    if (!Restart(japanese_, error)) return CommandResult{false, error, ""};
    const int32_t key = preset ? kItemPreset : kItemGuide;
    const std::string stem = Stem(work.name);
    const hostcore::PropertyItem* item = host_->Item(key);
    const int32_t index = item != nullptr ? FindEnumString(*item, stem) : -1;
    if (index < 0) {
        return CommandResult{false, "the module does not list \"" + stem + "\"", ""};
    }
    const int32_t changed = host_->EditEnum(key, index);
    if (preset && changed != 2) {
        return CommandResult{false, "the module could not load the preset \"" + stem + "\"", stem};
    }
    return CommandResult{true, (preset ? "loaded preset " : "added guide ") + stem + notes, stem};
}

CommandResult ServeSession::DoSetLanguage(bool japanese) {
    std::string error;
    if (japanese == japanese_) return CommandResult{true, "", ""};
    if (!Restart(japanese, error)) return CommandResult{false, error, ""};
    return CommandResult{true, "", ""};
}

std::vector<PanelEdit> ServeSession::CurrentSettings(std::string& guideName) const {
    std::vector<PanelEdit> settings;
    guideName.clear();
    for (const SettingKey& key : SettingKeys()) {
        const hostcore::PropertyItem* item = host_->panel()->Find(key.item);
        if (item == nullptr) continue;
        PanelEdit e;
        e.item = item->key;
        e.kind = item->kind;
        e.boolValue = item->boolValue;
        e.intValue = item->kind == kKindEnum ? item->enumIndex : item->intValue;
        e.doubleValue = item->doubleValue;
        e.point = item->point;
        if (item->key == kItemGuide && item->enumIndex >= 2) {
            const auto it = item->enumStrings.find(item->enumIndex);
            if (it != item->enumStrings.end()) guideName = hostcore::Utf16ToUtf8(it->second);
        }
        settings.push_back(e);
    }
    return settings;
}

void ServeSession::RestoreSettings(const std::vector<PanelEdit>& settings,
                                   const std::string& guideName) {
    std::vector<PanelEdit> edits = settings;
    for (PanelEdit& e : edits) {
        if (e.item != kItemGuide || guideName.empty()) continue;
        const hostcore::PropertyItem* item = host_->Item(kItemGuide);
        const int32_t index = item != nullptr ? FindEnumString(*item, guideName) : -1;
        e.intValue = index >= 0 ? index : 0;
    }
    ApplyEdits(*host_, edits);
}

bool ServeSession::Restart(bool japanese, std::string& error) {
    std::string guideName;
    const std::vector<PanelEdit> settings = CurrentSettings(guideName);
    const bool wasJapanese = japanese_;
    CloseHost();
    if (!OpenHost(japanese, error)) {
        // Back to the language that worked, so the preview goes on.
        CloseHost();
        std::string again;
        if (!OpenHost(wasJapanese, again)) {
            CloseHost();
            error += "; the module could not be loaded again: " + again;
            return false;
        }
    }
    RestoreSettings(settings, guideName);
    return japanese_ == japanese;
}

}  // namespace velmora::cli
