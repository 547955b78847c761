// Typed wrappers over the host's service tables. Each is one call through
// service_call.h, which skips missing tables and slots and treats any status
// but 0 as failed; here only the safe answer of each wrapper is chosen.
#include "host/host.h"

#include <algorithm>

#include "host/service_call.h"

namespace velmora {

using service::Call;
using service::Read;

namespace {

// A boolean out value as the module reads it: any non-zero is true.
std::optional<bool> AsBool(std::optional<HostBool> v) {
    if (!v) return std::nullopt;
    return *v != 0;
}

HostBool FromBool(bool v) { return v ? 1 : 0; }

// A string the host made (or nothing), released by the module when done.
HostStringRef Owned(const HostServer* server, std::optional<HostString> made) {
    return HostStringRef(service::TableIn<StringService>(server), made.value_or(nullptr));
}

}  // namespace

void Host::Reset(const HostServer* server) { server_ = server; }

bool Host::HasStrings() const { return service::TableIn<StringService>(server_) != nullptr; }

bool Host::HasModuleInit() const { return service::TableIn<ModuleInitService>(server_) != nullptr; }

// Module initialise.

int32_t Host::HostVersion() const {
    return Read<&ModuleInitService::hostVersion>(server_, object()).value_or(0);
}

bool Host::SetModuleId(HostString id) const {
    return Call<&ModuleInitService::setModuleId>(server_, object(), id);
}

bool Host::SetModuleKind(int32_t kind) const {
    return Call<&ModuleInitService::setModuleKind>(server_, object(), kind);
}

// Strings: each made string goes to a HostStringRef that releases it.

HostStringRef Host::MakeString(std::u16string_view text) const {
    const auto size = static_cast<HostInt>(text.size());
    return Owned(server_, Read<&StringService::fromUtf16>(server_, text.data(), size));
}

HostStringRef Host::MakeNarrowString(std::string_view utf8) const {
    const auto size = static_cast<HostInt>(utf8.size());
    return Owned(server_, Read<&StringService::fromNarrow>(server_, utf8.data(), size));
}

HostStringRef Host::TableString(int32_t id) const {
    return Owned(server_, Read<&StringService::fromTable>(server_, id, object()));
}

std::u16string Host::StringText(HostString s) const {
    if (s == nullptr) return {};
    const HostChar16* text = Read<&StringService::utf16Text>(server_, s).value_or(nullptr);
    return text != nullptr ? std::u16string(text) : std::u16string();
}

// Filter initialise.

void Host::SetCategoryName(HostString name, int32_t accessKey) const {
    Call<&FilterInitService::setCategoryName>(server_, object(), name, accessKey);
}

void Host::SetFilterName(HostString name, int32_t accessKey) const {
    Call<&FilterInitService::setFilterName>(server_, object(), name, accessKey);
}

void Host::SetSwitches(bool first, bool second) const {
    Call<&FilterInitService::setFirstSwitch>(server_, object(), FromBool(first));
    Call<&FilterInitService::setSecondSwitch>(server_, object(), FromBool(second));
}

void Host::SetTargetKinds(const int32_t* kinds, int32_t count) const {
    Call<&FilterInitService::setTargetKinds>(server_, object(), kinds, count);
}

void Host::SetPropertyObject(HostPropertyObject o) const {
    Call<&FilterInitService::setPropertyObject>(server_, object(), o);
}

void Host::SetPropertyCallback(PropertyCallback callback, void* data) const {
    Call<&FilterInitService::setPropertyCallback>(server_, object(), callback, data);
}

// Filter run.

int32_t Host::CanvasWidth() const {
    return Read<&FilterRunService::canvasWidth>(server_, object()).value_or(0);
}

int32_t Host::CanvasHeight() const {
    return Read<&FilterRunService::canvasHeight>(server_, object()).value_or(0);
}

HostOffscreen Host::SourceOffscreen() const {
    return Read<&FilterRunService::sourceOffscreen>(server_, object()).value_or(nullptr);
}

HostOffscreen Host::DestinationOffscreen() const {
    return Read<&FilterRunService::destinationOffscreen>(server_, object()).value_or(nullptr);
}

bool Host::HasSelection() const {
    return AsBool(Read<&FilterRunService::hasSelection>(server_, object())).value_or(false);
}

HostOffscreen Host::SelectionOffscreen() const {
    return Read<&FilterRunService::selectionOffscreen>(server_, object()).value_or(nullptr);
}

void Host::AreaChanged(const HostRect& rect) const {
    Call<&FilterRunService::areaChanged>(server_, object(), &rect);
}

HostRgb Host::MainColour() const {
    HostRgb main{0, 0, 0};
    HostRgb sub{0, 0, 0};
    if (!Call<&FilterRunService::drawingColours>(server_, &main, &sub, object())) {
        return HostRgb{0, 0, 0};
    }
    return main;
}

int32_t Host::ProcessState(int32_t request, int32_t fallback) const {
    // A request the host could not answer is taken as if it had no such
    // service; the reply starts as the fallback.
    HostInt reply = fallback;
    if (!Call<&FilterRunService::processState>(server_, &reply, object(), request)) return fallback;
    return reply;
}

void Host::SetProgressRange(int32_t total) const {
    Call<&FilterRunService::progressRange>(server_, object(), total);
}

void Host::ReportProgress(int32_t value) const {
    Call<&FilterRunService::progressValue>(server_, object(), value);
}

// Bitmaps: a null bitmap is never passed on.

HostBitmap Host::CreateBitmap(int32_t width, int32_t height, int32_t channels) const {
    constexpr HostInt kScanline = 16;
    return Read<&BitmapService::create>(server_, width, height, channels, kScanline)
        .value_or(nullptr);
}

void Host::ReleaseBitmap(HostBitmap bitmap) const {
    if (bitmap != nullptr) Call<&BitmapService::release>(server_, bitmap);
}

uint8_t* Host::PixelAddress(HostBitmap bitmap, HostPoint point) const {
    if (bitmap == nullptr) return nullptr;
    return Read<&BitmapService::pixelAddress>(server_, bitmap, &point).value_or(nullptr);
}

int32_t Host::RowBytes(HostBitmap bitmap) const {
    if (bitmap == nullptr) return 0;
    return Read<&BitmapService::rowBytes>(server_, bitmap).value_or(0);
}

int32_t Host::PixelBytes(HostBitmap bitmap) const {
    if (bitmap == nullptr) return 0;
    return Read<&BitmapService::pixelBytes>(server_, bitmap).value_or(0);
}

// Offscreens.

std::optional<int32_t> Host::OffscreenWidth(HostOffscreen o) const {
    return Read<&OffscreenService::width>(server_, o);
}

std::optional<int32_t> Host::OffscreenHeight(HostOffscreen o) const {
    return Read<&OffscreenService::height>(server_, o);
}

std::optional<int32_t> Host::OffscreenKind(HostOffscreen o) const {
    return Read<&OffscreenService::channelKind>(server_, o);
}

bool Host::ColourIndices(HostOffscreen o, int32_t indices[3]) const {
    HostInt c[3] = {0, 0, 0};
    if (!Call<&OffscreenService::colourIndices>(server_, &c[0], &c[1], &c[2], o)) return false;
    std::copy(c, c + 3, indices);
    return true;
}

bool Host::FourIndices(HostOffscreen o, int32_t indices[4]) const {
    HostInt c[4] = {0, 0, 0, 0};
    if (!Call<&OffscreenService::fourIndices>(server_, &c[0], &c[1], &c[2], &c[3], o)) return false;
    std::copy(c, c + 4, indices);
    return true;
}

// Whole pixels from the origin of both, copy mode 1.
void Host::CopyToBitmap(HostBitmap dst, HostOffscreen src, int32_t width, int32_t height) const {
    const HostPoint origin{0, 0};
    Call<&OffscreenService::copyToBitmap>(server_, dst, &origin, src, &origin, width, height, 1);
}

void Host::CopyFromBitmap(HostOffscreen dst, HostBitmap src, int32_t width,
                          int32_t height) const {
    const HostPoint origin{0, 0};
    Call<&OffscreenService::copyFromBitmap>(server_, dst, &origin, src, &origin, width, height, 1);
}

// Property object.

HostPropertyObject Host::CreatePropertyObject() const {
    return Read<&PropertyService::create>(server_).value_or(nullptr);
}

void Host::ReleasePropertyObject(HostPropertyObject o) const {
    if (o != nullptr) Call<&PropertyService::release>(server_, o);
}

void Host::AddItem(HostPropertyObject o, int32_t key, int32_t kind, int32_t codeA, int32_t codeB,
                   HostString caption, int32_t accessKey) const {
    Call<&PropertyService::addItem>(server_, o, key, kind, codeA, codeB, caption, accessKey);
}

void Host::SetBool(HostPropertyObject o, int32_t key, bool v) const {
    Call<&PropertyService::setBool>(server_, o, key, FromBool(v));
}

std::optional<bool> Host::ReadBool(HostPropertyObject o, int32_t key) const {
    return AsBool(Read<&PropertyService::getBool>(server_, o, key));
}

void Host::SetBoolDefault(HostPropertyObject o, int32_t key, bool v) const {
    Call<&PropertyService::setBoolDefault>(server_, o, key, FromBool(v));
}

std::optional<bool> Host::ReadBoolDefault(HostPropertyObject o, int32_t key) const {
    return AsBool(Read<&PropertyService::getBoolDefault>(server_, o, key));
}

void Host::SetInt(HostPropertyObject o, int32_t key, int32_t v) const {
    Call<&PropertyService::setInt>(server_, o, key, v);
}

std::optional<int32_t> Host::ReadInt(HostPropertyObject o, int32_t key) const {
    return Read<&PropertyService::getInt>(server_, o, key);
}

void Host::SetIntDefault(HostPropertyObject o, int32_t key, int32_t v) const {
    Call<&PropertyService::setIntDefault>(server_, o, key, v);
}

std::optional<int32_t> Host::ReadIntDefault(HostPropertyObject o, int32_t key) const {
    return Read<&PropertyService::getIntDefault>(server_, o, key);
}

void Host::SetIntMinimum(HostPropertyObject o, int32_t key, int32_t v) const {
    Call<&PropertyService::setIntMinimum>(server_, o, key, v);
}

void Host::SetIntMaximum(HostPropertyObject o, int32_t key, int32_t v) const {
    Call<&PropertyService::setIntMaximum>(server_, o, key, v);
}

void Host::SetDouble(HostPropertyObject o, int32_t key, double v) const {
    Call<&PropertyService::setDouble>(server_, o, key, v);
}

std::optional<double> Host::ReadDouble(HostPropertyObject o, int32_t key) const {
    return Read<&PropertyService::getDouble>(server_, o, key);
}

void Host::SetDoubleDefault(HostPropertyObject o, int32_t key, double v) const {
    Call<&PropertyService::setDoubleDefault>(server_, o, key, v);
}

std::optional<double> Host::ReadDoubleDefault(HostPropertyObject o, int32_t key) const {
    return Read<&PropertyService::getDoubleDefault>(server_, o, key);
}

void Host::SetDoubleMinimum(HostPropertyObject o, int32_t key, double v) const {
    Call<&PropertyService::setDoubleMinimum>(server_, o, key, v);
}

void Host::SetDoubleMaximum(HostPropertyObject o, int32_t key, double v) const {
    Call<&PropertyService::setDoubleMaximum>(server_, o, key, v);
}

// Extended properties.

void Host::SetPoint(HostPropertyObject o, int32_t key, HostPoint p) const {
    Call<&ExtPropertyService::setPoint>(server_, o, key, &p);
}

std::optional<HostPoint> Host::ReadPoint(HostPropertyObject o, int32_t key) const {
    return Read<&ExtPropertyService::getPoint>(server_, o, key);
}

void Host::SetPointSettings(HostPropertyObject o, int32_t key, int32_t first,
                            int32_t second) const {
    Call<&ExtPropertyService::setPointFirstSetting>(server_, o, key, first);
    Call<&ExtPropertyService::setPointSecondSetting>(server_, o, key, second);
}

void Host::SetEnum(HostPropertyObject o, int32_t key, int32_t index) const {
    Call<&ExtPropertyService::setEnum>(server_, o, key, index);
}

std::optional<int32_t> Host::ReadEnum(HostPropertyObject o, int32_t key) const {
    return Read<&ExtPropertyService::getEnum>(server_, o, key);
}

void Host::SetEnumDefault(HostPropertyObject o, int32_t key, int32_t index) const {
    Call<&ExtPropertyService::setEnumDefault>(server_, o, key, index);
}

std::optional<int32_t> Host::ReadEnumDefault(HostPropertyObject o, int32_t key) const {
    return Read<&ExtPropertyService::getEnumDefault>(server_, o, key);
}

bool Host::AddEnumString(HostPropertyObject o, int32_t key, int32_t index, HostString s) const {
    return Call<&ExtPropertyService::addEnumString>(server_, o, key, index, s, 0);
}

}  // namespace velmora
