/* The binary-interface header compiled as plain C: every table and slot
 * where the interface page puts it, and the facts the C++ side compares. */
#include <stddef.h>

#include "host/host_interface.h"
#include "tests/unit/host_interface_layout.h"

_Static_assert(sizeof(HostInt) == 4 && sizeof(HostBool) == 4, "32-bit integers");
_Static_assert(sizeof(HostDouble) == 8, "64-bit decimals");
_Static_assert(sizeof(HostChar16) == 2, "UTF-16 code units");
_Static_assert(sizeof(HostPoint) == 8 && sizeof(HostRect) == 16, "points and rectangles");
_Static_assert(sizeof(HostRgb) == 3, "a colour is exactly three bytes");

/* The values hosts rely on. */
_Static_assert(kSelectorModuleInitialize == 257 && kSelectorModuleTerminate == 258 &&
                   kSelectorFilterInitialize == 513 && kSelectorFilterRun == 514 &&
                   kSelectorFilterTerminate == 515,
               "selectors");
_Static_assert(kResultSuccess == 0 && kResultFailure == -1, "entry point results");
_Static_assert(kProcessStart == 257 && kProcessContinue == 258 && kProcessDone == 259,
               "process-state requests");
_Static_assert(kNotifyValueChanged == 0x11 && kNotifyEvent == 0x21, "notify kinds");
_Static_assert(kPropertyUnchanged == 1 && kPropertyChanged == 2, "callback results");
_Static_assert(kKindBool == 1 && kKindEnum == 2 && kKindInt == 17 && kKindDouble == 18 &&
                   kKindPoint == 33,
               "item kinds");
_Static_assert(kChannelKindSelection == 1 && kChannelKindGrey == 2 && kChannelKindRgb == 3 &&
                   kChannelKindFourColour == 4 && kChannelKindBinary == 6,
               "channel kinds");

#define TABLE(t, n) _Static_assert(sizeof(t) == (n) * sizeof(void*), #t " has " #n " slots");
#define SLOT(t, m, k) \
    _Static_assert(offsetof(t, m) == (k) * sizeof(void*), #t "." #m " is slot " #k);
#include "tests/unit/host_interface_slots.inc"
#undef TABLE
#undef SLOT

/* The prototype and the pointer type agree. */
static const TriglavPluginCallFn kEntry = &TriglavPluginCall;

static const size_t kFacts[] = {
#include "tests/unit/host_interface_facts.inc"
};

const size_t* HostInterfaceLayoutSeenFromC(size_t* count) {
    (void)kEntry;
    *count = sizeof(kFacts) / sizeof(kFacts[0]);
    return kFacts;
}
