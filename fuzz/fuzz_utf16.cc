// Both UTF-16 conversions on arbitrary input.
#include "fuzz/fuzz_input.h"
#include "net/utf16_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmere;
  const Bytes bytes(reinterpret_cast<const char*>(data), size);
  const Text text = FromUtf16Bytes(bytes);
  if (text.find('\0') != Text::npos) __builtin_trap();
  const Bytes units = ToUtf16Bytes(text);
  if (!text.empty() && (units.size() < 2 || units.size() % 2 != 0)) __builtin_trap();
  ToUtf16Bytes(text, true);
  if (FromUtf16Bytes(units).find('\0') != Text::npos) __builtin_trap();
  return 0;
}
