// The service tables: C-callable slots that find the current host, check
// what the module passes, and act on the host's state.
#include <algorithm>
#include <cstring>
#include <string>

#include "tools/host_core/host_core.h"

namespace velmora::hostcore {
namespace {

constexpr HostInt kOk = 0;
constexpr HostInt kFailed = 1;

std::string Num(long long v) { return std::to_string(v); }

// The host answering a call; null when none exists.
HostCore* Enter(Service s, const char* slot, std::string detail = {}) {
    HostCore* h = HostCore::Current();
    if (h == nullptr) return nullptr;
    h->CheckThread(slot);
    h->Log(s, slot, std::move(detail));
    if (h->InjectFailure()) return nullptr;  // fails as a host would: nothing written
    return h;
}

// Null-handle mode: the call succeeds and hands out null.
template <typename T>
bool AnswerNull(HostCore* h, T* out) {
    if (!h->options().nullHandles) return false;
    *out = nullptr;
    return true;
}

// --- ModuleInitService --------------------------------------------------------

HostInt HostVersion(HostInt* out, HostObject host) {
    HostCore* h = Enter(Service::kModuleInit, "hostVersion");
    if (h == nullptr || out == nullptr) return kFailed;
    h->CheckHostObject(host, "hostVersion");
    *out = h->options().hostVersion;
    return kOk;
}

HostInt SetModuleId(HostObject host, HostString id) {
    HostCore* h = Enter(Service::kModuleInit, "setModuleId");
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setModuleId");
    if (h->strings.count(id) == 0) {
        h->Fault("setModuleId: unknown string");
        return kFailed;
    }
    h->moduleId_ = Utf16ToUtf8(h->StringText(id));
    return kOk;
}

HostInt SetModuleKind(HostObject host, HostInt kind) {
    HostCore* h = Enter(Service::kModuleInit, "setModuleKind", Num(kind));
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setModuleKind");
    h->moduleKind_ = kind;
    return kOk;
}

// --- FilterInitService --------------------------------------------------------

HostInt NameText(HostCore* h, HostString name, const char* where, std::u16string& text) {
    if (h->strings.count(name) == 0) {
        h->Fault(std::string(where) + ": unknown string");
        return kFailed;
    }
    text = h->StringText(name);
    return kOk;
}

HostInt SetCategoryName(HostObject host, HostString name, HostInt accessKey) {
    HostCore* h = Enter(Service::kFilterInit, "setCategoryName");
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setCategoryName");
    h->filter_.categoryAccessKey = accessKey;
    return NameText(h, name, "setCategoryName", h->filter_.categoryName);
}

HostInt SetFilterName(HostObject host, HostString name, HostInt accessKey) {
    HostCore* h = Enter(Service::kFilterInit, "setFilterName");
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setFilterName");
    h->filter_.filterAccessKey = accessKey;
    return NameText(h, name, "setFilterName", h->filter_.filterName);
}

HostInt SetFirstSwitch(HostObject host, HostBool on) {
    HostCore* h = Enter(Service::kFilterInit, "setFirstSwitch", Num(on));
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setFirstSwitch");
    h->filter_.firstSwitch = on != 0;
    return kOk;
}

HostInt SetSecondSwitch(HostObject host, HostBool on) {
    HostCore* h = Enter(Service::kFilterInit, "setSecondSwitch", Num(on));
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setSecondSwitch");
    h->filter_.secondSwitch = on != 0;
    return kOk;
}

HostInt SetTargetKinds(HostObject host, const HostInt* kinds, HostInt count) {
    HostCore* h = Enter(Service::kFilterInit, "setTargetKinds", Num(count));
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setTargetKinds");
    if (count < 0 || (count > 0 && kinds == nullptr)) {
        h->Fault("setTargetKinds: bad array");
        return kFailed;
    }
    h->filter_.targetKinds.assign(kinds, kinds + count);
    return kOk;
}

HostInt SetPropertyObject(HostObject host, HostPropertyObject object) {
    HostCore* h = Enter(Service::kFilterInit, "setPropertyObject");
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setPropertyObject");
    if (object != nullptr && h->propertyObjects.count(object) == 0) {
        h->Fault("setPropertyObject: unknown property object");
        return kFailed;
    }
    h->filter_.propertyObject = object;
    return kOk;
}

HostInt SetPropertyCallback(HostObject host, PropertyCallback callback, void* data) {
    HostCore* h = Enter(Service::kFilterInit, "setPropertyCallback");
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "setPropertyCallback");
    h->filter_.callback = callback;
    h->filter_.callbackData = data;
    return kOk;
}

// --- FilterRunService ---------------------------------------------------------

HostInt CanvasWidth(HostInt* out, HostObject host) {
    HostCore* h = Enter(Service::kFilterRun, "canvasWidth");
    if (h == nullptr || out == nullptr) return kFailed;
    h->CheckHostObject(host, "canvasWidth");
    *out = h->canvasWidth();
    return kOk;
}

HostInt CanvasHeight(HostInt* out, HostObject host) {
    HostCore* h = Enter(Service::kFilterRun, "canvasHeight");
    if (h == nullptr || out == nullptr) return kFailed;
    h->CheckHostObject(host, "canvasHeight");
    *out = h->canvasHeight();
    return kOk;
}

HostInt SourceOffscreen(HostOffscreen* out, HostObject host) {
    HostCore* h = Enter(Service::kFilterRun, "sourceOffscreen");
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    h->CheckHostObject(host, "sourceOffscreen");
    *out = h->source();
    return *out != nullptr ? kOk : kFailed;
}

HostInt DestinationOffscreen(HostOffscreen* out, HostObject host) {
    HostCore* h = Enter(Service::kFilterRun, "destinationOffscreen");
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    h->CheckHostObject(host, "destinationOffscreen");
    *out = h->destination();
    return *out != nullptr ? kOk : kFailed;
}

HostInt HasSelection(HostBool* out, HostObject host) {
    HostCore* h = Enter(Service::kFilterRun, "hasSelection");
    if (h == nullptr || out == nullptr) return kFailed;
    h->CheckHostObject(host, "hasSelection");
    *out = h->selection() != nullptr ? 1 : 0;
    return kOk;
}

HostInt SelectionOffscreen(HostOffscreen* out, HostObject host) {
    HostCore* h = Enter(Service::kFilterRun, "selectionOffscreen");
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    h->CheckHostObject(host, "selectionOffscreen");
    *out = h->selection();
    return *out != nullptr ? kOk : kFailed;
}

HostInt AreaChanged(HostObject host, const HostRect* rect) {
    HostCore* h = Enter(Service::kFilterRun, "areaChanged");
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "areaChanged");
    if (rect == nullptr) {
        h->Fault("areaChanged: null rectangle");
        return kFailed;
    }
    h->areasChanged_.push_back(*rect);
    return kOk;
}

HostInt DrawingColours(HostRgb* main, HostRgb* sub, HostObject host) {
    HostCore* h = Enter(Service::kFilterRun, "drawingColours");
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "drawingColours");
    if (main == nullptr || sub == nullptr) {
        h->Fault("drawingColours: null colour");
        return kFailed;
    }
    *main = h->mainColour_;
    *sub = h->subColour_;
    return kOk;
}

HostInt ProcessState(HostInt* reply, HostObject host, HostInt request) {
    HostCore* h = Enter(Service::kFilterRun, "processState", Num(request));
    if (h == nullptr || reply == nullptr) return kFailed;
    h->CheckHostObject(host, "processState");
    if (request != kProcessStart && request != kProcessContinue && request != kProcessDone) {
        h->Fault("processState: unknown request " + Num(request));
    }
    *reply = h->ReplyFor(request);
    return kOk;
}

HostInt ProgressRange(HostObject host, HostInt total) {
    HostCore* h = Enter(Service::kFilterRun, "progressRange", Num(total));
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "progressRange");
    h->progressRanges_.push_back(total);
    return kOk;
}

HostInt ProgressValue(HostObject host, HostInt value) {
    HostCore* h = Enter(Service::kFilterRun, "progressValue", Num(value));
    if (h == nullptr) return kFailed;
    h->CheckHostObject(host, "progressValue");
    if (value < 0 || (!h->progressRanges_.empty() && value > h->progressRanges_.back())) {
        h->Fault("progressValue " + Num(value) + " outside the range");
    }
    h->progressValues_.push_back(value);
    if (h->progressObserver) {
        h->progressObserver(value, h->progressRanges_.empty() ? 0 : h->progressRanges_.back());
    }
    return kOk;
}

// --- StringService ------------------------------------------------------------

HostInt FromNarrow(HostString* out, const char* chars, HostInt byteCount) {
    HostCore* h = Enter(Service::kString, "fromNarrow", Num(byteCount));
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    if (byteCount < 0 || (byteCount > 0 && chars == nullptr)) {
        h->Fault("fromNarrow: bad text");
        *out = nullptr;
        return kFailed;
    }
    *out = h->NewString(Utf8ToUtf16(std::string_view(chars, size_t(byteCount))));
    return kOk;
}

HostInt FromUtf16(HostString* out, const HostChar16* chars, HostInt count) {
    HostCore* h = Enter(Service::kString, "fromUtf16", Num(count));
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    if (count < 0 || (count > 0 && chars == nullptr)) {
        h->Fault("fromUtf16: bad text");
        *out = nullptr;
        return kFailed;
    }
    *out = h->NewString(std::u16string(chars, size_t(count)));
    return kOk;
}

HostInt FromTable(HostString* out, HostInt id, HostObject host) {
    HostCore* h = Enter(Service::kString, "fromTable", Num(id));
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    h->CheckHostObject(host, "fromTable");
    const std::u16string* text = h->stringTable().Find(id, h->options().language);
    if (text == nullptr) {
        if (!h->stringTable().empty()) h->Fault("fromTable: no string " + Num(id));
        *out = nullptr;
        return kFailed;
    }
    *out = h->NewString(*text);
    return kOk;
}

HostInt ReleaseString(HostString s) {
    HostCore* h = Enter(Service::kString, "release");
    if (h == nullptr) return kFailed;
    if (!h->ReleaseString(s)) {
        h->Fault("string release: unknown or released string");
        return kFailed;
    }
    return kOk;
}

HostInt Utf16Text(const HostChar16** out, HostString s) {
    HostCore* h = Enter(Service::kString, "utf16Text");
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    const auto it = h->strings.find(s);
    if (it == h->strings.end()) {
        h->Fault("utf16Text: unknown string");
        *out = nullptr;
        return kFailed;
    }
    *out = it->second->text.c_str();
    return kOk;
}

// --- BitmapService ------------------------------------------------------------

HostInt CreateBitmap(HostBitmap* out, HostInt width, HostInt height, HostInt channels,
                     HostInt scanline) {
    HostCore* h = Enter(Service::kBitmap, "create",
                        Num(width) + "x" + Num(height) + "x" + Num(channels) + " " + Num(scanline));
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    if (width < 0 || height < 0 || channels < 1 || channels > 8) {
        h->Fault("bitmap create: bad size or channel count");
        *out = nullptr;
        return kFailed;
    }
    auto b = std::make_unique<Bitmap>();
    b->width = width;
    b->height = height;
    b->pixelBytes = channels;
    b->rowBytes = width * channels + std::max(h->options().bitmapRowPadding, 0);
    b->pixels.assign(size_t(b->rowBytes) * height, 0);
    const auto handle = reinterpret_cast<HostBitmap>(b.get());
    h->bitmaps[handle] = std::move(b);
    ++h->bitmapsCreated_;
    *out = handle;
    return kOk;
}

HostInt ReleaseBitmap(HostBitmap b) {
    HostCore* h = Enter(Service::kBitmap, "release");
    if (h == nullptr) return kFailed;
    if (h->bitmaps.erase(b) != 1) {
        h->Fault("bitmap release: unknown or released bitmap");
        return kFailed;
    }
    return kOk;
}

HostInt PixelAddress(uint8_t** out, HostBitmap handle, const HostPoint* point) {
    HostCore* h = Enter(Service::kBitmap, "pixelAddress");
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    *out = nullptr;
    Bitmap* b = h->GetBitmap(handle);
    if (b == nullptr || point == nullptr) {
        h->Fault("pixelAddress: unknown bitmap or null point");
        return kFailed;
    }
    if (b->width == 0 || b->height == 0) return kFailed;  // no pixels to point at
    if (point->x < 0 || point->y < 0 || point->x >= b->width || point->y >= b->height) {
        h->Fault("pixelAddress: point outside the bitmap");
        return kFailed;
    }
    *out = b->pixels.data() + size_t(point->y) * b->rowBytes + size_t(point->x) * b->pixelBytes;
    return kOk;
}

HostInt RowBytes(HostInt* out, HostBitmap handle) {
    HostCore* h = Enter(Service::kBitmap, "rowBytes");
    if (h == nullptr || out == nullptr) return kFailed;
    Bitmap* b = h->GetBitmap(handle);
    if (b == nullptr) {
        h->Fault("rowBytes: unknown bitmap");
        return kFailed;
    }
    *out = b->rowBytes;
    return kOk;
}

HostInt PixelBytes(HostInt* out, HostBitmap handle) {
    HostCore* h = Enter(Service::kBitmap, "pixelBytes");
    if (h == nullptr || out == nullptr) return kFailed;
    Bitmap* b = h->GetBitmap(handle);
    if (b == nullptr) {
        h->Fault("pixelBytes: unknown bitmap");
        return kFailed;
    }
    *out = b->pixelBytes;
    return kOk;
}

// --- OffscreenService ---------------------------------------------------------

Offscreen* FindOffscreen(HostCore* h, HostOffscreen o, const char* where) {
    Offscreen* off = h->GetOffscreen(o);
    if (off == nullptr) h->Fault(std::string(where) + ": unknown offscreen");
    return off;
}

HostInt OffscreenWidth(HostInt* out, HostOffscreen o) {
    HostCore* h = Enter(Service::kOffscreen, "width");
    if (h == nullptr || out == nullptr) return kFailed;
    Offscreen* off = FindOffscreen(h, o, "width");
    if (off == nullptr) return kFailed;
    *out = off->width;
    return kOk;
}

HostInt OffscreenHeight(HostInt* out, HostOffscreen o) {
    HostCore* h = Enter(Service::kOffscreen, "height");
    if (h == nullptr || out == nullptr) return kFailed;
    Offscreen* off = FindOffscreen(h, o, "height");
    if (off == nullptr) return kFailed;
    *out = off->height;
    return kOk;
}

HostInt OffscreenKind(HostInt* out, HostOffscreen o) {
    HostCore* h = Enter(Service::kOffscreen, "channelKind");
    if (h == nullptr || out == nullptr) return kFailed;
    Offscreen* off = FindOffscreen(h, o, "channelKind");
    if (off == nullptr) return kFailed;
    *out = off->kind;
    return kOk;
}

HostInt ColourIndices(HostInt* r, HostInt* g, HostInt* b, HostOffscreen o) {
    HostCore* h = Enter(Service::kOffscreen, "colourIndices");
    if (h == nullptr || r == nullptr || g == nullptr || b == nullptr) return kFailed;
    Offscreen* off = FindOffscreen(h, o, "colourIndices");
    if (off == nullptr) return kFailed;
    *r = off->colourIndices[0];
    *g = off->colourIndices[1];
    *b = off->colourIndices[2];
    return kOk;
}

HostInt FourIndices(HostInt* c0, HostInt* c1, HostInt* c2, HostInt* c3, HostOffscreen o) {
    HostCore* h = Enter(Service::kOffscreen, "fourIndices");
    if (h == nullptr || c0 == nullptr || c1 == nullptr || c2 == nullptr || c3 == nullptr) {
        return kFailed;
    }
    Offscreen* off = FindOffscreen(h, o, "fourIndices");
    if (off == nullptr) return kFailed;
    *c0 = off->fourIndices[0];
    *c1 = off->fourIndices[1];
    *c2 = off->fourIndices[2];
    *c3 = off->fourIndices[3];
    return kOk;
}

// Copies whole pixels of a width x height box, clipped to both images.
template <typename DstAt, typename SrcAt>
void CopyBox(HostCore* h, const char* where, int32_t dstW, int32_t dstH, int32_t dstBytes,
             DstAt dstAt, HostPoint dp, int32_t srcW, int32_t srcH, int32_t srcBytes, SrcAt srcAt,
             HostPoint sp, int32_t width, int32_t height) {
    if (dstBytes != srcBytes) {
        h->Fault(std::string(where) + ": pixel sizes differ (" + Num(dstBytes) + " vs " +
                 Num(srcBytes) + ")");
    }
    const int32_t n = std::min(dstBytes, srcBytes);
    // Columns inside both images; pixels of one row lie side by side in
    // both, so equal pixel sizes copy a row's stretch at once.
    int64_t xFirst = 0, xEnd = width;
    xFirst = std::max({xFirst, -int64_t(sp.x), -int64_t(dp.x)});
    xEnd = std::min({xEnd, int64_t(srcW) - sp.x, int64_t(dstW) - dp.x});
    for (int32_t y = 0; y < height; ++y) {
        const int64_t sy = int64_t(sp.y) + y, dy = int64_t(dp.y) + y;
        if (sy < 0 || dy < 0 || sy >= srcH || dy >= dstH) continue;
        if (dstBytes == srcBytes) {
            if (xFirst < xEnd)
                std::memmove(dstAt(int32_t(dp.x + xFirst), int32_t(dy)),
                             srcAt(int32_t(sp.x + xFirst), int32_t(sy)),
                             size_t(xEnd - xFirst) * size_t(n));
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            const int64_t sx = int64_t(sp.x) + x, dx = int64_t(dp.x) + x;
            if (sx < 0 || dx < 0 || sx >= srcW || dx >= dstW) continue;
            std::copy_n(srcAt(int32_t(sx), int32_t(sy)), n, dstAt(int32_t(dx), int32_t(dy)));
        }
    }
}

HostInt CopyToBitmap(HostBitmap dst, const HostPoint* dstPoint, HostOffscreen src,
                     const HostPoint* srcPoint, HostInt width, HostInt height, HostInt mode) {
    HostCore* h = Enter(Service::kOffscreen, "copyToBitmap",
                        Num(width) + "x" + Num(height) + " mode " + Num(mode));
    if (h == nullptr) return kFailed;
    Bitmap* b = h->GetBitmap(dst);
    Offscreen* o = h->GetOffscreen(src);
    if (b == nullptr || o == nullptr || dstPoint == nullptr || srcPoint == nullptr) {
        h->Fault("copyToBitmap: unknown bitmap or offscreen, or null point");
        return kFailed;
    }
    CopyBox(
        h, "copyToBitmap", b->width, b->height, b->pixelBytes,
        [b](int32_t x, int32_t y) {
            return b->pixels.data() + size_t(y) * b->rowBytes + size_t(x) * b->pixelBytes;
        },
        *dstPoint, o->width, o->height, o->channels,
        [o](int32_t x, int32_t y) { return static_cast<const uint8_t*>(o->At(x, y)); }, *srcPoint,
        width, height);
    return kOk;
}

HostInt CopyFromBitmap(HostOffscreen dst, const HostPoint* dstPoint, HostBitmap src,
                       const HostPoint* srcPoint, HostInt width, HostInt height, HostInt mode) {
    HostCore* h = Enter(Service::kOffscreen, "copyFromBitmap",
                        Num(width) + "x" + Num(height) + " mode " + Num(mode));
    if (h == nullptr) return kFailed;
    Offscreen* o = h->GetOffscreen(dst);
    Bitmap* b = h->GetBitmap(src);
    if (b == nullptr || o == nullptr || dstPoint == nullptr || srcPoint == nullptr) {
        h->Fault("copyFromBitmap: unknown bitmap or offscreen, or null point");
        return kFailed;
    }
    CopyBox(
        h, "copyFromBitmap", o->width, o->height, o->channels,
        [o](int32_t x, int32_t y) { return o->At(x, y); }, *dstPoint, b->width, b->height,
        b->pixelBytes,
        [b](int32_t x, int32_t y) {
            return static_cast<const uint8_t*>(b->pixels.data() + size_t(y) * b->rowBytes +
                                               size_t(x) * b->pixelBytes);
        },
        *srcPoint, width, height);
    return kOk;
}

// --- PropertyService ----------------------------------------------------------

PropertyItem* FindItem(HostCore* h, HostPropertyObject o, HostInt key, int32_t kind,
                       const char* where) {
    PropertyObject* object = h->GetPropertyObject(o);
    if (object == nullptr) {
        h->Fault(std::string(where) + ": unknown property object");
        return nullptr;
    }
    PropertyItem* item = object->Find(key);
    if (item == nullptr) {
        h->Fault(std::string(where) + ": no item " + Num(key));
        return nullptr;
    }
    if (item->kind != kind) {
        h->Fault(std::string(where) + ": item " + Num(key) + " is of kind " + Num(item->kind));
        return nullptr;
    }
    return item;
}

HostInt CreateProperty(HostPropertyObject* out) {
    HostCore* h = Enter(Service::kProperty, "create");
    if (h == nullptr || out == nullptr) return kFailed;
    if (AnswerNull(h, out)) return kOk;
    auto object = std::make_unique<PropertyObject>();
    const auto handle = reinterpret_cast<HostPropertyObject>(object.get());
    h->propertyObjects[handle] = std::move(object);
    h->releasedPropertyObjects.erase(handle);
    *out = handle;
    return kOk;
}

HostInt ReleaseProperty(HostPropertyObject o) {
    HostCore* h = Enter(Service::kProperty, "release");
    if (h == nullptr) return kFailed;
    if (h->propertyObjects.erase(o) != 1) {
        h->Fault(h->releasedPropertyObjects.count(o) != 0
                     ? "property object released twice"
                     : "property release: unknown property object");
        return kFailed;
    }
    h->releasedPropertyObjects.insert(o);
    if (h->filter_.propertyObject == o) h->filter_.propertyObject = nullptr;
    return kOk;
}

HostInt AddItem(HostPropertyObject o, HostInt key, HostInt kind, HostInt codeA, HostInt codeB,
                HostString caption, HostInt accessKey) {
    HostCore* h = Enter(Service::kProperty, "addItem", Num(key) + " kind " + Num(kind));
    if (h == nullptr) return kFailed;
    PropertyObject* object = h->GetPropertyObject(o);
    if (object == nullptr) {
        h->Fault("addItem: unknown property object");
        return kFailed;
    }
    if (object->Find(key) != nullptr) {
        h->Fault("addItem: item " + Num(key) + " added twice");
        return kFailed;
    }
    if (kind != 1 && kind != 2 && kind != 17 && kind != 18 && kind != 33) {
        h->Fault("addItem: unknown kind " + Num(kind));
    }
    if (caption != nullptr && h->strings.count(caption) == 0) {
        h->Fault("addItem: unknown caption string");
    }
    PropertyItem item;
    item.key = key;
    item.kind = kind;
    item.codeA = codeA;
    item.codeB = codeB;
    item.caption = h->StringText(caption);
    item.accessKey = accessKey;
    object->items.push_back(std::move(item));
    return kOk;
}

template <typename T>
HostInt Setter(const char* where, int32_t kind, HostPropertyObject o, HostInt key, T v,
               void (*apply)(PropertyItem&, T)) {
    HostCore* h = Enter(Service::kProperty, where, Num(key));
    if (h == nullptr) return kFailed;
    PropertyItem* item = FindItem(h, o, key, kind, where);
    if (item == nullptr) return kFailed;
    apply(*item, v);
    return kOk;
}

template <typename T>
HostInt Getter(const char* where, int32_t kind, T* out, HostPropertyObject o, HostInt key,
               T (*read)(const PropertyItem&), Service service = Service::kProperty) {
    HostCore* h = Enter(service, where, Num(key));
    if (h == nullptr || out == nullptr) return kFailed;
    PropertyItem* item = FindItem(h, o, key, kind, where);
    if (item == nullptr) return kFailed;
    *out = read(*item);
    return kOk;
}

HostInt SetBool(HostPropertyObject o, HostInt key, HostBool v) {
    return Setter<HostBool>("setBool", 1, o, key, v, [](PropertyItem& i, HostBool x) {
        i.boolValue = x != 0;
        i.valueSet = true;
    });
}
HostInt GetBool(HostBool* out, HostPropertyObject o, HostInt key) {
    return Getter<HostBool>("getBool", 1, out, o, key,
                            [](const PropertyItem& i) -> HostBool { return i.boolValue ? 1 : 0; });
}
HostInt SetBoolDefault(HostPropertyObject o, HostInt key, HostBool v) {
    return Setter<HostBool>("setBoolDefault", 1, o, key, v, [](PropertyItem& i, HostBool x) {
        i.boolDefault = x != 0;
        i.defaultSet = true;
    });
}
HostInt GetBoolDefault(HostBool* out, HostPropertyObject o, HostInt key) {
    return Getter<HostBool>("getBoolDefault", 1, out, o, key, [](const PropertyItem& i) -> HostBool {
        return i.boolDefault ? 1 : 0;
    });
}

HostInt SetInt(HostPropertyObject o, HostInt key, HostInt v) {
    return Setter<HostInt>("setInt", 17, o, key, v, [](PropertyItem& i, HostInt x) {
        i.intValue = x;
        i.valueSet = true;
    });
}
HostInt GetInt(HostInt* out, HostPropertyObject o, HostInt key) {
    return Getter<HostInt>("getInt", 17, out, o, key,
                           [](const PropertyItem& i) -> HostInt { return i.intValue; });
}
HostInt SetIntDefault(HostPropertyObject o, HostInt key, HostInt v) {
    return Setter<HostInt>("setIntDefault", 17, o, key, v, [](PropertyItem& i, HostInt x) {
        i.intDefault = x;
        i.defaultSet = true;
    });
}
HostInt GetIntDefault(HostInt* out, HostPropertyObject o, HostInt key) {
    return Getter<HostInt>("getIntDefault", 17, out, o, key,
                           [](const PropertyItem& i) -> HostInt { return i.intDefault; });
}
HostInt SetIntMinimum(HostPropertyObject o, HostInt key, HostInt v) {
    return Setter<HostInt>("setIntMinimum", 17, o, key, v,
                           [](PropertyItem& i, HostInt x) { i.intMinimum = x; });
}
HostInt SetIntMaximum(HostPropertyObject o, HostInt key, HostInt v) {
    return Setter<HostInt>("setIntMaximum", 17, o, key, v,
                           [](PropertyItem& i, HostInt x) { i.intMaximum = x; });
}

HostInt SetDouble(HostPropertyObject o, HostInt key, HostDouble v) {
    return Setter<HostDouble>("setDouble", 18, o, key, v, [](PropertyItem& i, HostDouble x) {
        i.doubleValue = x;
        i.valueSet = true;
    });
}
HostInt GetDouble(HostDouble* out, HostPropertyObject o, HostInt key) {
    return Getter<HostDouble>("getDouble", 18, out, o, key,
                              [](const PropertyItem& i) -> HostDouble { return i.doubleValue; });
}
HostInt SetDoubleDefault(HostPropertyObject o, HostInt key, HostDouble v) {
    return Setter<HostDouble>("setDoubleDefault", 18, o, key, v, [](PropertyItem& i, HostDouble x) {
        i.doubleDefault = x;
        i.defaultSet = true;
    });
}
HostInt GetDoubleDefault(HostDouble* out, HostPropertyObject o, HostInt key) {
    return Getter<HostDouble>("getDoubleDefault", 18, out, o, key,
                              [](const PropertyItem& i) -> HostDouble { return i.doubleDefault; });
}
HostInt SetDoubleMinimum(HostPropertyObject o, HostInt key, HostDouble v) {
    return Setter<HostDouble>("setDoubleMinimum", 18, o, key, v,
                              [](PropertyItem& i, HostDouble x) { i.doubleMinimum = x; });
}
HostInt SetDoubleMaximum(HostPropertyObject o, HostInt key, HostDouble v) {
    return Setter<HostDouble>("setDoubleMaximum", 18, o, key, v,
                              [](PropertyItem& i, HostDouble x) { i.doubleMaximum = x; });
}

// --- ExtPropertyService -------------------------------------------------------

HostInt SetPoint(HostPropertyObject o, HostInt key, const HostPoint* p) {
    HostCore* h = Enter(Service::kExtProperty, "setPoint", Num(key));
    if (h == nullptr) return kFailed;
    PropertyItem* item = FindItem(h, o, key, 33, "setPoint");
    if (item == nullptr) return kFailed;
    if (p == nullptr) {
        h->Fault("setPoint: null point");
        return kFailed;
    }
    item->point = *p;
    item->valueSet = true;
    return kOk;
}

HostInt GetPoint(HostPoint* out, HostPropertyObject o, HostInt key) {
    return Getter<HostPoint>("getPoint", 33, out, o, key,
                             [](const PropertyItem& i) -> HostPoint { return i.point; },
                             Service::kExtProperty);
}

HostInt SetPointFirstSetting(HostPropertyObject o, HostInt key, HostInt v) {
    HostCore* h = Enter(Service::kExtProperty, "setPointFirstSetting", Num(key) + " " + Num(v));
    if (h == nullptr) return kFailed;
    PropertyItem* item = FindItem(h, o, key, 33, "setPointFirstSetting");
    if (item == nullptr) return kFailed;
    item->pointFirstSetting = v;
    return kOk;
}

HostInt SetPointSecondSetting(HostPropertyObject o, HostInt key, HostInt v) {
    HostCore* h = Enter(Service::kExtProperty, "setPointSecondSetting", Num(key) + " " + Num(v));
    if (h == nullptr) return kFailed;
    PropertyItem* item = FindItem(h, o, key, 33, "setPointSecondSetting");
    if (item == nullptr) return kFailed;
    item->pointSecondSetting = v;
    return kOk;
}

HostInt SetEnum(HostPropertyObject o, HostInt key, HostInt index) {
    HostCore* h = Enter(Service::kExtProperty, "setEnum", Num(key) + " " + Num(index));
    if (h == nullptr) return kFailed;
    PropertyItem* item = FindItem(h, o, key, 2, "setEnum");
    if (item == nullptr) return kFailed;
    item->enumIndex = index;
    item->valueSet = true;
    return kOk;
}

HostInt GetEnum(HostInt* out, HostPropertyObject o, HostInt key) {
    return Getter<HostInt>("getEnum", 2, out, o, key,
                           [](const PropertyItem& i) -> HostInt { return i.enumIndex; },
                           Service::kExtProperty);
}

HostInt SetEnumDefault(HostPropertyObject o, HostInt key, HostInt index) {
    HostCore* h = Enter(Service::kExtProperty, "setEnumDefault", Num(key) + " " + Num(index));
    if (h == nullptr) return kFailed;
    PropertyItem* item = FindItem(h, o, key, 2, "setEnumDefault");
    if (item == nullptr) return kFailed;
    item->enumDefault = index;
    item->defaultSet = true;
    return kOk;
}

HostInt GetEnumDefault(HostInt* out, HostPropertyObject o, HostInt key) {
    return Getter<HostInt>("getEnumDefault", 2, out, o, key,
                           [](const PropertyItem& i) -> HostInt { return i.enumDefault; },
                           Service::kExtProperty);
}

HostInt AddEnumString(HostPropertyObject o, HostInt key, HostInt index, HostString s,
                      HostInt flag) {
    HostCore* h = Enter(Service::kExtProperty, "addEnumString", Num(key) + " " + Num(index));
    if (h == nullptr) return kFailed;
    PropertyItem* item = FindItem(h, o, key, 2, "addEnumString");
    if (item == nullptr) return kFailed;
    if (h->strings.count(s) == 0) {
        h->Fault("addEnumString: unknown string");
        return kFailed;
    }
    if (item->enumStrings.count(index) != 0) {
        h->Fault("addEnumString: index " + Num(index) + " of item " + Num(key) + " added twice");
    } else if (static_cast<size_t>(index) != item->enumStrings.size()) {
        h->Fault("addEnumString: index " + Num(index) + " of item " + Num(key) + " leaves a gap (" +
                 Num(static_cast<int32_t>(item->enumStrings.size())) + " strings held)");
    }
    item->enumStrings[index] = h->StringText(s);
    item->enumFlags.push_back(flag);
    return kOk;
}

}  // namespace

void InstallServices(ModuleInitService& mi, FilterInitService& fi, FilterRunService& fr,
                     StringService& st, BitmapService& bm, OffscreenService& os,
                     PropertyService& pr, ExtPropertyService& ep) {
    mi = ModuleInitService{};
    mi.hostVersion = HostVersion;
    mi.setModuleId = SetModuleId;
    mi.setModuleKind = SetModuleKind;

    fi = FilterInitService{};
    fi.setCategoryName = SetCategoryName;
    fi.setFilterName = SetFilterName;
    fi.setFirstSwitch = SetFirstSwitch;
    fi.setSecondSwitch = SetSecondSwitch;
    fi.setTargetKinds = SetTargetKinds;
    fi.setPropertyObject = SetPropertyObject;
    fi.setPropertyCallback = SetPropertyCallback;

    fr = FilterRunService{};
    fr.canvasWidth = CanvasWidth;
    fr.canvasHeight = CanvasHeight;
    fr.sourceOffscreen = SourceOffscreen;
    fr.destinationOffscreen = DestinationOffscreen;
    fr.hasSelection = HasSelection;
    fr.selectionOffscreen = SelectionOffscreen;
    fr.areaChanged = AreaChanged;
    fr.drawingColours = DrawingColours;
    fr.processState = ProcessState;
    fr.progressRange = ProgressRange;
    fr.progressValue = ProgressValue;

    st = StringService{};
    st.fromNarrow = FromNarrow;
    st.fromUtf16 = FromUtf16;
    st.fromTable = FromTable;
    st.release = ReleaseString;
    st.utf16Text = Utf16Text;

    bm = BitmapService{};
    bm.create = CreateBitmap;
    bm.release = ReleaseBitmap;
    bm.pixelAddress = PixelAddress;
    bm.rowBytes = RowBytes;
    bm.pixelBytes = PixelBytes;

    os = OffscreenService{};
    os.width = OffscreenWidth;
    os.height = OffscreenHeight;
    os.channelKind = OffscreenKind;
    os.colourIndices = ColourIndices;
    os.fourIndices = FourIndices;
    os.copyToBitmap = CopyToBitmap;
    os.copyFromBitmap = CopyFromBitmap;

    pr = PropertyService{};
    pr.create = CreateProperty;
    pr.release = ReleaseProperty;
    pr.addItem = AddItem;
    pr.setBool = SetBool;
    pr.getBool = GetBool;
    pr.setBoolDefault = SetBoolDefault;
    pr.getBoolDefault = GetBoolDefault;
    pr.setInt = SetInt;
    pr.getInt = GetInt;
    pr.setIntDefault = SetIntDefault;
    pr.getIntDefault = GetIntDefault;
    pr.setIntMinimum = SetIntMinimum;
    pr.setIntMaximum = SetIntMaximum;
    pr.setDouble = SetDouble;
    pr.getDouble = GetDouble;
    pr.setDoubleDefault = SetDoubleDefault;
    pr.getDoubleDefault = GetDoubleDefault;
    pr.setDoubleMinimum = SetDoubleMinimum;
    pr.setDoubleMaximum = SetDoubleMaximum;

    ep = ExtPropertyService{};
    ep.setPoint = SetPoint;
    ep.getPoint = GetPoint;
    ep.setPointFirstSetting = SetPointFirstSetting;
    ep.setPointSecondSetting = SetPointSecondSetting;
    ep.setEnum = SetEnum;
    ep.getEnum = GetEnum;
    ep.setEnumDefault = SetEnumDefault;
    ep.getEnumDefault = GetEnumDefault;
    ep.addEnumString = AddEnumString;
}

}  // namespace velmora::hostcore
