#include "search/page_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace quillmere {
namespace {

struct PageTextCase {
  const char* label;
  Text text;
  int64_t wholeNumber;
  double number;
  Text writtenPlusOne;   // WriteNumber(number + 1), what the next-page button writes
  Text writtenMinusOne;  // WriteNumber(number - 1), what the previous-page button writes
};

// Full-width digits and signs are code page 936 A3xx; the ideographic space is A1A1.
const PageTextCase kPageTextCases[] = {
    {"one", "1", 1, 1, "2", "0"},
    {"leading_zero", "01", 1, 1, "2", "0"},
    {"fraction_below_two", "1.9", 1, 1.9, "2.9", "0.9"},
    {"fraction", "2.5", 2, 2.5, "3.5", "1.5"},
    {"zero", "0", 0, 0, "1", "-1"},
    {"empty", "", 0, 0, "1", "-1"},
    {"negative", "-3", -3, -3, "-2", "-4"},
    {"plus_sign", "+4", 4, 4, "5", "3"},
    {"full_width_two", "\xA3\xB2", 2, 2, "3", "1"},
    {"full_width_minus_one", "\xA3\xAD\xA3\xB1", -1, -1, "0", "-2"},
    {"ideographic_space_then_five",
     "\xA1\xA1"
     "5",
     5, 5, "6", "4"},
    {"exponent", "1e2", 1, 100, "101", "99"},
    {"exponent_with_sign", "25E-1", 25, 2.5, "3.5", "1.5"},
    {"exponent_without_digits", "3e", 3, 3, "4", "2"},
    {"leading_blank", " 7", 7, 7, "8", "6"},
    {"leading_tab_and_line_end", "\t\r\n8", 8, 8, "9", "7"},
    {"trailing_text", "12abc", 12, 12, "13", "11"},
    {"letters", "abc", 0, 0, "1", "-1"},
    {"sign_only", "-", 0, 0, "1", "-1"},
    {"point_only", ".", 0, 0, "1", "-1"},
    {"leading_point", ".5", 0, 0.5, "1.5", "-0.5"},
    {"other_chinese_character", "\xD2\xBB", 0, 0, "1", "-1"},
    {"no_hex", "0x10", 0, 0, "1", "-1"},
    {"no_infinity", "inf", 0, 0, "1", "-1"},
    {"twelve_digits", "999999999999", 999999999999, 999999999999, "1000000000000", "999999999998"},
    {"thirteen_digits", "9999999999999", 9999999999999, 9999999999999, "1e+13", "9999999999998"},
    {"seventeen_digits", "12345678901234567", 12345678901234567, 12345678901234567.0,
     "1.234567890123e+16", "1.234567890123e+16"},
    // Wrapping to 32 bits would read this as 1; it must not.
    {"beyond_32_bits", "4294967297", 4294967297, 4294967297, "4294967298", "4294967296"},
    {"beyond_64_bits", "99999999999999999999", std::numeric_limits<int64_t>::max(), 1e20, "1e+20",
     "1e+20"},
    {"beyond_double", "1e999", 1, std::numeric_limits<double>::max(), "1.797693134862e+308",
     "1.797693134862e+308"},
    {"below_double", "1e-999", 1, 0, "1", "-1"},
};

class PageTextTest : public testing::TestWithParam<PageTextCase> {};

TEST_P(PageTextTest, WholeNumberReading) {
  EXPECT_EQ(ReadWholeNumber(GetParam().text), GetParam().wholeNumber);
}

TEST_P(PageTextTest, NumberReading) {
  EXPECT_DOUBLE_EQ(ReadNumber(GetParam().text), GetParam().number);
}

TEST_P(PageTextTest, WritingTheNextAndPreviousNumber) {
  const double number = ReadNumber(GetParam().text);
  EXPECT_EQ(WriteNumber(number + 1), GetParam().writtenPlusOne);
  EXPECT_EQ(WriteNumber(number - 1), GetParam().writtenMinusOne);
}

INSTANTIATE_TEST_SUITE_P(PageTexts, PageTextTest, testing::ValuesIn(kPageTextCases),
                         [](const testing::TestParamInfo<PageTextCase>& info) {
                           return std::string(info.param.label);
                         });

struct WriteCase {
  double value;
  const char* written;
};

class WriteNumberTest : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteNumberTest, ThirteenSignificantDigits) {
  EXPECT_EQ(WriteNumber(GetParam().value), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Values, WriteNumberTest,
                         testing::Values(WriteCase{10, "10"}, WriteCase{-1, "-1"},
                                         WriteCase{0.1 + 0.2, "0.3"},
                                         WriteCase{1.0 / 3, "0.3333333333333"},
                                         WriteCase{0.00001, "1e-05"},
                                         WriteCase{123456789.25, "123456789.25"},
                                         WriteCase{1234567890123.4, "1234567890123"}));

}  // namespace
}  // namespace quillmere
