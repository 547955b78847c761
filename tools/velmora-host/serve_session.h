// The module behind the live preview: one thread owns the host core and
// keeps the module inside one long filter run, as a painting application
// does while its filter dialog is open. Between passes the module asks
// "may I start?" (257); the thread answers once an edit is waiting, after
// applying it through the panel. During a pass the module asks "go on?"
// (258) on every progress step; a newer edit waiting makes the answer
// "stop", so the pass ends early and the newest settings render next.
//
// Other threads (the web server's) only queue work and read snapshots.
// Work that needs the run ended (a new picture, saving a preset, adding a
// preset or guide file, another language) ends it, is done between runs,
// and the run starts again.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/host_interface.h"
#include "tools/host_core/host_core.h"
#include "tools/velmora-host/edits.h"
#include "tools/velmora-host/picture.h"

namespace velmora::cli {

// What the page is told: every value it shows.
struct ServeState {
    uint64_t version = 0;        // grows with every change
    hostcore::PropertyObject panel;
    std::string title;           // the filter's name in the panel's language
    bool japanese = false;
    std::string pictureName;
    uint64_t pictureId = 0;      // grows with every new picture
    int32_t width = 0, height = 0;
    HostRgb colour{0, 0, 0};
    uint64_t queuedSeq = 0;      // the newest work queued
    uint64_t appliedSeq = 0;     // the newest work the module has been given
    uint64_t frameId = 0;        // 0: nothing rendered yet
    uint64_t frameSeq = 0;       // the newest work the frame shows
    uint64_t framePictureId = 0; // the picture the frame was drawn on
    bool rendering = false;
    int32_t progress = 0, progressRange = 0;
    uint64_t passesFinished = 0, passesStopped = 0;
    double lastPassMs = 0.0;     // time of the last finished pass
    std::string message;         // the last failure to show, empty when none
};

// A finished pass: the effect layer and the source it was drawn on.
struct ServeFrame {
    uint64_t id = 0;
    uint64_t seq = 0;
    uint64_t pictureId = 0;
    std::shared_ptr<const Picture> effect;
    std::shared_ptr<const Picture> source;
    std::string density;  // the source's pHYs chunk, kept in the PNGs made of it
};

struct CommandResult {
    bool ok = false;
    std::string message;  // what happened, for the page
    std::string name;     // the preset or guide the command made or added
};

class ServeSession {
public:
    struct Options {
        std::string modulePath;
        Picture picture;
        std::string pictureName;
        std::string pictureDensity;  // its pHYs chunk, if any
        bool japanese = false;
    };

    explicit ServeSession(Options options);
    ~ServeSession();  // Close()
    ServeSession(const ServeSession&) = delete;
    ServeSession& operator=(const ServeSession&) = delete;

    // Starts the module thread and waits until the module is loaded, its
    // panel declared and the template's points placed. False with a message.
    bool Start(std::string& error);
    // Ends the run and the module; wakes every waiter. Idempotent.
    void Close();

    // Edits of the panel, applied in order before the next pass; resolved
    // against the declared panel by the caller (EditFromJson). Returns the
    // sequence number of this work.
    uint64_t Edit(std::vector<PanelEdit> edits);
    uint64_t SetColour(HostRgb colour);

    // Work that ends the run; each waits for its outcome.
    CommandResult SetPicture(Picture picture, std::string name, std::string density = "");
    CommandResult SavePreset();
    CommandResult AddPreset(const std::string& fileName, std::string bytes);
    CommandResult AddGuide(const std::string& fileName, std::string bytes);
    CommandResult SetLanguage(bool japanese);

    ServeState Snapshot() const;
    // Waits until the state is newer than `since` (or the timeout passes,
    // or the session closes) and returns it.
    ServeState WaitForChange(uint64_t since, std::chrono::milliseconds timeout) const;
    ServeFrame Frame() const;
    std::shared_ptr<const Picture> Source() const;
    // Waits until a frame shows all work queued before the call; false on
    // timeout or close.
    bool WaitUntilCurrent(std::chrono::milliseconds timeout, ServeFrame& frame) const;
    bool closed() const;

private:
    enum class WorkKind { kEdits, kColour, kPicture, kSavePreset, kAddPreset, kAddGuide, kLanguage };
    struct Work {
        WorkKind kind = WorkKind::kEdits;
        uint64_t seq = 0;
        std::vector<PanelEdit> edits{};
        HostRgb colour{0, 0, 0};
        Picture picture{};
        std::string name{};
        std::string bytes{};    // a file's bytes; a picture's pHYs chunk
        bool japanese = false;
        std::string refused{};  // why an edit was not applied
        std::promise<CommandResult> done{};
        bool EndsRun() const { return kind != WorkKind::kEdits && kind != WorkKind::kColour; }
    };

    uint64_t Queue(Work work);
    CommandResult QueueAndWait(Work work);

    // On the module thread.
    void Main(std::promise<std::string> started);
    bool OpenHost(bool japanese, std::string& error);
    void CloseHost();
    bool SetUpLayers();
    // Chooses the template again, which puts the base points in its places.
    void PlaceTemplatePoints();
    void RunLive();
    int32_t Reply(int32_t request);
    int32_t StartPass();
    int32_t ContinuePass();
    int32_t EndPass();
    void ApplyLight(Work& work);
    CommandResult Execute(Work& work);
    CommandResult DoSetPicture(Work& work);
    CommandResult DoSavePreset();
    CommandResult DoAddFile(Work& work);
    CommandResult DoSetLanguage(bool japanese);
    bool Restart(bool japanese, std::string& error);
    std::vector<PanelEdit> CurrentSettings(std::string& guideName) const;
    void RestoreSettings(const std::vector<PanelEdit>& settings, const std::string& guideName);
    void ReportFaults();
    // Changes the published state under its lock and wakes the waiters.
    template <class Change>
    void Publish(Change change) {
        {
            std::lock_guard<std::mutex> lock(stateMutex_);
            change(state_);
            ++state_.version;
        }
        stateCv_.notify_all();
    }
    void PublishPanel(ServeState& state) const;

    Options options_;
    std::thread thread_;

    // The queue, shared with the web threads.
    mutable std::mutex queueMutex_;
    std::condition_variable queueCv_;
    std::deque<std::unique_ptr<Work>> queue_;
    uint64_t nextSeq_ = 0;
    bool closing_ = false;

    // The published state, shared with the web threads.
    mutable std::mutex stateMutex_;
    mutable std::condition_variable stateCv_;
    ServeState state_;
    ServeFrame frame_;
    std::shared_ptr<const Picture> source_;
    std::string density_;
    bool closed_ = false;

    // Module thread only.
    std::unique_ptr<hostcore::HostCore> host_;
    bool japanese_ = false;
    HostRgb colour_{0, 0, 0};
    bool needRender_ = true;
    bool passStopped_ = false;
    uint64_t applied_ = 0;
    uint64_t passSeq_ = 0;
    std::chrono::steady_clock::time_point passStart_{};
    std::chrono::steady_clock::time_point lastProgressPublish_{};
};

}  // namespace velmora::cli
