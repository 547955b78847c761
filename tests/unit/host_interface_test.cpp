// The binary-interface header reads the same to a C and a C++ compiler:
// every table, slot and record lies where the C side puts it.
#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>
#include <vector>

#include "host/host_interface.h"
#include "tests/unit/host_interface_layout.h"

namespace {

#define TABLE(t, n) static_assert(sizeof(t) == (n) * sizeof(void*), #t " has " #n " slots");
#define SLOT(t, m, k) \
    static_assert(offsetof(t, m) == (k) * sizeof(void*), #t "." #m " is slot " #k);
#include "tests/unit/host_interface_slots.inc"
#undef TABLE
#undef SLOT
static_assert(std::is_convertible_v<decltype(&TriglavPluginCall), TriglavPluginCallFn>);

std::vector<size_t> FactsSeenFromCpp() {
    return {
        sizeof(HostInt), sizeof(HostBool), sizeof(HostDouble), sizeof(HostChar16),
        sizeof(HostPoint), sizeof(HostRect), sizeof(HostRgb), sizeof(HostString),
#define TABLE(t, n) sizeof(t),
#define SLOT(t, m, k) offsetof(t, m),
#include "tests/unit/host_interface_slots.inc"
#undef TABLE
#undef SLOT
    };
}

TEST(HostInterface, CAndCppSeeTheSameLayout) {
    size_t count = 0;
    const size_t* fromC = HostInterfaceLayoutSeenFromC(&count);
    const std::vector<size_t> fromCpp = FactsSeenFromCpp();
    ASSERT_EQ(count, fromCpp.size());
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(fromC[i], fromCpp[i]) << "fact " << i;
}

}  // namespace
