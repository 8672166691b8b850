#pragma once

#include <string>
#include <string_view>

namespace quillmere::platform {

// The request target as it goes on the wire: the object name (path and extra information)
// taken as UTF-8, every byte from 0x80 up written as %XX with upper-case hex digits, and the
// blank, the control bytes 0x00-0x1F and 0x7F and the characters " # < > [ \ ] ^ ` { | }
// escaped the same way. '%' and every other character stay as they are, so an object name
// that is already escaped passes unchanged.
std::string EscapeRequestTarget(std::u16string_view objectName);

// The same escaping applied to bytes that are already UTF-8.
std::string EscapeRequestTargetBytes(std::string_view utf8);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

}  // namespace quillmere::platform
