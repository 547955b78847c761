// Filter run cycle: layers, render pass, compositing.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "controller/composite.h"
#include "controller/pass_bounds.h"
#include "controller/render_context.h"
#include "controller/velmora_manager.h"
#include "data/guide_file.h"
#include "layout/layouts.h"

namespace velmora {

namespace {

// Largest "Size", "Length", "Length Gain" and "Base Position" the panel offers.
constexpr double kLargestPenSize = SettingRowFor(kItemSize).maximum;
constexpr int32_t kLongestLength = static_cast<int32_t>(SettingRowFor(kItemLength).maximum);
constexpr double kLargestLengthGain = SettingRowFor(kItemLengain).maximum;
constexpr int32_t kFarthestPosition = static_cast<int32_t>(SettingRowFor(kItemPosition).maximum);


constexpr int32_t kProgressRange = 500;

// Channels of the plug-in bitmap for a host channel kind.
int32_t ChannelCountForKind(int32_t kind) {
    switch (kind) {
        case 2:
        case 6: return 2;
        case 3: return 4;
        case 4: return 5;
        default: return 1;
    }
}

bool ReportProgressThunk(int total, int done, void* controller) {
    return static_cast<VelmoraManager*>(controller)->ReportProgress(total, done);
}

bool KeepContactThunk(void* controller) {
    return static_cast<VelmoraManager*>(controller)->KeepContact();
}

// Settings past the panel's ranges that would only make more work: the
// pass takes the panel's limit instead. A pen wider than the largest would
// stamp discs over the whole canvas at every step; a longer length, gain or
// shift makes runs of billions of steps (length 1e6 and gain 1e9 on rings
// ran for minutes). Values inside the ranges, and NaN, pass unchanged.
void KeepWithinPanelLimits(RenderSettings& s) {
    if (s.size > kLargestPenSize) s.size = kLargestPenSize;
    s.length = std::min(s.length, kLongestLength);
    if (s.lengain > kLargestLengthGain) s.lengain = kLargestLengthGain;
    s.position = std::clamp(s.position, -kFarthestPosition, kFarthestPosition);
}

// The selection, when there is one of the source's size; otherwise none.
MaskBlock MaskFor(const LayerBlock& selection, const LayerBlock& source) {
    MaskBlock mask;
    if (selection.pixels != nullptr && selection.width == source.width &&
        selection.height == source.height) {
        mask.rowBytes = selection.rowBytes;
        mask.pixels = selection.pixels;
    }
    return mask;
}

void RunLayout(RenderContext& context, const PassSeams& seams) {
    if (seams.layout != nullptr) {
        seams.layout(context);
        return;
    }
    switch (context.stroke.type) {
        case kTemplateConcentric: LayoutConcentric(context); break;
        case kTemplateParallel: LayoutParallel(context); break;
        default: LayoutRadial(context); break;
    }
}

}  // namespace

void VelmoraManager::BeginRun() {
    host.SetProgressRange(kProgressRange);
    AcquireLayers();
}

void VelmoraManager::AcquireLayers() {
    // Bitmaps of a run that never ended are released, not lost.
    ReleaseLayers();

    LayerBlock* const blocks[3] = {&source, &destination, &selection};
    for (int which = 0; which < 3; ++which) {
        LayerBlock& block = *blocks[which];
        block = LayerBlock{};
        if (which == 0) {
            block.offscreen = host.SourceOffscreen();
        } else if (which == 1) {
            block.offscreen = host.DestinationOffscreen();
        } else {
            if (!host.HasSelection()) continue;
            block.offscreen = host.SelectionOffscreen();
        }
        if (block.offscreen == nullptr) continue;
        if (!DescribeLayer(block)) {
            block = LayerBlock{};  // absent: no bitmap, no copy
            continue;
        }
        const int32_t channels = ChannelCountForKind(block.kind);
        block.bitmap = host.CreateBitmap(block.width, block.height, channels);
        if (block.bitmap == nullptr) continue;
        block.rowBytes = host.RowBytes(block.bitmap);
        block.pixelBytes = host.PixelBytes(block.bitmap);
        // The host copies whole pixels: a bitmap whose pixels are not the
        // layer's size, or whose rows can't hold a row of the layer, would
        // be overrun (or read past) by the copy. Such a layer is absent.
        if (block.pixelBytes != channels ||
            int64_t{block.rowBytes} < int64_t{block.width} * channels) {
            host.ReleaseBitmap(block.bitmap);
            block = LayerBlock{};
            continue;
        }
        host.CopyToBitmap(block.bitmap, block.offscreen, block.width, block.height);
        block.pixels = host.PixelAddress(block.bitmap, HostPoint{0, 0});
    }
}

bool VelmoraManager::DescribeLayer(LayerBlock& block) const {
    const std::optional<int32_t> width = host.OffscreenWidth(block.offscreen);
    if (!width) return false;
    const std::optional<int32_t> height = host.OffscreenHeight(block.offscreen);
    if (!height) return false;
    const std::optional<int32_t> kind = host.OffscreenKind(block.offscreen);
    if (!kind) return false;
    block.width = *width;
    block.height = *height;
    block.kind = *kind;
    if (block.kind == 3) return host.ColourIndices(block.offscreen, block.channelIndex);
    if (block.kind == 4) return host.FourIndices(block.offscreen, block.channelIndex);
    return true;
}

void VelmoraManager::Render() {
    lastProgress = 0;
    lastReply = kProcessStart;
    lastContact = std::chrono::steady_clock::now();

    PathParser fallbackGuide;
    PathParser* const guide = GuideOfPass(fallbackGuide);
    if (guide == nullptr) return;  // the host stopped the pass while the guide was read
    RenderContext context(seams.workers);
    PrepareContext(context, *guide);
    if (RunPass(context) && lastReply == kProcessStart) WriteBack(context);
}

PathParser* VelmoraManager::GuideOfPass(PathParser& fallback) {
    if (guides.empty()) {
        LoadGuide(fallback, u":S");
        return &fallback;
    }
    const size_t index = settings.guide >= 0 && static_cast<size_t>(settings.guide) < guides.size()
                             ? static_cast<size_t>(settings.guide)
                             : 0;
    GuideEntry& entry = guides[index];
    if (!entry.path) {
        // Parsed on first use and kept in its entry. The host hears from the
        // pass while a long file is read; a stop then ends the pass, and the
        // file is read again next time.
        auto parsed = std::make_unique<PathParser>();
        if (!LoadGuide(*parsed, entry.name, LoadWatch{KeepContactThunk, this})) return nullptr;
        entry.path = std::move(parsed);
    }
    return entry.path.get();
}

void VelmoraManager::PrepareContext(RenderContext& context, PathParser& guide) {
    RenderSettings pass = snapshot.settings;
    KeepWithinPanelLimits(pass);
    if (!pass.asdist) {
        pass.in = std::min(pass.in, 1.0);
        pass.out = std::min(pass.out, 1.0);
    }
    context.UseSettings(pass);
    context.stamp = seams.stamp;
    context.portableStamp = seams.portableStamp;

    const Points3 points{snapshot.p1, snapshot.p2, snapshot.p3};
    switch (pass.type) {
        case kTemplateParallel: context.parallelPoints = std::make_unique<Points3>(points); break;
        case kTemplateConcentric:
            context.ring = std::make_unique<RingShape>(FitRing(snapshot.p1, snapshot.p2, snapshot.p3));
            break;
        default: context.radialPoints = std::make_unique<Points3>(points); break;
    }
    context.guidePath = &guide;
    context.progressData = this;
    context.progressFn = ReportProgressThunk;
    context.contactFn = KeepContactThunk;
    context.contactData = this;

    if (source.pixels != nullptr) {
        context.source = MakePixelBlock(source);
        context.mask = MaskFor(selection, source);
        context.AllocateCoverage();
    }
}

bool VelmoraManager::RunPass(RenderContext& context) {
    if (context.source.pixels == nullptr) return true;  // nothing to draw from
    try {
        RunLayout(context, seams);
        // Each line's share of the pass's work, from the number of lines.
        const LineLimits limits = LineLimitsFor(context.pool.PendingCount(),
                                                context.source.width, context.source.height);
        context.lineSegmentLimit = limits.segments;
        context.lineSampleLimit = limits.samples;
        context.lineStepLimit = limits.steps;
        context.pool.progressFn = progressRelay;
        context.pool.heartbeatFn = heartbeatRelay;
        context.pool.progressData = &context;
        // A stop during the layout: the queued tasks are dropped unrun.
        if (!context.cancelled.load()) context.pool.Run();
        return true;
    } catch (...) {
        // A layout or a task failed (the pool has waited for every task it
        // handed out): the coverage is incomplete, so the pass is dropped
        // like a stopped one and the layer keeps its content.
        return false;
    }
}

void VelmoraManager::WriteBack(const RenderContext& context) {
    const ColourValue colour = ColourValueFor(destination, host.MainColour());
    if (seams.composite != nullptr)
        seams.composite(context, colour, destination);
    else
        Composite(context, colour, destination);
    // Without a destination layer (or its copy) there is nothing to hand back.
    if (destination.offscreen != nullptr && destination.bitmap != nullptr) {
        host.CopyFromBitmap(destination.offscreen, destination.bitmap, destination.width,
                            destination.height);
        host.AreaChanged(HostRect{0, 0, destination.width, destination.height});
    }
}

void VelmoraManager::EndRun() {
    ReleaseLayers();
    if (settings.savePreset) SavePreset();
}

bool VelmoraManager::ReportProgress(int total, int done) {
    if (total <= 0) return true;
    // done never exceeds total, so the product fits; computed wide all the same.
    const int64_t scaled = static_cast<int64_t>(done) * kProgressRange / total;
    const int32_t p = static_cast<int32_t>(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX));
    if (p <= lastProgress) return true;
    host.ReportProgress(p);
    lastProgress = p;
    lastReply = host.ProcessState(kProcessContinue, kProcessStart);
    lastContact = std::chrono::steady_clock::now();
    return lastReply == kProcessStart;
}

bool VelmoraManager::KeepContact() {
    if (lastReply != kProcessStart) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastContact < kContactInterval) return true;
    lastReply = host.ProcessState(kProcessContinue, kProcessStart);
    lastContact = std::chrono::steady_clock::now();
    return lastReply == kProcessStart;
}

}  // namespace velmora
