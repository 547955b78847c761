/* A module that refuses module initialise: the host must say so and stop. */
#include "host/host_interface.h"

#if defined(_WIN32)
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

EXPORT void TriglavPluginCall(HostInt* result, void** pluginData, HostInt selector,
                              HostServer* server) {
    (void)pluginData;
    (void)selector;
    (void)server;
    *result = kResultFailure;
}
