// The host's calls for a plain setting's panel item, chosen by the type of
// the setting's field: double for decimal items, int32_t for integer items,
// bool for check boxes.
#pragma once

#include <cstdint>
#include <optional>

#include "host/host.h"

namespace velmora {

inline void PushItemValue(const Host& host, HostPropertyObject o, int32_t key, double v) {
    host.SetDouble(o, key, v);
}
inline void PushItemValue(const Host& host, HostPropertyObject o, int32_t key, int32_t v) {
    host.SetInt(o, key, v);
}
inline void PushItemValue(const Host& host, HostPropertyObject o, int32_t key, bool v) {
    host.SetBool(o, key, v);
}

// The item's value, or its default, as type T; empty when the host could
// not tell it.
template <typename T>
std::optional<T> ReadItemValue(const Host& host, HostPropertyObject o, int32_t key);
template <typename T>
std::optional<T> ReadItemDefault(const Host& host, HostPropertyObject o, int32_t key);

template <>
inline std::optional<double> ReadItemValue<double>(const Host& host, HostPropertyObject o,
                                                   int32_t key) {
    return host.ReadDouble(o, key);
}
template <>
inline std::optional<int32_t> ReadItemValue<int32_t>(const Host& host, HostPropertyObject o,
                                                     int32_t key) {
    return host.ReadInt(o, key);
}
template <>
inline std::optional<bool> ReadItemValue<bool>(const Host& host, HostPropertyObject o,
                                               int32_t key) {
    return host.ReadBool(o, key);
}
template <>
inline std::optional<double> ReadItemDefault<double>(const Host& host, HostPropertyObject o,
                                                     int32_t key) {
    return host.ReadDoubleDefault(o, key);
}
template <>
inline std::optional<int32_t> ReadItemDefault<int32_t>(const Host& host, HostPropertyObject o,
                                                       int32_t key) {
    return host.ReadIntDefault(o, key);
}
template <>
inline std::optional<bool> ReadItemDefault<bool>(const Host& host, HostPropertyObject o,
                                                 int32_t key) {
    return host.ReadBoolDefault(o, key);
}

}  // namespace velmora
