// ModuleInitService: the host's version and the module's registration.
#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {
constexpr Service kTable = Service::kModuleInit;
}  // namespace

ModuleInitService ModuleInitSlots() {
    ModuleInitService t{};
    t.hostVersion = [](HostInt* out, HostObject host) {
        return RunWithHost(kTable, "hostVersion", {}, host, [&](HostCore& h) {
            *out = h.options().hostVersion;
            return kOk;
        }, out);
    };
    t.setModuleId = [](HostObject host, HostString id) {
        return RunWithHost(kTable, "setModuleId", {}, host, [&](HostCore& h) {
            if (h.strings.count(id) == 0) return Refuse(h, "setModuleId: unknown string");
            h.moduleId_ = Utf16ToUtf8(h.StringText(id));
            return kOk;
        });
    };
    t.setModuleKind = [](HostObject host, HostInt kind) {
        return RunWithHost(kTable, "setModuleKind", Num(kind), host, [&](HostCore& h) {
            h.moduleKind_ = kind;
            return kOk;
        });
    };
    return t;
}

}  // namespace velmora::hostcore
