#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillmere::fuzz {

// Splits a fuzzer input into pieces at the byte 0x00, so one input can carry several texts.
// Program text never holds a zero byte, which makes it a natural separator.
inline std::vector<std::string> Pieces(const uint8_t* data, size_t size, size_t count) {
  std::vector<std::string> pieces(count);
  size_t piece = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && piece + 1 < count) {
      ++piece;
    } else {
      pieces[piece].push_back(static_cast<char>(data[i]));
    }
  }
  return pieces;
}

}  // namespace quillmere::fuzz
