#pragma once

#include <optional>

#include "text/text.h"

namespace quillmere {

// Everything before the first occurrence of `delimiter` at or after `start` (not supplied, or
// 0 or less: the first byte); empty text when there is none. The result always begins at the
// text's first byte.
Text TextBefore(const Text& text, const Text& delimiter, std::optional<int> start = std::nullopt,
                std::optional<bool> ignoreCase = std::nullopt);

// What lies between the first `startMarker` at or after `start` (below 1 or not supplied: the
// first byte) and the first `endMarker` after it; empty text when either is missing. In both
// markers "#引号" stands for a double quote.
Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 std::optional<int> start = std::nullopt,
                 std::optional<bool> ignoreCase = std::nullopt);

// Merges a cookie text received from a response (`newCookies`) into the cookie text held so
// far (`oldCookies`): the new pairs first, then the old pairs whose names the response did not
// set; pairs ending in "=deleted" are dropped, and so are exact repeats. Both arguments are
// trimmed in place; the result is also written into `oldCookies`.
Text MergeCookies(Text& oldCookies, Text& newCookies);

// The name of a cookie pair: the text before its first "=", trimmed; the whole pair, trimmed,
// when it has no "=".
Text CookieName(const Text& pair);

// True when a pair of `list` has exactly this name.
bool HasCookieName(const TextList& list, const Text& name);

// The pieces of `text` split at `separator`, without exact repeats, joined by `separator`.
Text JoinUnique(const Text& text, const Text& separator);

// The 1-based index of the first element equal to `text`, or -1.
int IndexOfText(const TextList& list, const Text& text);

}  // namespace quillmere
