// The module thread of the live preview: it keeps the module inside one
// filter run and answers its requests between and during passes.
#include <chrono>
#include <cstdio>

#include "tools/velmora-host/module_session.h"
#include "tools/velmora-host/panel_items.h"
#include "tools/velmora-host/serve_json.h"
#include "tools/velmora-host/serve_session.h"

namespace velmora::cli {
namespace {

using Clock = std::chrono::steady_clock;

// Progress is published at most this often; a pass shorter than that shows
// no bar at all.
constexpr auto kProgressInterval = std::chrono::milliseconds(40);

}  // namespace

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
    PlaceTemplatePoints();
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

void ServeSession::PlaceTemplatePoints() {
    if (const hostcore::PropertyItem* item = host_->Item(kItemTemplate)) {
        host_->EditEnum(kItemTemplate, item->enumIndex);
    }
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

}  // namespace velmora::cli
