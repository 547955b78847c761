// ExtPropertyService: point and enumeration items.
#include "tools/host_core/services.h"
#include "tools/host_core/slot.h"

namespace velmora::hostcore {

using namespace slot;

namespace {

constexpr Service kTable = Service::kExtProperty;

// The log detail of a call on item key with a value.
std::string KeyAnd(HostInt key, HostInt value) { return Num(key) + " " + Num(value); }

}  // namespace

ExtPropertyService ExtPropertySlots() {
    ExtPropertyService t{};
    t.setPoint = [](HostPropertyObject o, HostInt key, const HostPoint* p) {
        return RunOnItem(kTable, "setPoint", Num(key), o, key, kKindPoint,
                         [&](HostCore& h, PropertyItem& item) {
                             if (p == nullptr) return Refuse(h, "setPoint: null point");
                             item.point = *p;
                             item.valueSet = true;
                             return kOk;
                         });
    };
    t.getPoint = [](HostPoint* out, HostPropertyObject o, HostInt key) {
        return GetFromItem(kTable, "getPoint", kKindPoint, out, o, key, &PropertyItem::point);
    };
    t.setPointFirstSetting = [](HostPropertyObject o, HostInt key, HostInt v) {
        return SetOnItem(kTable, "setPointFirstSetting", KeyAnd(key, v), kKindPoint, o, key, v,
                         &PropertyItem::pointFirstSetting);
    };
    t.setPointSecondSetting = [](HostPropertyObject o, HostInt key, HostInt v) {
        return SetOnItem(kTable, "setPointSecondSetting", KeyAnd(key, v), kKindPoint, o, key, v,
                         &PropertyItem::pointSecondSetting);
    };
    t.setEnum = [](HostPropertyObject o, HostInt key, HostInt index) {
        return SetOnItem(kTable, "setEnum", KeyAnd(key, index), kKindEnum, o, key, index,
                         &PropertyItem::enumIndex, kValueSet);
    };
    t.getEnum = [](HostInt* out, HostPropertyObject o, HostInt key) {
        return GetFromItem(kTable, "getEnum", kKindEnum, out, o, key, &PropertyItem::enumIndex);
    };
    t.setEnumDefault = [](HostPropertyObject o, HostInt key, HostInt index) {
        return SetOnItem(kTable, "setEnumDefault", KeyAnd(key, index), kKindEnum, o, key, index,
                         &PropertyItem::enumDefault, kDefaultSet);
    };
    t.getEnumDefault = [](HostInt* out, HostPropertyObject o, HostInt key) {
        return GetFromItem(kTable, "getEnumDefault", kKindEnum, out, o, key,
                           &PropertyItem::enumDefault);
    };
    t.addEnumString = [](HostPropertyObject o, HostInt key, HostInt index, HostString s,
                         HostInt flag) {
        return RunOnItem(kTable, "addEnumString", KeyAnd(key, index), o, key, kKindEnum,
                         [&](HostCore& h, PropertyItem& item) {
                             if (h.strings.count(s) == 0) {
                                 return Refuse(h, "addEnumString: unknown string");
                             }
                             if (item.enumStrings.count(index) != 0) {
                                 h.Fault("addEnumString: index " + Num(index) + " of item " +
                                         Num(key) + " added twice");
                             } else if (static_cast<size_t>(index) != item.enumStrings.size()) {
                                 h.Fault("addEnumString: index " + Num(index) + " of item " +
                                         Num(key) + " leaves a gap (" +
                                         Num(static_cast<HostInt>(item.enumStrings.size())) +
                                         " strings held)");
                             }
                             item.enumStrings[index] = h.StringText(s);
                             item.enumFlags.push_back(flag);
                             return kOk;
                         });
    };
    return t;
}

}  // namespace velmora::hostcore
