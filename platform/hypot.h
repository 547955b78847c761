// sqrt(x * x + y * y) without undue overflow or underflow, with the same
// last bit on every platform. The C runtimes' hypot functions differ in the
// last bit, and a flipped bit can flip a stamped byte; this one gives
// glibc's results bit for bit (an improved Borges kernel without fused
// multiply-add), so the Linux and Windows modules stamp the same discs.
#pragma once

namespace velmora::platform {

double Hypot(double x, double y);

}  // namespace velmora::platform
