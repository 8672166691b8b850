#pragma once

#include <string>
#include <string_view>

namespace quillmere::platform {

// Code page 936 (GBK) as Windows maps it, over ICU's windows-936-2000 table.

// Bytes to UTF-16 code units. A byte sequence the code page cannot decode becomes '?'
// (U+003F), never U+FFFD. Zero bytes convert like any other byte.
std::u16string Cp936ToUtf16(std::string_view bytes);

// UTF-16 code units to bytes, with best-fit fallbacks on. A code point the code page cannot
// represent becomes the default character '?'. Composite check: a base character followed
// by a combining mark becomes the precomposed character when one exists that the code page
// can represent; otherwise both stay.
std::string Utf16ToCp936(std::u16string_view units);

}  // namespace quillmere::platform
