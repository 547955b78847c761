// PropertyService: the panel's property objects and the values, defaults
// and ranges of their boolean, integer and decimal items.
#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {

constexpr Service kTable = Service::kProperty;

// Items of this table.
template <typename T, typename Field>
HostInt Set(const char* name, int32_t kind, HostPropertyObject o, HostInt key, T v, Field field,
            bool PropertyItem::*setFlag = nullptr) {
    return SetOnItem(kTable, name, Num(key), kind, o, key, v, field, setFlag);
}

template <typename T, typename Field>
HostInt Get(const char* name, int32_t kind, T* out, HostPropertyObject o, HostInt key,
            Field field) {
    return GetFromItem(kTable, name, kind, out, o, key, field);
}

}  // namespace

PropertyService PropertySlots() {
    PropertyService t{};
    t.create = [](HostPropertyObject* out) {
        return Run(kTable, "create", {}, [&](HostCore& h) {
            if (AnswerNull(h, out)) return kOk;
            auto object = std::make_unique<PropertyObject>();
            const auto handle = reinterpret_cast<HostPropertyObject>(object.get());
            h.propertyObjects[handle] = std::move(object);
            h.releasedPropertyObjects.erase(handle);
            *out = handle;
            return kOk;
        }, out);
    };
    t.release = [](HostPropertyObject o) {
        return Run(kTable, "release", {}, [&](HostCore& h) {
            if (h.propertyObjects.erase(o) != 1) {
                h.Fault(h.releasedPropertyObjects.count(o) != 0
                            ? "property object released twice"
                            : "property release: unknown property object");
                return kFailed;
            }
            h.releasedPropertyObjects.insert(o);
            if (h.filter_.propertyObject == o) h.filter_.propertyObject = nullptr;
            return kOk;
        });
    };
    t.addItem = [](HostPropertyObject o, HostInt key, HostInt kind, HostInt codeA,
                   HostInt codeB, HostString caption, HostInt accessKey) {
        return Run(kTable, "addItem", Num(key) + " kind " + Num(kind), [&](HostCore& h) {
            PropertyObject* object = h.GetPropertyObject(o);
            if (object == nullptr) {
                h.Fault("addItem: unknown property object");
                return kFailed;
            }
            if (object->Find(key) != nullptr) {
                h.Fault("addItem: item " + Num(key) + " added twice");
                return kFailed;
            }
            if (kind != kKindBool && kind != kKindEnum && kind != kKindInt &&
                kind != kKindDouble && kind != kKindPoint) {
                h.Fault("addItem: unknown kind " + Num(kind));
            }
            if (caption != nullptr && h.strings.count(caption) == 0) {
                h.Fault("addItem: unknown caption string");
            }
            PropertyItem item;
            item.key = key;
            item.kind = kind;
            item.codeA = codeA;
            item.codeB = codeB;
            item.caption = h.StringText(caption);
            item.accessKey = accessKey;
            object->items.push_back(std::move(item));
            return kOk;
        });
    };

    t.setBool = [](HostPropertyObject o, HostInt key, HostBool v) {
        return Set("setBool", kKindBool, o, key, v != 0, &PropertyItem::boolValue, kValueSet);
    };
    t.getBool = [](HostBool* out, HostPropertyObject o, HostInt key) {
        return Get("getBool", kKindBool, out, o, key, &PropertyItem::boolValue);
    };
    t.setBoolDefault = [](HostPropertyObject o, HostInt key, HostBool v) {
        return Set("setBoolDefault", kKindBool, o, key, v != 0, &PropertyItem::boolDefault,
                   kDefaultSet);
    };
    t.getBoolDefault = [](HostBool* out, HostPropertyObject o, HostInt key) {
        return Get("getBoolDefault", kKindBool, out, o, key, &PropertyItem::boolDefault);
    };

    t.setInt = [](HostPropertyObject o, HostInt key, HostInt v) {
        return Set("setInt", kKindInt, o, key, v, &PropertyItem::intValue, kValueSet);
    };
    t.getInt = [](HostInt* out, HostPropertyObject o, HostInt key) {
        return Get("getInt", kKindInt, out, o, key, &PropertyItem::intValue);
    };
    t.setIntDefault = [](HostPropertyObject o, HostInt key, HostInt v) {
        return Set("setIntDefault", kKindInt, o, key, v, &PropertyItem::intDefault, kDefaultSet);
    };
    t.getIntDefault = [](HostInt* out, HostPropertyObject o, HostInt key) {
        return Get("getIntDefault", kKindInt, out, o, key, &PropertyItem::intDefault);
    };
    t.setIntMinimum = [](HostPropertyObject o, HostInt key, HostInt v) {
        return Set("setIntMinimum", kKindInt, o, key, v, &PropertyItem::intMinimum);
    };
    t.setIntMaximum = [](HostPropertyObject o, HostInt key, HostInt v) {
        return Set("setIntMaximum", kKindInt, o, key, v, &PropertyItem::intMaximum);
    };

    t.setDouble = [](HostPropertyObject o, HostInt key, HostDouble v) {
        return Set("setDouble", kKindDouble, o, key, v, &PropertyItem::doubleValue, kValueSet);
    };
    t.getDouble = [](HostDouble* out, HostPropertyObject o, HostInt key) {
        return Get("getDouble", kKindDouble, out, o, key, &PropertyItem::doubleValue);
    };
    t.setDoubleDefault = [](HostPropertyObject o, HostInt key, HostDouble v) {
        return Set("setDoubleDefault", kKindDouble, o, key, v, &PropertyItem::doubleDefault,
                   kDefaultSet);
    };
    t.getDoubleDefault = [](HostDouble* out, HostPropertyObject o, HostInt key) {
        return Get("getDoubleDefault", kKindDouble, out, o, key, &PropertyItem::doubleDefault);
    };
    t.setDoubleMinimum = [](HostPropertyObject o, HostInt key, HostDouble v) {
        return Set("setDoubleMinimum", kKindDouble, o, key, v, &PropertyItem::doubleMinimum);
    };
    t.setDoubleMaximum = [](HostPropertyObject o, HostInt key, HostDouble v) {
        return Set("setDoubleMaximum", kKindDouble, o, key, v, &PropertyItem::doubleMaximum);
    };
    return t;
}

}  // namespace velmora::hostcore
