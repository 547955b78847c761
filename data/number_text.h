// Number conversions of the data files, independent of the C locale so that
// every platform and every host reads a file alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora {

enum class NumberResult { kOk, kInvalid, kOutOfRange };

// Reads a double as the standard string-to-double conversion does in the
// "C" locale: leading white space skipped, the longest number prefix read
// (decimal, "0x" hexadecimal, "inf", "infinity", "nan", "nan(...)", each
// with an optional sign), the rest ignored. Out of range: an overflow, or a
// non-zero number that rounds to zero. `used` receives the bytes read.
NumberResult ParseReal(std::string_view text, double& value, size_t* used = nullptr);

// Reads an int32 as the standard base-10 string-to-integer conversion does:
// leading white space skipped, an optional sign and digits, the rest
// ignored. Out of range: outside the int32 range.
NumberResult ParseInteger(std::string_view text, int32_t& value);

// White space of the "C" locale: space, tab, LF, VT, FF, CR.
constexpr bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace velmora
