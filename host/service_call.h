// One call to a host service slot, written once for every wrapper: find the
// slot's table in the server record, skip the call when the server, the table
// or the slot is missing, and count any status but 0 as failed. A slot is
// named by its member (&FilterRunService::canvasWidth); the table comes from
// the member's type, so a wrapper cannot ask the wrong table.
#pragma once

#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "host/host_interface.h"

namespace velmora::service {

// The table and the first parameter of a slot member.
template <typename Slot>
struct SlotTraits;

template <typename Table, typename First, typename... Rest>
struct SlotTraits<HostInt (*Table::*)(First, Rest...)> {
    using TableType = Table;
    using FirstParameter = First;
};

// The table of type Table in the server record; null when either is missing.
// Every table type appears once in the record, so its type finds it.
template <typename Table>
const Table* TableIn(const HostServer* server) {
    if (server == nullptr) return nullptr;
    return std::get<const Table*>(std::make_tuple(
        server->moduleInit, server->filterInit, server->filterRun, server->string, server->bitmap,
        server->offscreen, server->property, server->extProperty));
}

// Calls `Slot` with args when its table and the slot exist; true only when
// the host answered status 0.
template <auto Slot, typename... Args>
bool Call(const HostServer* server, Args&&... args) {
    using Table = typename SlotTraits<decltype(Slot)>::TableType;
    const Table* table = TableIn<Table>(server);
    if (table == nullptr || table->*Slot == nullptr) return false;
    return (table->*Slot)(std::forward<Args>(args)...) == 0;
}

// A getter whose one out value comes first: the value starts safe (zero,
// null) and is used only when the host answered 0; whatever a failing host
// wrote is dropped.
template <auto Slot, typename... Args>
auto Read(const HostServer* server, Args&&... args) {
    using Out = std::remove_pointer_t<typename SlotTraits<decltype(Slot)>::FirstParameter>;
    Out value{};
    std::optional<Out> answer;
    if (Call<Slot>(server, &value, std::forward<Args>(args)...)) answer = value;
    return answer;
}

}  // namespace velmora::service
