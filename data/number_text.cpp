// Locale-independent number conversions of the data files.
#include "data/number_text.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace velmora {
namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether a hexadecimal significand starts at p: a digit, or a point and a digit.
bool StartsHexSignificand(const char* p, const char* end) {
    if (p < end && IsHexDigit(*p)) return true;
    return end - p >= 2 && p[0] == '.' && IsHexDigit(p[1]);
}

}  // namespace

NumberResult ParseReal(std::string_view text, double& value, size_t* used) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    while (p < end && IsCSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // One sign only; from_chars would take a second "-".
    if (p == end || *p == '+' || *p == '-') return NumberResult::kInvalid;

    double v = 0.0;
    std::from_chars_result r{};
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        StartsHexSignificand(p + 2, end)) {
        r = std::from_chars(p + 2, end, v, std::chars_format::hex);
    } else {
        r = std::from_chars(p, end, v, std::chars_format::general);
    }
    if (r.ec == std::errc::invalid_argument) return NumberResult::kInvalid;
    if (r.ec == std::errc::result_out_of_range) return NumberResult::kOutOfRange;
    value = negative ? -v : v;
    if (used != nullptr) *used = static_cast<size_t>(r.ptr - begin);
    return NumberResult::kOk;
}

NumberResult ParseInteger(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude, clamped once it leaves the int32 range.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit) magnitude = kLimit + 1;
    }
    if (digits == 0) return NumberResult::kInvalid;
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max() ||
        signedValue < std::numeric_limits<int32_t>::min()) {
        return NumberResult::kOutOfRange;
    }
    value = static_cast<int32_t>(signedValue);
    return NumberResult::kOk;
}

}  // namespace velmora
