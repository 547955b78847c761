// The property panel as a user meets it: the items the module declared,
// edits kept within each item's range, and the callback that reports them.
#include <algorithm>
#include <cmath>

#include "tools/host_core/host_core.h"

namespace velmora::hostcore {

namespace {

// v kept within the bounds the module set, where it set them.
template <typename T>
T WithinRange(T v, const std::optional<T>& minimum, const std::optional<T>& maximum) {
    if (minimum) v = std::max(v, *minimum);
    if (maximum) v = std::min(v, *maximum);
    return v;
}

// One edit of the panel's item `key` by `change`, then the module is told;
// an unknown item is a fault, and the module is told all the same.
template <typename Change>
int32_t Edit(HostCore& h, int32_t key, Change change) {
    if (PropertyItem* item = h.Item(key)) {
        change(*item);
    } else {
        h.Fault("edit of unknown item " + std::to_string(key));
    }
    return h.Notify(key);
}

}  // namespace

PropertyItem* PropertyObject::Find(int32_t key) {
    for (PropertyItem& item : items) {
        if (item.key == key) return &item;
    }
    return nullptr;
}

const PropertyItem* PropertyObject::Find(int32_t key) const {
    for (const PropertyItem& item : items) {
        if (item.key == key) return &item;
    }
    return nullptr;
}

PropertyObject* HostCore::GetPropertyObject(HostPropertyObject o) {
    const auto it = propertyObjects.find(o);
    return it != propertyObjects.end() ? it->second.get() : nullptr;
}

PropertyObject* HostCore::panel() { return GetPropertyObject(filter_.propertyObject); }

const PropertyObject* HostCore::panel() const {
    const auto it = propertyObjects.find(filter_.propertyObject);
    return it != propertyObjects.end() ? it->second.get() : nullptr;
}

PropertyItem* HostCore::Item(int32_t key) {
    PropertyObject* p = panel();
    return p != nullptr ? p->Find(key) : nullptr;
}

int32_t HostCore::Notify(int32_t key, int32_t notifyKind) {
    if (filter_.callback == nullptr) return 0;
    return Enter(
        [&](HostInt* result) {
            filter_.callback(result, filter_.propertyObject, key, notifyKind,
                             filter_.callbackData);
        },
        "property callback wrote no result for item " + std::to_string(key));
}

int32_t HostCore::EditBool(int32_t key, bool v) {
    return Edit(*this, key, [&](PropertyItem& item) { item.boolValue = v; });
}

int32_t HostCore::EditInt(int32_t key, int32_t v) {
    return Edit(*this, key, [&](PropertyItem& item) {
        item.intValue = WithinRange(v, item.intMinimum, item.intMaximum);
    });
}

int32_t HostCore::EditDouble(int32_t key, double v) {
    return Edit(*this, key, [&](PropertyItem& item) {
        item.doubleValue =
            std::isnan(v) ? v : WithinRange(v, item.doubleMinimum, item.doubleMaximum);
    });
}

int32_t HostCore::EditEnum(int32_t key, int32_t index) {
    return Edit(*this, key, [&](PropertyItem& item) { item.enumIndex = index; });
}

int32_t HostCore::EditPoint(int32_t key, HostPoint p) {
    return Edit(*this, key, [&](PropertyItem& item) { item.point = p; });
}

}  // namespace velmora::hostcore
