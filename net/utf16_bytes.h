#pragma once

#include <optional>

#include "text/text.h"

namespace quillmere {

// Program text as UTF-16 little-endian code units, the zero terminator last unless
// dropTerminator is true. Empty text gives an empty byte set, with no terminator.
Bytes ToUtf16Bytes(const Text& text, std::optional<bool> dropTerminator = std::nullopt);

// UTF-16 little-endian code units back to program text: a trailing odd byte is not used, the
// conversion stops at the first zero code unit, and a character code page 936 cannot represent
// becomes '?'.
Text FromUtf16Bytes(const Bytes& bytes);

}  // namespace quillmere
