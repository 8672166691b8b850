#pragma once

#include <cstdint>

#include "text/text.h"

namespace quillmere {

// The page number lives only as the text of the page box; these three conversions read it
// and write it back. Both readings first fold full-width ASCII (A3A1-A3FE) to plain ASCII and
// the ideographic space (A1A1) to a blank, then skip white space. Text that does not begin
// with a number reads as 0.

// Sign and decimal digits up to the first other character. Values beyond the 64-bit range
// saturate rather than wrap, so no huge number ever reads as 1.
int64_t ReadWholeNumber(const Text& text);

// Sign, digits, an optional decimal point and fraction, an optional exponent. Values beyond
// the range of double read as the largest finite value of that sign.
double ReadNumber(const Text& text);

// "%.13g": at most 13 significant digits, no trailing zeros, independent of the C locale.
Text WriteNumber(double value);

}  // namespace quillmere
