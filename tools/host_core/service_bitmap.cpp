// BitmapService: the bitmaps the module creates to hold a layer's copy.
#include <algorithm>

#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {

constexpr Service kTable = Service::kBitmap;

// A value of a bitmap the host knows into *out.
HostInt Answer(const char* name, HostInt* out, HostBitmap handle, int32_t Bitmap::*value) {
    return Run(kTable, name, {}, [&](HostCore& h) {
        Bitmap* b = h.GetBitmap(handle);
        if (b == nullptr) return Refuse(h, std::string(name) + ": unknown bitmap");
        *out = b->*value;
        return kOk;
    }, out);
}

}  // namespace

BitmapService BitmapSlots() {
    BitmapService t{};
    t.create = [](HostBitmap* out, HostInt width, HostInt height, HostInt channels,
                  HostInt scanline) {
        const std::string detail =
            Num(width) + "x" + Num(height) + "x" + Num(channels) + " " + Num(scanline);
        return Run(kTable, "create", detail, [&](HostCore& h) {
            if (AnswerNull(h, out)) return kOk;
            if (width < 0 || height < 0 || channels < 1 || channels > 8) {
                *out = nullptr;
                return Refuse(h, "bitmap create: bad size or channel count");
            }
            auto b = std::make_unique<Bitmap>();
            b->width = width;
            b->height = height;
            b->pixelBytes = channels;
            b->rowBytes = width * channels + std::max(h.options().bitmapRowPadding, 0);
            b->pixels.assign(size_t(b->rowBytes) * height, 0);
            const auto handle = reinterpret_cast<HostBitmap>(b.get());
            h.bitmaps[handle] = std::move(b);
            ++h.bitmapsCreated_;
            *out = handle;
            return kOk;
        }, out);
    };
    t.release = [](HostBitmap b) {
        return Run(kTable, "release", {}, [&](HostCore& h) {
            if (h.bitmaps.erase(b) != 1) {
                return Refuse(h, "bitmap release: unknown or released bitmap");
            }
            return kOk;
        });
    };
    t.pixelAddress = [](uint8_t** out, HostBitmap handle, const HostPoint* point) {
        return Run(kTable, "pixelAddress", {}, [&](HostCore& h) {
            if (AnswerNull(h, out)) return kOk;
            *out = nullptr;
            Bitmap* b = h.GetBitmap(handle);
            if (b == nullptr || point == nullptr) {
                return Refuse(h, "pixelAddress: unknown bitmap or null point");
            }
            if (b->width == 0 || b->height == 0) return kFailed;  // no pixels to point at
            if (point->x < 0 || point->y < 0 || point->x >= b->width || point->y >= b->height) {
                return Refuse(h, "pixelAddress: point outside the bitmap");
            }
            *out = b->pixels.data() + size_t(point->y) * b->rowBytes +
                   size_t(point->x) * b->pixelBytes;
            return kOk;
        }, out);
    };
    t.rowBytes = [](HostInt* out, HostBitmap b) {
        return Answer("rowBytes", out, b, &Bitmap::rowBytes);
    };
    t.pixelBytes = [](HostInt* out, HostBitmap b) {
        return Answer("pixelBytes", out, b, &Bitmap::pixelBytes);
    };
    return t;
}

}  // namespace velmora::hostcore
