#include "net/utf16_bytes.h"

#include <string>

#include "platform/codepage936.h"

namespace quillmere {

Bytes ToUtf16Bytes(const Text& text, std::optional<bool> dropTerminator) {
  if (text.empty()) return {};
  // The conversion reads up to the terminator, as for a zero-terminated source.
  std::u16string units = platform::Cp936ToUtf16(text.substr(0, text.find('\0')));
  if (!dropTerminator.value_or(false)) units.push_back(u'\0');
  Bytes bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

Text FromUtf16Bytes(const Bytes& bytes) {
  const std::size_t count = bytes.size() / 2;  // a trailing odd byte is not used
  std::u16string units;
  units.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto low = static_cast<unsigned char>(bytes[2 * i]);
    const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
    const auto unit = static_cast<char16_t>(low | (high << 8));
    if (unit == u'\0') break;
    units.push_back(unit);
  }
  return platform::Utf16ToCp936(units);
}

}  // namespace quillmere
