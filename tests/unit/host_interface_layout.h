/* The layout of the binary interface as one compiler sees it, for the
 * other to compare: a C view and a C++ view of the same facts. */
#ifndef VELMORA_TESTS_HOST_INTERFACE_LAYOUT_H
#define VELMORA_TESTS_HOST_INTERFACE_LAYOUT_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Sizes of the scalar and record types, table sizes and slot offsets, in
 * the order of host_interface_slots.inc; *count receives their number. */
const size_t* HostInterfaceLayoutSeenFromC(size_t* count);

#ifdef __cplusplus
}
#endif

#endif
