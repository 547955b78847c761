// UTF-8 / UTF-16 conversion and per-code-unit lowercasing, written out
// here because POSIX offers neither for UTF-16. Ill-formed input becomes
// U+FFFD, one per maximal ill-formed subsequence, as the Windows converter
// does without flags.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/platform.h"

namespace velmora::platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (cp >> 10));
        out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
    }
}

struct LowercaseRun {
    char16_t first;
    char16_t last;
    int32_t stride;
    int32_t delta;
};

constexpr LowercaseRun kLowercaseRuns[] = {
#include "platform/lowercase_table.inc"
};

char16_t Lowercase(char16_t c) {
    // First run that ends at or after c; the runs are sorted and disjoint.
    const auto* run = std::lower_bound(
        std::begin(kLowercaseRuns), std::end(kLowercaseRuns), c,
        [](const LowercaseRun& r, char16_t v) { return r.last < v; });
    if (run == std::end(kLowercaseRuns) || c < run->first) return c;
    if ((c - run->first) % run->stride != 0) return c;
    return static_cast<char16_t>(c + run->delta);
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                                (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        // Continuation count and the allowed range of the first continuation
        // byte, which excludes overlong forms, surrogates and values above
        // U+10FFFF.
        int need = 0;
        unsigned lo = 0x80, hi = 0xBF;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0) lo = 0xA0;
            if (lead == 0xED) hi = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            cp = lead & 0x07;
            if (lead == 0xF0) lo = 0x90;
            if (lead == 0xF4) hi = 0x8F;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool complete = true;
        for (int k = 0; k < need; ++k, ++j) {
            const unsigned b = j < n ? static_cast<unsigned char>(text[j]) : 0;
            const unsigned min = k == 0 ? lo : 0x80;
            const unsigned max = k == 0 ? hi : 0xBF;
            if (j >= n || b < min || b > max) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        if (complete) {
            AppendUtf16(out, cp);
        } else {
            out += kReplacement;  // the lead and the valid continuations so far
        }
        i = j;
    }
    return out;
}

void LowercaseInPlace(std::u16string& text) {
    for (char16_t& c : text) c = Lowercase(c);
}

}  // namespace velmora::platform
