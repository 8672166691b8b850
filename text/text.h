#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// Program text: code page 936 (GBK) bytes, never a zero byte inside. A byte of 0x80 or above
// starts a double-byte character. Positions count bytes from 1; a failed search gives -1.
using Text = std::string;
// A counted run of bytes of any value (request and response bodies).
using Bytes = std::string;
using TextList = std::vector<Text>;

// Searches `text` for `sought` from byte position `start` (below 1: the first byte; at or past
// the end: nothing found), moving one character at a time so that a match never starts on the
// second byte of a double-byte character. ignoreCase compares ASCII letters without regard to
// case. Returns the 1-based position of the first match or -1. An empty `sought` gives 1 when
// the searched part is not empty, else -1.
int Find(std::string_view text, std::string_view sought, int start = 1, bool ignoreCase = false);

// The first / last n bytes; n <= 0 gives empty text, n beyond the length the whole text.
Text Left(std::string_view text, int n);
Text Right(std::string_view text, int n);
// Up to n bytes from position start; start below 1 or past the end, or n <= 0, gives empty text.
Text Middle(std::string_view text, int start, int n);

// Removes blanks (0x20) and full-width blanks (A1 A1) at both ends; tabs and line ends stay.
Text Trim(std::string_view text);

// The pieces between occurrences of `separator`, scanning by characters. Adjacent separators
// give an empty piece, a leading one an empty first piece, a trailing one no piece. Empty text
// gives no pieces; an empty separator gives the whole text as one piece.
TextList Split(std::string_view text, std::string_view separator);

// Replaces every occurrence of `from`, left to right without overlap, scanning by characters.
Text ReplaceAll(std::string_view text, std::string_view from, std::string_view to,
                bool ignoreCase = false);

// Exact byte comparison, or ASCII letters without regard to case.
bool Equals(std::string_view a, std::string_view b, bool ignoreCase = false);

}  // namespace quillmere
