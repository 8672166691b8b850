#include "net/cookies.h"

#include <algorithm>

namespace quillmere {
namespace {

// Lets callers write a double quote inside a marker.
constexpr char kQuoteStandIn[] = "#\xD2\xFD\xBA\xC5";  // "#引号" in code page 936

Text WithQuotes(const Text& marker) {
  return ReplaceAll(marker, kQuoteStandIn, "\"");
}

}  // namespace

Text TextBefore(const Text& text, const Text& delimiter, std::optional<int> start,
                std::optional<bool> ignoreCase) {
  const int from = std::max(start.value_or(1), 1);
  const int found = Find(text, delimiter, from, ignoreCase.value_or(false));
  if (found == -1) return {};
  return Left(text, found - 1);
}

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 std::optional<int> start, std::optional<bool> ignoreCase) {
  const Text startText = WithQuotes(startMarker);
  const Text endText = WithQuotes(endMarker);
  const bool fold = ignoreCase.value_or(false);
  const int found = Find(text, startText, start.value_or(0), fold);
  if (found == -1) return {};
  const int contentStart = found + static_cast<int>(startText.size());
  const int contentEnd = Find(text, endText, contentStart, fold);
  if (contentEnd == -1) return {};
  return Middle(text, contentStart, contentEnd - contentStart);
}

Text MergeCookies(Text& oldCookies, Text& newCookies) {
  oldCookies = Trim(oldCookies);
  newCookies = Trim(newCookies);
  const TextList oldList = Split(oldCookies, ";");
  TextList newList = Split(newCookies, ";");

  // The list grows as old pairs join it, so of several old pairs with one name only the first
  // is taken over.
  for (const Text& pair : oldList) {
    if (!HasCookieName(newList, CookieName(pair))) newList.push_back(pair);
  }

  Text merged;
  for (const Text& pair : newList) {
    if (Right(pair, 8) == "=deleted") continue;
    merged += pair;
    merged += ';';
  }
  if (!merged.empty()) merged.pop_back();

  oldCookies = JoinUnique(merged, ";");
  return oldCookies;
}

Text CookieName(const Text& pair) {
  const int equals = Find(pair, "=");
  if (equals == -1) return Trim(pair);
  return Trim(Left(pair, equals - 1));
}

bool HasCookieName(const TextList& list, const Text& name) {
  for (const Text& pair : list) {
    if (CookieName(pair) == name) return true;
  }
  return false;
}

Text JoinUnique(const Text& text, const Text& separator) {
  TextList seen;
  Text result;
  for (const Text& piece : Split(text, separator)) {
    if (IndexOfText(seen, piece) != -1) continue;
    seen.push_back(piece);
    result += piece;
    result += separator;
  }
  result.resize(result.size() >= separator.size() ? result.size() - separator.size() : 0);
  return result;
}

int IndexOfText(const TextList& list, const Text& text) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == text) return static_cast<int>(i) + 1;
  }
  return -1;
}

}  // namespace quillmere
