#pragma once

#include <optional>
#include <string_view>

#include "text/text.h"

namespace quillmere {

class RegexObject;

// Finds a character-set declaration in a page's first bytes.
inline constexpr std::string_view kCharsetDeclarationPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
inline constexpr int kCharsetSniffLength = 1024;

// When the first 1024 bytes of the page text declare a character set other than exactly "gbk"
// or "gb2312", returns the whole body decoded from it as program text; otherwise, or when the
// name is not a known character set, returns nothing and the page text stays as it is. Uses the
// caller's pattern object and takes an apartment pair of its own.
std::optional<Text> DecodeDeclaredCharset(RegexObject& regex, const Bytes& body,
                                          const Text& pageText);

}  // namespace quillmere
