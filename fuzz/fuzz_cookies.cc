// The header and cookie text helpers on arbitrary texts.
#include "fuzz/fuzz_input.h"
#include "net/cookies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillmere;
  auto pieces = fuzz::Pieces(data, size, 4);
  const int start = pieces[3].empty() ? 0 : static_cast<signed char>(pieces[3][0]);
  TextBefore(pieces[0], pieces[1]);
  TextBefore(pieces[0], pieces[1], start, true);
  TextBetween(pieces[0], pieces[1], pieces[2]);
  TextBetween(pieces[0], pieces[1], pieces[2], start, true);
  JoinUnique(pieces[0], pieces[1]);
  CookieName(pieces[0]);
  Text oldCookies = pieces[0];
  Text newCookies = pieces[1];
  const Text merged = MergeCookies(oldCookies, newCookies);
  if (merged != oldCookies) __builtin_trap();
  return 0;
}
