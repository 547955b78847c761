// A host string the module made, released once through the string service.
#include "host/host.h"

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

}  // namespace velmora
