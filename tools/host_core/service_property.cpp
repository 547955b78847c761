// PropertyService: the panel's property objects and the values, defaults
// and ranges of their boolean, integer and decimal items.
#include <algorithm>
#include <cstddef>

#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {

constexpr Service kTable = Service::kProperty;

// A slot's name as a template argument: each value slot below is then one
// plain function made from Set or Get.
template <size_t N>
struct Name {
    char text[N];
    constexpr Name(const char (&s)[N]) { std::copy_n(s, N, text); }
};

// Sets `Field` of an item of `Kind`; `Flag`, when given, notes that a value
// or a default was set.
template <Name SlotName, int32_t Kind, auto Field, bool PropertyItem::*Flag = nullptr,
          typename T>
HostInt Set(HostPropertyObject o, HostInt key, T v) {
    return SetOnItem(kTable, SlotName.text, Num(key), Kind, o, key, v, Field, Flag);
}

// `Field` of an item of `Kind` into *out.
template <Name SlotName, int32_t Kind, auto Field, typename T>
HostInt Get(T* out, HostPropertyObject o, HostInt key) {
    return GetFromItem(kTable, SlotName.text, Kind, out, o, key, Field);
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
            if (object == nullptr) return Refuse(h, "addItem: unknown property object");
            if (object->Find(key) != nullptr) {
                return Refuse(h, "addItem: item " + Num(key) + " added twice");
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

    t.setBool = Set<"setBool", kKindBool, &PropertyItem::boolValue, kValueSet>;
    t.getBool = Get<"getBool", kKindBool, &PropertyItem::boolValue>;
    t.setBoolDefault = Set<"setBoolDefault", kKindBool, &PropertyItem::boolDefault, kDefaultSet>;
    t.getBoolDefault = Get<"getBoolDefault", kKindBool, &PropertyItem::boolDefault>;

    t.setInt = Set<"setInt", kKindInt, &PropertyItem::intValue, kValueSet>;
    t.getInt = Get<"getInt", kKindInt, &PropertyItem::intValue>;
    t.setIntDefault = Set<"setIntDefault", kKindInt, &PropertyItem::intDefault, kDefaultSet>;
    t.getIntDefault = Get<"getIntDefault", kKindInt, &PropertyItem::intDefault>;
    t.setIntMinimum = Set<"setIntMinimum", kKindInt, &PropertyItem::intMinimum>;
    t.setIntMaximum = Set<"setIntMaximum", kKindInt, &PropertyItem::intMaximum>;

    t.setDouble = Set<"setDouble", kKindDouble, &PropertyItem::doubleValue, kValueSet>;
    t.getDouble = Get<"getDouble", kKindDouble, &PropertyItem::doubleValue>;
    t.setDoubleDefault =
        Set<"setDoubleDefault", kKindDouble, &PropertyItem::doubleDefault, kDefaultSet>;
    t.getDoubleDefault = Get<"getDoubleDefault", kKindDouble, &PropertyItem::doubleDefault>;
    t.setDoubleMinimum = Set<"setDoubleMinimum", kKindDouble, &PropertyItem::doubleMinimum>;
    t.setDoubleMaximum = Set<"setDoubleMaximum", kKindDouble, &PropertyItem::doubleMaximum>;
    return t;
}

}  // namespace velmora::hostcore
