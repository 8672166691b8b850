// The header-line step on an arbitrary raw header block, with and without the cookie merge.
#include "fuzz/fuzz_input.h"
#include "net/header_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmere;
  auto pieces = fuzz::Pieces(data, size, 2);
  Text status, received, target;
  ReadHeaderLines(pieces[0], status, received, target, nullptr, true);
  Text sendCookies = pieces[1];
  Text status2, received2 = pieces[1], target2;
  ReadHeaderLines(pieces[0], status2, received2, target2, &sendCookies, true);
  return 0;
}
