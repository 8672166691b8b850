#include "search/page_number.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <system_error>

namespace quillmere {
namespace {

// Full-width ASCII to ASCII and the ideographic space to a blank; every other character,
// double-byte ones included, stays as it is.
Text FoldFullWidth(const Text& text) {
  Text folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80 || i + 1 >= text.size()) {
      folded += text[i];
      continue;
    }
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      folded += static_cast<char>(trail & 0x7F);
    } else if (lead == 0xA1 && trail == 0xA1) {
      folded += ' ';
    } else {
      folded += text[i];
      folded += text[i + 1];
    }
    ++i;
  }
  return folded;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsWhiteSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Position of the first character that is not white space.
size_t SkipWhiteSpace(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  return i;
}

size_t SkipDigits(std::string_view text, size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

}  // namespace

int64_t ReadWholeNumber(const Text& text) {
  const Text folded = FoldFullWidth(text);
  const std::string_view view(folded);
  size_t i = SkipWhiteSpace(view);
  bool negative = false;
  if (i < view.size() && (view[i] == '+' || view[i] == '-')) negative = view[i++] == '-';
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t value = 0;
  for (; i < view.size() && IsDigit(view[i]); ++i) {
    const int digit = view[i] - '0';
    if (value > (kMax - digit) / 10) return negative ? std::numeric_limits<int64_t>::min() : kMax;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

double ReadNumber(const Text& text) {
  const Text folded = FoldFullWidth(text);
  const std::string_view view(folded);
  const size_t start = SkipWhiteSpace(view);
  size_t i = start;
  bool negative = false;
  if (i < view.size() && (view[i] == '+' || view[i] == '-')) negative = view[i++] == '-';
  const size_t mantissaStart = i;
  i = SkipDigits(view, i);
  size_t digits = i - mantissaStart;
  if (i < view.size() && view[i] == '.') {
    const size_t fractionStart = i + 1;
    const size_t fractionEnd = SkipDigits(view, fractionStart);
    digits += fractionEnd - fractionStart;
    i = fractionEnd;
  }
  if (digits == 0) return 0;
  // An exponent counts only when digits follow its letter and optional sign.
  if (i < view.size() && (view[i] == 'e' || view[i] == 'E')) {
    size_t j = i + 1;
    if (j < view.size() && (view[j] == '+' || view[j] == '-')) ++j;
    const size_t exponentEnd = SkipDigits(view, j);
    if (exponentEnd > j) i = exponentEnd;
  }
  // from_chars takes neither a leading '+' nor depends on the C locale.
  const std::string_view number = view.substr(mantissaStart, i - mantissaStart);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Too large or too small for a double: take the nearest value that can be written back.
    const size_t exponentAt = number.find_first_of("eE");
    const bool tiny =
        exponentAt != std::string_view::npos && number.substr(exponentAt + 1).starts_with('-');
    value = tiny ? 0.0 : std::numeric_limits<double>::max();
  } else if (error != std::errc()) {
    value = 0;
  }
  return negative ? -value : value;
}

Text WriteNumber(double value) {
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  if (error != std::errc()) return "0";
  return Text(buffer, end);
}

}  // namespace quillmere
