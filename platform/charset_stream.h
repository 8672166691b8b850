#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillmere::platform {

// Decodes bytes from the named character set (any letter case) to UTF-16, dropping a leading
// byte-order mark. nullopt when the name is not a character set the decoder knows.
std::optional<std::u16string> DecodeWithCharset(std::string_view charsetName,
                                                std::string_view bytes);

}  // namespace quillmere::platform
