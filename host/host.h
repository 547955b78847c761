// Typed access to the host's services. Every wrapper checks the table and
// the slot, initialises out values before the call, and turns a missing
// service into "nothing done": no other file indexes a slot or sees a null
// table. A getter whose status is not 0 has failed: what the host wrote is
// not used, the wrapper answers its safe value (0, null) or nothing. The
// checks are written once, in service_call.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/host_interface.h"

namespace velmora {

class Host;

// A host string the module made; released when it goes out of scope.
class HostStringRef {
public:
    HostStringRef() = default;
    HostStringRef(const StringService* service, HostString s) : service_(service), s_(s) {}
    ~HostStringRef() { Release(); }
    HostStringRef(HostStringRef&& other) noexcept;
    HostStringRef& operator=(HostStringRef&& other) noexcept;
    HostStringRef(const HostStringRef&) = delete;
    HostStringRef& operator=(const HostStringRef&) = delete;

    HostString get() const { return s_; }
    explicit operator bool() const { return s_ != nullptr; }
    void Release();

private:
    const StringService* service_ = nullptr;
    HostString s_ = nullptr;
};

class Host {
public:
    Host() = default;
    explicit Host(const HostServer* server) { Reset(server); }
    void Reset(const HostServer* server);

    const HostServer* server() const { return server_; }
    HostObject object() const { return server_ ? server_->hostObject : nullptr; }
    bool HasStrings() const;
    bool HasModuleInit() const;

    // Module initialise.
    int32_t HostVersion() const;  // 0 when it can't be asked
    bool SetModuleId(HostString id) const;
    bool SetModuleKind(int32_t kind) const;

    // Strings.
    HostStringRef MakeString(std::u16string_view text) const;
    HostStringRef MakeNarrowString(std::string_view utf8) const;
    HostStringRef TableString(int32_t id) const;
    std::u16string StringText(HostString s) const;  // empty when unavailable

    // Filter initialise.
    void SetCategoryName(HostString name, int32_t accessKey) const;
    void SetFilterName(HostString name, int32_t accessKey) const;
    void SetSwitches(bool first, bool second) const;
    void SetTargetKinds(const int32_t* kinds, int32_t count) const;
    void SetPropertyObject(HostPropertyObject object) const;
    void SetPropertyCallback(PropertyCallback callback, void* data) const;

    // Filter run.
    int32_t CanvasWidth() const;
    int32_t CanvasHeight() const;
    HostOffscreen SourceOffscreen() const;
    HostOffscreen DestinationOffscreen() const;
    bool HasSelection() const;
    HostOffscreen SelectionOffscreen() const;
    void AreaChanged(const HostRect& rect) const;
    HostRgb MainColour() const;  // black when unavailable
    // Sends a process-state request; the reply, or `fallback` when the
    // service is missing.
    int32_t ProcessState(int32_t request, int32_t fallback) const;
    void SetProgressRange(int32_t total) const;
    void ReportProgress(int32_t value) const;

    // Bitmaps.
    HostBitmap CreateBitmap(int32_t width, int32_t height, int32_t channels) const;
    void ReleaseBitmap(HostBitmap bitmap) const;
    uint8_t* PixelAddress(HostBitmap bitmap, HostPoint point) const;
    int32_t RowBytes(HostBitmap bitmap) const;
    int32_t PixelBytes(HostBitmap bitmap) const;

    // Offscreens: nothing (or false, indices untouched) when the host
    // could not answer.
    std::optional<int32_t> OffscreenWidth(HostOffscreen o) const;
    std::optional<int32_t> OffscreenHeight(HostOffscreen o) const;
    std::optional<int32_t> OffscreenKind(HostOffscreen o) const;
    bool ColourIndices(HostOffscreen o, int32_t indices[3]) const;
    bool FourIndices(HostOffscreen o, int32_t indices[4]) const;
    void CopyToBitmap(HostBitmap dst, HostOffscreen src, int32_t width, int32_t height) const;
    void CopyFromBitmap(HostOffscreen dst, HostBitmap src, int32_t width, int32_t height) const;

    // Property object.
    HostPropertyObject CreatePropertyObject() const;
    void ReleasePropertyObject(HostPropertyObject o) const;
    void AddItem(HostPropertyObject o, int32_t key, int32_t kind, int32_t codeA, int32_t codeB,
                 HostString caption, int32_t accessKey) const;
    void SetBool(HostPropertyObject o, int32_t key, bool v) const;
    std::optional<bool> ReadBool(HostPropertyObject o, int32_t key) const;
    void SetBoolDefault(HostPropertyObject o, int32_t key, bool v) const;
    std::optional<bool> ReadBoolDefault(HostPropertyObject o, int32_t key) const;
    void SetInt(HostPropertyObject o, int32_t key, int32_t v) const;
    std::optional<int32_t> ReadInt(HostPropertyObject o, int32_t key) const;
    void SetIntDefault(HostPropertyObject o, int32_t key, int32_t v) const;
    std::optional<int32_t> ReadIntDefault(HostPropertyObject o, int32_t key) const;
    void SetIntMinimum(HostPropertyObject o, int32_t key, int32_t v) const;
    void SetIntMaximum(HostPropertyObject o, int32_t key, int32_t v) const;
    void SetDouble(HostPropertyObject o, int32_t key, double v) const;
    std::optional<double> ReadDouble(HostPropertyObject o, int32_t key) const;
    void SetDoubleDefault(HostPropertyObject o, int32_t key, double v) const;
    std::optional<double> ReadDoubleDefault(HostPropertyObject o, int32_t key) const;
    void SetDoubleMinimum(HostPropertyObject o, int32_t key, double v) const;
    void SetDoubleMaximum(HostPropertyObject o, int32_t key, double v) const;

    // Extended properties: points and enumerations.
    void SetPoint(HostPropertyObject o, int32_t key, HostPoint p) const;
    std::optional<HostPoint> ReadPoint(HostPropertyObject o, int32_t key) const;
    void SetPointSettings(HostPropertyObject o, int32_t key, int32_t first,
                          int32_t second) const;
    void SetEnum(HostPropertyObject o, int32_t key, int32_t index) const;
    std::optional<int32_t> ReadEnum(HostPropertyObject o, int32_t key) const;
    void SetEnumDefault(HostPropertyObject o, int32_t key, int32_t index) const;
    std::optional<int32_t> ReadEnumDefault(HostPropertyObject o, int32_t key) const;
    // True when the host added the string.
    bool AddEnumString(HostPropertyObject o, int32_t key, int32_t index, HostString s) const;

private:
    const HostServer* server_ = nullptr;
};

}  // namespace velmora
