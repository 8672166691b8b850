// Every text operation on arbitrary texts and positions.
#include "fuzz/fuzz_input.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmere;
  const auto pieces = fuzz::Pieces(data, size, 3);
  const Text& text = pieces[0];
  const Text& sought = pieces[1];
  const int number = pieces[2].empty() ? 0 : static_cast<signed char>(pieces[2][0]);
  for (bool ignoreCase : {false, true}) {
    const int found = Find(text, sought, number, ignoreCase);
    if (found != -1 && (found < 1 || found > static_cast<int>(text.size()) + 1)) __builtin_trap();
    ReplaceAll(text, sought, pieces[2], ignoreCase);
    Equals(text, sought, ignoreCase);
  }
  Left(text, number);
  Right(text, number);
  Middle(text, number, number * 3);
  Trim(text);
  Split(text, sought);
  return 0;
}
