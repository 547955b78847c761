// The binary-interface header reads the same to a C and a C++ compiler:
// every table, slot and record lies where the C side puts it.
#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>
#include <vector>

#include "host/host_interface.h"
#include "tests/unit/host_interface_layout.h"

namespace {

// Where every slot lies is checked at compile time by the C side.
static_assert(std::is_convertible_v<decltype(&TriglavPluginCall), TriglavPluginCallFn>);

std::vector<size_t> FactsSeenFromCpp() {
    return {
#include "tests/unit/host_interface_facts.inc"
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
