// UTF-8 / UTF-16 conversion of names and paths.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::string ToUtf8(std::u16string_view text);
std::u16string ToUtf16(std::string_view text);

}  // namespace velmora
