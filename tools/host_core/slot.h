// The shape every service slot of the host shares, written once: find the
// host answering the call, log it, maybe fail it on purpose, check the out
// pointers, then run what the slot does. Each table's file
// (service_*.cpp) fills its slots with small bodies on top of this.
#pragma once

#include <string>
#include <utility>

#include "tools/host_core/host_core.h"

namespace velmora::hostcore::slot {

constexpr HostInt kOk = 0;
constexpr HostInt kFailed = 1;

inline std::string Num(long long v) { return std::to_string(v); }

// Notes a protocol fault the module committed and fails the call.
inline HostInt Refuse(HostCore& h, std::string what) {
    h.Fault(std::move(what));
    return kFailed;
}

// The host answering a call; null when none exists or when this call is
// to fail as a host would (an error status, nothing written).
inline HostCore* Enter(Service s, const char* name, std::string detail) {
    HostCore* h = HostCore::Current();
    if (h == nullptr) return nullptr;
    h->CheckThread(name);
    h->Log(s, name, std::move(detail));
    if (h->InjectFailure()) return nullptr;
    return h;
}

// One slot call: enters the host and fails without a host or with a null
// out pointer; otherwise the body's result, body(HostCore&).
template <typename Body, typename... Out>
HostInt Run(Service s, const char* name, std::string detail, Body&& body, Out*... outs) {
    HostCore* h = Enter(s, name, std::move(detail));
    if (h == nullptr || ((outs == nullptr) || ...)) return kFailed;
    return body(*h);
}

// Run for the slots that carry the host object: it is checked first.
template <typename Body, typename... Out>
HostInt RunWithHost(Service s, const char* name, std::string detail, HostObject host,
                    Body&& body, Out*... outs) {
    return Run(
        s, name, std::move(detail),
        [&](HostCore& h) {
            h.CheckHostObject(host, name);
            return body(h);
        },
        outs...);
}

// Null-handle mode: the call succeeds and hands out null.
template <typename T>
bool AnswerNull(HostCore& h, T* out) {
    if (!h.options().nullHandles) return false;
    *out = nullptr;
    return true;
}

// The item `key` of property object o, when it exists and is of `kind`;
// otherwise null, with the fault noted under the slot's name.
inline PropertyItem* FindItem(HostCore& h, HostPropertyObject o, HostInt key, int32_t kind,
                              const char* name) {
    PropertyObject* object = h.GetPropertyObject(o);
    if (object == nullptr) {
        h.Fault(std::string(name) + ": unknown property object");
        return nullptr;
    }
    PropertyItem* item = object->Find(key);
    if (item == nullptr) {
        h.Fault(std::string(name) + ": no item " + Num(key));
        return nullptr;
    }
    if (item->kind != kind) {
        h.Fault(std::string(name) + ": item " + Num(key) + " is of kind " + Num(item->kind));
        return nullptr;
    }
    return item;
}

// Run for the slots on one property item: body(HostCore&, PropertyItem&).
template <typename Body, typename... Out>
HostInt RunOnItem(Service s, const char* name, std::string detail, HostPropertyObject o,
                  HostInt key, int32_t kind, Body&& body, Out*... outs) {
    return Run(
        s, name, std::move(detail),
        [&](HostCore& h) {
            PropertyItem* item = FindItem(h, o, key, kind, name);
            return item != nullptr ? body(h, *item) : kFailed;
        },
        outs...);
}

// A value, default or bound the module sets on an item of `kind`; setFlag,
// when given, remembers that a value or default was set.
template <typename T, typename Field>
HostInt SetOnItem(Service s, const char* name, std::string detail, int32_t kind,
                  HostPropertyObject o, HostInt key, T v, Field field,
                  bool PropertyItem::*setFlag = nullptr) {
    return RunOnItem(s, name, std::move(detail), o, key, kind, [&](HostCore&, PropertyItem& item) {
        item.*field = v;
        if (setFlag != nullptr) item.*setFlag = true;
        return kOk;
    });
}

// A value or default of an item of `kind` into *out.
template <typename T, typename Field>
HostInt GetFromItem(Service s, const char* name, int32_t kind, T* out, HostPropertyObject o,
                    HostInt key, Field field) {
    return RunOnItem(s, name, Num(key), o, key, kind, [&](HostCore&, PropertyItem& item) {
        *out = static_cast<T>(item.*field);
        return kOk;
    }, out);
}

constexpr bool PropertyItem::*kValueSet = &PropertyItem::valueSet;
constexpr bool PropertyItem::*kDefaultSet = &PropertyItem::defaultSet;

}  // namespace velmora::hostcore::slot
