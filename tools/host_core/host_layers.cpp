// The host's canvas and layers: offscreens made from pixels, read back as
// RGBA, and the drawing colours.
#include <algorithm>

#include "tools/host_core/host_core.h"

namespace velmora::hostcore {

int32_t ChannelsForKind(int32_t kind) {
    switch (kind) {
        case kChannelKindRgb: return 4;
        case kChannelKindGrey:
        case kChannelKindBinary: return 2;
        case kChannelKindFourColour: return 5;
        default: return 1;
    }
}

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

}  // namespace velmora::hostcore
