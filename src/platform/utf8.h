#pragma once

#include <string>
#include <string_view>

namespace platform {

// Decodes UTF-8 to UTF-16; every byte that does not start a valid sequence (overlong forms,
// surrogates and values above U+10FFFF included) becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace platform
