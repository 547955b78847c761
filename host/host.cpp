// Typed wrappers over the host's service tables: table, then slot, then the
// call; out values hold a safe value before every call.
#include "host/host.h"

#include <optional>

namespace velmora {

HostStringRef::HostStringRef(HostStringRef&& other) noexcept
    : service_(other.service_), s_(other.s_) {
    other.s_ = nullptr;
}

HostStringRef& HostStringRef::operator=(HostStringRef&& other) noexcept {
    if (this != &other) {
        Release();
        service_ = other.service_;
        s_ = other.s_;
        other.s_ = nullptr;
    }
    return *this;
}

void HostStringRef::Release() {
    if (s_ != nullptr && service_ != nullptr && service_->release != nullptr) {
        service_->release(s_);
    }
    s_ = nullptr;
}

void Host::Reset(const HostServer* server) { server_ = server; }

namespace {

// The table of a service, or null when the server or the table is missing.
template <typename Table>
const Table* TableOf(const HostServer* server, const Table* HostServer::*member) {
    return server != nullptr ? server->*member : nullptr;
}

}  // namespace

// Calls slot `fn` of a table when both exist.
#define VELMORA_CALL(table, fn, ...)                          \
    do {                                                      \
        if ((table) != nullptr && (table)->fn != nullptr) {   \
            (table)->fn(__VA_ARGS__);                         \
        }                                                     \
    } while (0)

// Calls slot `fn` of a table when both exist; true only when the slot
// answered status 0. Any other status counts as failed, whatever the host
// wrote into the out values.
#define VELMORA_OK(table, fn, ...) \
    ((table) != nullptr && (table)->fn != nullptr && (table)->fn(__VA_ARGS__) == 0)

bool Host::HasStrings() const { return server_ != nullptr && server_->string != nullptr; }

bool Host::HasModuleInit() const { return server_ != nullptr && server_->moduleInit != nullptr; }

// Module initialise.

int32_t Host::HostVersion() const {
    const ModuleInitService* t = TableOf(server_, &HostServer::moduleInit);
    HostInt version = 0;
    if (!VELMORA_OK(t, hostVersion, &version, object())) version = 0;
    return version;
}

bool Host::SetModuleId(HostString id) const {
    const ModuleInitService* t = TableOf(server_, &HostServer::moduleInit);
    if (t == nullptr || t->setModuleId == nullptr) return false;
    return t->setModuleId(object(), id) == 0;
}

bool Host::SetModuleKind(int32_t kind) const {
    const ModuleInitService* t = TableOf(server_, &HostServer::moduleInit);
    if (t == nullptr || t->setModuleKind == nullptr) return false;
    return t->setModuleKind(object(), kind) == 0;
}

// Strings.

HostStringRef Host::MakeString(std::u16string_view text) const {
    const StringService* t = TableOf(server_, &HostServer::string);
    HostString s = nullptr;
    if (!VELMORA_OK(t, fromUtf16, &s, text.data(), static_cast<HostInt>(text.size()))) s = nullptr;
    return HostStringRef(t, s);
}

HostStringRef Host::MakeNarrowString(std::string_view utf8) const {
    const StringService* t = TableOf(server_, &HostServer::string);
    HostString s = nullptr;
    if (!VELMORA_OK(t, fromNarrow, &s, utf8.data(), static_cast<HostInt>(utf8.size()))) s = nullptr;
    return HostStringRef(t, s);
}

HostStringRef Host::TableString(int32_t id) const {
    const StringService* t = TableOf(server_, &HostServer::string);
    HostString s = nullptr;
    if (!VELMORA_OK(t, fromTable, &s, id, object())) s = nullptr;
    return HostStringRef(t, s);
}

std::u16string Host::StringText(HostString s) const {
    const StringService* t = TableOf(server_, &HostServer::string);
    if (s == nullptr) return {};
    const HostChar16* text = nullptr;
    if (!VELMORA_OK(t, utf16Text, &text, s)) text = nullptr;
    return text != nullptr ? std::u16string(text) : std::u16string();
}

// Filter initialise.

void Host::SetCategoryName(HostString name, int32_t accessKey) const {
    const FilterInitService* t = TableOf(server_, &HostServer::filterInit);
    VELMORA_CALL(t, setCategoryName, object(), name, accessKey);
}

void Host::SetFilterName(HostString name, int32_t accessKey) const {
    const FilterInitService* t = TableOf(server_, &HostServer::filterInit);
    VELMORA_CALL(t, setFilterName, object(), name, accessKey);
}

void Host::SetSwitches(bool first, bool second) const {
    const FilterInitService* t = TableOf(server_, &HostServer::filterInit);
    VELMORA_CALL(t, setFirstSwitch, object(), first ? 1 : 0);
    VELMORA_CALL(t, setSecondSwitch, object(), second ? 1 : 0);
}

void Host::SetTargetKinds(const int32_t* kinds, int32_t count) const {
    const FilterInitService* t = TableOf(server_, &HostServer::filterInit);
    VELMORA_CALL(t, setTargetKinds, object(), kinds, count);
}

void Host::SetPropertyObject(HostPropertyObject o) const {
    const FilterInitService* t = TableOf(server_, &HostServer::filterInit);
    VELMORA_CALL(t, setPropertyObject, object(), o);
}

void Host::SetPropertyCallback(PropertyCallback callback, void* data) const {
    const FilterInitService* t = TableOf(server_, &HostServer::filterInit);
    VELMORA_CALL(t, setPropertyCallback, object(), callback, data);
}

// Filter run.

int32_t Host::CanvasWidth() const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    HostInt v = 0;
    if (!VELMORA_OK(t, canvasWidth, &v, object())) v = 0;
    return v;
}

int32_t Host::CanvasHeight() const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    HostInt v = 0;
    if (!VELMORA_OK(t, canvasHeight, &v, object())) v = 0;
    return v;
}

HostOffscreen Host::SourceOffscreen() const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    HostOffscreen o = nullptr;
    if (!VELMORA_OK(t, sourceOffscreen, &o, object())) o = nullptr;
    return o;
}

HostOffscreen Host::DestinationOffscreen() const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    HostOffscreen o = nullptr;
    if (!VELMORA_OK(t, destinationOffscreen, &o, object())) o = nullptr;
    return o;
}

bool Host::HasSelection() const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    HostBool v = 0;
    if (!VELMORA_OK(t, hasSelection, &v, object())) v = 0;
    return v != 0;
}

HostOffscreen Host::SelectionOffscreen() const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    HostOffscreen o = nullptr;
    if (!VELMORA_OK(t, selectionOffscreen, &o, object())) o = nullptr;
    return o;
}

void Host::AreaChanged(const HostRect& rect) const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    VELMORA_CALL(t, areaChanged, object(), &rect);
}

HostRgb Host::MainColour() const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    HostRgb main{0, 0, 0};
    HostRgb sub{0, 0, 0};
    if (!VELMORA_OK(t, drawingColours, &main, &sub, object())) return HostRgb{0, 0, 0};
    return main;
}

int32_t Host::ProcessState(int32_t request, int32_t fallback) const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    if (t == nullptr || t->processState == nullptr) return fallback;
    // A request the host could not answer is taken as if it had no such service.
    HostInt reply = fallback;
    if (t->processState(&reply, object(), request) != 0) return fallback;
    return reply;
}

void Host::SetProgressRange(int32_t total) const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    VELMORA_CALL(t, progressRange, object(), total);
}

void Host::ReportProgress(int32_t value) const {
    const FilterRunService* t = TableOf(server_, &HostServer::filterRun);
    VELMORA_CALL(t, progressValue, object(), value);
}

// Bitmaps.

HostBitmap Host::CreateBitmap(int32_t width, int32_t height, int32_t channels) const {
    const BitmapService* t = TableOf(server_, &HostServer::bitmap);
    HostBitmap b = nullptr;
    if (!VELMORA_OK(t, create, &b, width, height, channels, 16)) b = nullptr;
    return b;
}

void Host::ReleaseBitmap(HostBitmap bitmap) const {
    const BitmapService* t = TableOf(server_, &HostServer::bitmap);
    if (bitmap == nullptr) return;
    VELMORA_CALL(t, release, bitmap);
}

uint8_t* Host::PixelAddress(HostBitmap bitmap, HostPoint point) const {
    const BitmapService* t = TableOf(server_, &HostServer::bitmap);
    uint8_t* p = nullptr;
    if (bitmap == nullptr) return p;
    if (!VELMORA_OK(t, pixelAddress, &p, bitmap, &point)) p = nullptr;
    return p;
}

int32_t Host::RowBytes(HostBitmap bitmap) const {
    const BitmapService* t = TableOf(server_, &HostServer::bitmap);
    HostInt v = 0;
    if (bitmap == nullptr) return v;
    if (!VELMORA_OK(t, rowBytes, &v, bitmap)) v = 0;
    return v;
}

int32_t Host::PixelBytes(HostBitmap bitmap) const {
    const BitmapService* t = TableOf(server_, &HostServer::bitmap);
    HostInt v = 0;
    if (bitmap == nullptr) return v;
    if (!VELMORA_OK(t, pixelBytes, &v, bitmap)) v = 0;
    return v;
}

// Offscreens.

std::optional<int32_t> Host::OffscreenWidth(HostOffscreen o) const {
    const OffscreenService* t = TableOf(server_, &HostServer::offscreen);
    HostInt v = 0;
    if (!VELMORA_OK(t, width, &v, o)) return std::nullopt;
    return v;
}

std::optional<int32_t> Host::OffscreenHeight(HostOffscreen o) const {
    const OffscreenService* t = TableOf(server_, &HostServer::offscreen);
    HostInt v = 0;
    if (!VELMORA_OK(t, height, &v, o)) return std::nullopt;
    return v;
}

std::optional<int32_t> Host::OffscreenKind(HostOffscreen o) const {
    const OffscreenService* t = TableOf(server_, &HostServer::offscreen);
    HostInt v = 0;
    if (!VELMORA_OK(t, channelKind, &v, o)) return std::nullopt;
    return v;
}

bool Host::ColourIndices(HostOffscreen o, int32_t indices[3]) const {
    const OffscreenService* t = TableOf(server_, &HostServer::offscreen);
    HostInt r = 0, g = 0, b = 0;
    if (!VELMORA_OK(t, colourIndices, &r, &g, &b, o)) return false;
    indices[0] = r;
    indices[1] = g;
    indices[2] = b;
    return true;
}

bool Host::FourIndices(HostOffscreen o, int32_t indices[4]) const {
    const OffscreenService* t = TableOf(server_, &HostServer::offscreen);
    HostInt c0 = 0, c1 = 0, c2 = 0, c3 = 0;
    if (!VELMORA_OK(t, fourIndices, &c0, &c1, &c2, &c3, o)) return false;
    indices[0] = c0;
    indices[1] = c1;
    indices[2] = c2;
    indices[3] = c3;
    return true;
}

void Host::CopyToBitmap(HostBitmap dst, HostOffscreen src, int32_t width, int32_t height) const {
    const OffscreenService* t = TableOf(server_, &HostServer::offscreen);
    const HostPoint origin{0, 0};
    VELMORA_CALL(t, copyToBitmap, dst, &origin, src, &origin, width, height, 1);
}

void Host::CopyFromBitmap(HostOffscreen dst, HostBitmap src, int32_t width,
                          int32_t height) const {
    const OffscreenService* t = TableOf(server_, &HostServer::offscreen);
    const HostPoint origin{0, 0};
    VELMORA_CALL(t, copyFromBitmap, dst, &origin, src, &origin, width, height, 1);
}

// Property object.

HostPropertyObject Host::CreatePropertyObject() const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    HostPropertyObject o = nullptr;
    if (!VELMORA_OK(t, create, &o)) o = nullptr;
    return o;
}

void Host::ReleasePropertyObject(HostPropertyObject o) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    if (o == nullptr) return;
    VELMORA_CALL(t, release, o);
}

void Host::AddItem(HostPropertyObject o, int32_t key, int32_t kind, int32_t codeA, int32_t codeB,
                   HostString caption, int32_t accessKey) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, addItem, o, key, kind, codeA, codeB, caption, accessKey);
}

void Host::SetBool(HostPropertyObject o, int32_t key, bool v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setBool, o, key, v ? 1 : 0);
}

std::optional<bool> Host::ReadBool(HostPropertyObject o, int32_t key) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    HostBool v = 0;
    if (!VELMORA_OK(t, getBool, &v, o, key)) return std::nullopt;
    return v != 0;
}

void Host::SetBoolDefault(HostPropertyObject o, int32_t key, bool v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setBoolDefault, o, key, v ? 1 : 0);
}

std::optional<bool> Host::ReadBoolDefault(HostPropertyObject o, int32_t key) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    HostBool v = 0;
    if (!VELMORA_OK(t, getBoolDefault, &v, o, key)) return std::nullopt;
    return v != 0;
}

void Host::SetInt(HostPropertyObject o, int32_t key, int32_t v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setInt, o, key, v);
}

std::optional<int32_t> Host::ReadInt(HostPropertyObject o, int32_t key) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    HostInt v = 0;
    if (!VELMORA_OK(t, getInt, &v, o, key)) return std::nullopt;
    return v;
}

void Host::SetIntDefault(HostPropertyObject o, int32_t key, int32_t v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setIntDefault, o, key, v);
}

std::optional<int32_t> Host::ReadIntDefault(HostPropertyObject o, int32_t key) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    HostInt v = 0;
    if (!VELMORA_OK(t, getIntDefault, &v, o, key)) return std::nullopt;
    return v;
}

void Host::SetIntMinimum(HostPropertyObject o, int32_t key, int32_t v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setIntMinimum, o, key, v);
}

void Host::SetIntMaximum(HostPropertyObject o, int32_t key, int32_t v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setIntMaximum, o, key, v);
}

void Host::SetDouble(HostPropertyObject o, int32_t key, double v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setDouble, o, key, v);
}

std::optional<double> Host::ReadDouble(HostPropertyObject o, int32_t key) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    HostDouble v = 0.0;
    if (!VELMORA_OK(t, getDouble, &v, o, key)) return std::nullopt;
    return v;
}

void Host::SetDoubleDefault(HostPropertyObject o, int32_t key, double v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setDoubleDefault, o, key, v);
}

std::optional<double> Host::ReadDoubleDefault(HostPropertyObject o, int32_t key) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    HostDouble v = 0.0;
    if (!VELMORA_OK(t, getDoubleDefault, &v, o, key)) return std::nullopt;
    return v;
}

void Host::SetDoubleMinimum(HostPropertyObject o, int32_t key, double v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setDoubleMinimum, o, key, v);
}

void Host::SetDoubleMaximum(HostPropertyObject o, int32_t key, double v) const {
    const PropertyService* t = TableOf(server_, &HostServer::property);
    VELMORA_CALL(t, setDoubleMaximum, o, key, v);
}

// Extended properties.

void Host::SetPoint(HostPropertyObject o, int32_t key, HostPoint p) const {
    const ExtPropertyService* t = TableOf(server_, &HostServer::extProperty);
    VELMORA_CALL(t, setPoint, o, key, &p);
}

std::optional<HostPoint> Host::ReadPoint(HostPropertyObject o, int32_t key) const {
    const ExtPropertyService* t = TableOf(server_, &HostServer::extProperty);
    HostPoint p{0, 0};
    if (!VELMORA_OK(t, getPoint, &p, o, key)) return std::nullopt;
    return p;
}

void Host::SetPointSettings(HostPropertyObject o, int32_t key, int32_t first,
                            int32_t second) const {
    const ExtPropertyService* t = TableOf(server_, &HostServer::extProperty);
    VELMORA_CALL(t, setPointFirstSetting, o, key, first);
    VELMORA_CALL(t, setPointSecondSetting, o, key, second);
}

void Host::SetEnum(HostPropertyObject o, int32_t key, int32_t index) const {
    const ExtPropertyService* t = TableOf(server_, &HostServer::extProperty);
    VELMORA_CALL(t, setEnum, o, key, index);
}

std::optional<int32_t> Host::ReadEnum(HostPropertyObject o, int32_t key) const {
    const ExtPropertyService* t = TableOf(server_, &HostServer::extProperty);
    HostInt v = 0;
    if (!VELMORA_OK(t, getEnum, &v, o, key)) return std::nullopt;
    return v;
}

void Host::SetEnumDefault(HostPropertyObject o, int32_t key, int32_t index) const {
    const ExtPropertyService* t = TableOf(server_, &HostServer::extProperty);
    VELMORA_CALL(t, setEnumDefault, o, key, index);
}

std::optional<int32_t> Host::ReadEnumDefault(HostPropertyObject o, int32_t key) const {
    const ExtPropertyService* t = TableOf(server_, &HostServer::extProperty);
    HostInt v = 0;
    if (!VELMORA_OK(t, getEnumDefault, &v, o, key)) return std::nullopt;
    return v;
}

bool Host::AddEnumString(HostPropertyObject o, int32_t key, int32_t index, HostString s) const {
    const ExtPropertyService* t = TableOf(server_, &HostServer::extProperty);
    return VELMORA_OK(t, addEnumString, o, key, index, s, 0);
}

#undef VELMORA_CALL
#undef VELMORA_OK

}  // namespace velmora
