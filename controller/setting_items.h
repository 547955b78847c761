// The host's calls for a plain setting's panel item, chosen by the type of
// the setting's field: double for decimal items, int32_t for integer items,
// bool for check boxes.
#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>

#include "host/host.h"

namespace velmora {

template <typename T>
inline constexpr bool kSettingType =
    std::is_same_v<T, double> || std::is_same_v<T, int32_t> || std::is_same_v<T, bool>;

inline void PushItemValue(const Host& host, HostPropertyObject o, int32_t key, double v) {
    host.SetDouble(o, key, v);
}
inline void PushItemValue(const Host& host, HostPropertyObject o, int32_t key, int32_t v) {
    host.SetInt(o, key, v);
}
inline void PushItemValue(const Host& host, HostPropertyObject o, int32_t key, bool v) {
    host.SetBool(o, key, v);
}

// The item's value as type T; empty when the host could not tell it.
template <typename T>
std::optional<T> ReadItemValue(const Host& host, HostPropertyObject o, int32_t key) {
    static_assert(kSettingType<T>);
    if constexpr (std::is_same_v<T, double>) return host.ReadDouble(o, key);
    if constexpr (std::is_same_v<T, int32_t>) return host.ReadInt(o, key);
    if constexpr (std::is_same_v<T, bool>) return host.ReadBool(o, key);
}

// The item's default as type T; empty when the host could not tell it.
template <typename T>
std::optional<T> ReadItemDefault(const Host& host, HostPropertyObject o, int32_t key) {
    static_assert(kSettingType<T>);
    if constexpr (std::is_same_v<T, double>) return host.ReadDoubleDefault(o, key);
    if constexpr (std::is_same_v<T, int32_t>) return host.ReadIntDefault(o, key);
    if constexpr (std::is_same_v<T, bool>) return host.ReadBoolDefault(o, key);
}

}  // namespace velmora
