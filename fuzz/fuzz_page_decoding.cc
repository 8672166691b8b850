// The character-set step: sniffing an arbitrary page and decoding it from arbitrary names.
#include "fuzz/fuzz_input.h"
#include "net/page_decoding.h"
#include "pattern/regex_object.h"
#include "platform/charset_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmere;
  const Bytes body(reinterpret_cast<const char*>(data), size);
  RegexObject regex;
  DecodeDeclaredCharset(regex, body, body.substr(0, body.find('\0')));
  auto pieces = fuzz::Pieces(data, size, 2);
  platform::DecodeWithCharset(pieces[0], pieces[1]);
  return 0;
}
