/* A module that refuses module initialise: the host must say so and stop. */
#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define EXPORT __declspec(dllexport)
#else
#define EXPORT __attribute__((visibility("default")))
#endif

EXPORT void TriglavPluginCall(int32_t* result, void** pluginData, int32_t selector, void* server) {
    (void)pluginData;
    (void)selector;
    (void)server;
    *result = -1;
}
