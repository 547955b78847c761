// UTF-8 / UTF-16 conversion of names and paths, by the platform's converter.
#include "data/text.h"

#include "platform/platform.h"

namespace velmora {

std::string ToUtf8(std::u16string_view text) {
    if (text.empty()) return {};
    return platform::Utf16ToUtf8(text);
}

std::u16string ToUtf16(std::string_view text) {
    if (text.empty()) return {};
    return platform::Utf8ToUtf16(text);
}

}  // namespace velmora
