// FilterInitService: what the module declares at filter initialise.
#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {

constexpr Service kTable = Service::kFilterInit;

// A menu name the module passed: its text into `text`.
HostInt SetName(const char* name, HostObject host, HostString s, HostInt accessKey,
                std::u16string FilterDeclaration::*text, int32_t FilterDeclaration::*key) {
    return RunWithHost(kTable, name, {}, host, [&](HostCore& h) {
        h.filter_.*key = accessKey;
        if (h.strings.count(s) == 0) return Refuse(h, std::string(name) + ": unknown string");
        h.filter_.*text = h.StringText(s);
        return kOk;
    });
}

// A filter switch, remembered as set.
HostInt SetSwitch(const char* name, HostObject host, HostBool on,
                  std::optional<bool> FilterDeclaration::*which) {
    return RunWithHost(kTable, name, Num(on), host, [&](HostCore& h) {
        h.filter_.*which = on != 0;
        return kOk;
    });
}

}  // namespace

FilterInitService FilterInitSlots() {
    FilterInitService t{};
    t.setCategoryName = [](HostObject host, HostString name, HostInt accessKey) {
        return SetName("setCategoryName", host, name, accessKey, &FilterDeclaration::categoryName,
                       &FilterDeclaration::categoryAccessKey);
    };
    t.setFilterName = [](HostObject host, HostString name, HostInt accessKey) {
        return SetName("setFilterName", host, name, accessKey, &FilterDeclaration::filterName,
                       &FilterDeclaration::filterAccessKey);
    };
    t.setFirstSwitch = [](HostObject host, HostBool on) {
        return SetSwitch("setFirstSwitch", host, on, &FilterDeclaration::firstSwitch);
    };
    t.setSecondSwitch = [](HostObject host, HostBool on) {
        return SetSwitch("setSecondSwitch", host, on, &FilterDeclaration::secondSwitch);
    };
    t.setTargetKinds = [](HostObject host, const HostInt* kinds, HostInt count) {
        return RunWithHost(kTable, "setTargetKinds", Num(count), host, [&](HostCore& h) {
            if (count < 0 || (count > 0 && kinds == nullptr)) {
                return Refuse(h, "setTargetKinds: bad array");
            }
            h.filter_.targetKinds.assign(kinds, kinds + count);
            return kOk;
        });
    };
    t.setPropertyObject = [](HostObject host, HostPropertyObject object) {
        return RunWithHost(kTable, "setPropertyObject", {}, host, [&](HostCore& h) {
            if (object != nullptr && h.propertyObjects.count(object) == 0) {
                return Refuse(h, "setPropertyObject: unknown property object");
            }
            h.filter_.propertyObject = object;
            return kOk;
        });
    };
    t.setPropertyCallback = [](HostObject host, PropertyCallback callback, void* data) {
        return RunWithHost(kTable, "setPropertyCallback", {}, host, [&](HostCore& h) {
            h.filter_.callback = callback;
            h.filter_.callbackData = data;
            return kOk;
        });
    };
    return t;
}

}  // namespace velmora::hostcore
