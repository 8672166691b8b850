#include "text/text.h"

#include <cstddef>

namespace quillmere {
namespace {

bool IsLeadByte(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

// Width in bytes of the character that starts at `i`: two for a lead byte with a byte after
// it, else one (a lone lead byte at the very end counts as one character).
std::size_t CharWidth(std::string_view text, std::size_t i) {
  return IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares `sought` with the bytes of `text` from `pos`, which starts a character. Only
// single-byte characters of `text` fold case, so the second byte of a double-byte character
// (which may lie in the ASCII letter range) always compares exactly.
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view sought, bool ignoreCase) {
  if (sought.size() > text.size() - pos) return false;
  bool trailByte = false;
  for (std::size_t j = 0; j < sought.size(); ++j) {
    const char t = text[pos + j];
    const char s = sought[j];
    const bool singleByte = !trailByte && !IsLeadByte(t);
    if (ignoreCase && singleByte) {
      if (FoldAscii(t) != FoldAscii(s)) return false;
    } else if (t != s) {
      return false;
    }
    trailByte = !trailByte && IsLeadByte(t);
  }
  return true;
}

// Position (0-based) of the first match of `sought` at or after the character start `from`,
// stepping by characters; npos when there is none. `sought` must not be empty.
std::size_t FindFrom(std::string_view text, std::string_view sought, std::size_t from,
                     bool ignoreCase) {
  for (std::size_t i = from; i < text.size(); i += CharWidth(text, i)) {
    if (MatchesAt(text, i, sought, ignoreCase)) return i;
  }
  return std::string_view::npos;
}

bool IsBlankAt(std::string_view text, std::size_t i, std::size_t width) {
  if (width == 1) return text[i] == ' ';
  return text[i] == '\xA1' && text[i + 1] == '\xA1';
}

}  // namespace

int Find(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
  const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  const std::size_t found = FindFrom(text, sought, from, ignoreCase);
  return found == std::string_view::npos ? -1 : static_cast<int>(found) + 1;
}

Text Left(std::string_view text, int n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text Right(std::string_view text, int n) {
  if (n <= 0) return {};
  const auto count = static_cast<std::size_t>(n);
  if (count >= text.size()) return Text(text);
  return Text(text.substr(text.size() - count));
}

Text Middle(std::string_view text, int start, int n) {
  if (start < 1 || n <= 0) return {};
  const auto from = static_cast<std::size_t>(start) - 1;
  if (from >= text.size()) return {};
  return Text(text.substr(from, static_cast<std::size_t>(n)));
}

Text Trim(std::string_view text) {
  // Walk by characters so that A1 A1 is only taken as a blank where it is a whole character.
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t width = CharWidth(text, i);
    if (!IsBlankAt(text, i, width)) break;
    i += width;
  }
  const std::size_t begin = i;
  std::size_t end = begin;
  while (i < text.size()) {
    const std::size_t width = CharWidth(text, i);
    if (!IsBlankAt(text, i, width)) end = i + width;
    i += width;
  }
  return Text(text.substr(begin, end - begin));
}

TextList Split(std::string_view text, std::string_view separator) {
  TextList pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t pieceStart = 0;
  while (pieceStart < text.size()) {
    const std::size_t found = FindFrom(text, separator, pieceStart, false);
    if (found == std::string_view::npos) {
      pieces.emplace_back(text.substr(pieceStart));
      break;
    }
    pieces.emplace_back(text.substr(pieceStart, found - pieceStart));
    pieceStart = found + separator.size();
  }
  return pieces;
}

Text ReplaceAll(std::string_view text, std::string_view from, std::string_view to,
                bool ignoreCase) {
  if (from.empty()) return Text(text);
  Text result;
  result.reserve(text.size());
  std::size_t copied = 0;
  while (copied < text.size()) {
    const std::size_t found = FindFrom(text, from, copied, ignoreCase);
    if (found == std::string_view::npos) break;
    result.append(text.substr(copied, found - copied));
    result.append(to);
    copied = found + from.size();
  }
  if (copied < text.size()) result.append(text.substr(copied));
  return result;
}

bool Equals(std::string_view a, std::string_view b, bool ignoreCase) {
  if (a.size() != b.size()) return false;
  if (!ignoreCase) return a == b;
  return MatchesAt(a, 0, b, true);
}

}  // namespace quillmere
