// The pattern object with an arbitrary pattern and subject, then every reading operation.
#include "fuzz/fuzz_input.h"
#include "pattern/regex_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmere;
  auto pieces = fuzz::Pieces(data, size, 3);
  const uint8_t flags = pieces[2].empty() ? 0 : static_cast<uint8_t>(pieces[2][0]);
  RegexObject regex;
  if (flags & 0x80) {
    regex.Create(pieces[0], pieces[1]);
  } else {
    regex.Create(pieces[0], pieces[1], flags & 1, flags & 2, flags & 4, flags & 8);
  }
  regex.PatternText();
  regex.ReplaceMatches(pieces[2]);
  const int count = regex.MatchCount();
  const int groups = regex.SubmatchCount();
  for (int i = 0; i <= count + 1 && i < 64; ++i) {
    int position = 0;
    regex.MatchText(i, &position);
    for (int g = 0; g <= groups + 1 && g < 8; ++g) regex.SubmatchText(i, g, &position);
  }
  return 0;
}
