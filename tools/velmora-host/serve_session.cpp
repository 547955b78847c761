// The live preview's session as the web threads see it: starting and
// closing the module thread, queueing work, reading the published state.
#include "tools/velmora-host/serve_session.h"

#include <algorithm>

namespace velmora::cli {

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

uint64_t ServeSession::Queue(Work work) {
    auto item = std::make_unique<Work>(std::move(work));
    uint64_t seq = 0;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (closing_) {
            item->done.set_value(CommandResult{false, "the preview server is stopping", ""});
            return 0;
        }
        seq = item->seq = ++nextSeq_;
        queue_.push_back(std::move(item));
    }
    queueCv_.notify_all();
    Publish([seq](ServeState& s) { s.queuedSeq = std::max(s.queuedSeq, seq); });
    return seq;
}

CommandResult ServeSession::QueueAndWait(Work work) {
    std::future<CommandResult> result = work.done.get_future();
    Queue(std::move(work));
    return result.get();
}

uint64_t ServeSession::Edit(std::vector<PanelEdit> edits) {
    return Queue(Work{.kind = WorkKind::kEdits, .edits = std::move(edits)});
}

uint64_t ServeSession::SetColour(HostRgb colour) {
    return Queue(Work{.kind = WorkKind::kColour, .colour = colour});
}

CommandResult ServeSession::SetPicture(Picture picture, std::string name, std::string density) {
    return QueueAndWait(Work{.kind = WorkKind::kPicture,
                             .picture = std::move(picture),
                             .name = std::move(name),
                             .bytes = std::move(density)});
}

CommandResult ServeSession::SavePreset() {
    return QueueAndWait(Work{.kind = WorkKind::kSavePreset});
}

CommandResult ServeSession::AddPreset(const std::string& fileName, std::string bytes) {
    return QueueAndWait(
        Work{.kind = WorkKind::kAddPreset, .name = fileName, .bytes = std::move(bytes)});
}

CommandResult ServeSession::AddGuide(const std::string& fileName, std::string bytes) {
    return QueueAndWait(
        Work{.kind = WorkKind::kAddGuide, .name = fileName, .bytes = std::move(bytes)});
}

CommandResult ServeSession::SetLanguage(bool japanese) {
    return QueueAndWait(Work{.kind = WorkKind::kLanguage, .japanese = japanese});
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

}  // namespace velmora::cli
