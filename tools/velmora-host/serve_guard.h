// Who may use the preview server: requests that carry this run's key and
// name the loopback address as their host. Anything else on this computer
// (another user, a web page in the browser, a name that resolves here by
// DNS rebinding) gets a refusal.
#pragma once

#include <string>
#include <string_view>

namespace velmora::cli {

// 32 hexadecimal digits from the system's random device.
std::string MakeToken();

// Compares without an early exit, so timing tells nothing about the key.
bool TokenMatches(std::string_view given, std::string_view token);

// True for "127.0.0.1:PORT" and "localhost:PORT" (any letter case), the
// names a browser sends for the printed address and its usual alias.
bool IsLoopbackHost(std::string_view host, int port);

// An Origin header, when a browser sends one, must be the server's own.
bool IsOwnOrigin(std::string_view origin, int port);

}  // namespace velmora::cli
