#include "text/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace quillmere {
namespace {

// "中" and "啊" in code page 936, and a character whose second byte is the letter 'A'.
const std::string kZhong = "\xD6\xD0";
const std::string kA = "\xB0\xA1";
const std::string kTrailA = "\x81\x41";
const std::string kWideBlank = "\xA1\xA1";

struct FindCase {
  const char* name;
  std::string text;
  std::string sought;
  int start;
  bool ignoreCase;
  int expected;
};

void PrintTo(const FindCase& c, std::ostream* os) {
  *os << c.name;
}

class FindTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTest, GivesPositionOrMinusOne) {
  const FindCase& c = GetParam();
  EXPECT_EQ(Find(c.text, c.sought, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTest,
    ::testing::Values(
        FindCase{"first match", "abcabc", "bc", 1, false, 2},
        FindCase{"from a later start", "abcabc", "bc", 3, false, 5},
        FindCase{"start below one means first byte", "abc", "a", -5, false, 1},
        FindCase{"start zero means first byte", "abc", "a", 0, false, 1},
        FindCase{"start at last byte still searches", "abc", "c", 3, false, 3},
        FindCase{"start past the end finds nothing", "abc", "c", 4, false, -1},
        FindCase{"not found", "abc", "x", 1, false, -1},
        FindCase{"sought longer than text", "ab", "abc", 1, false, -1},
        FindCase{"case counts by default", "Set-Cookie", "set-cookie", 1, false, -1},
        FindCase{"ignore case", "Set-Cookie", "set-COOKIE", 1, true, 1},
        FindCase{"empty sought in non-empty part", "abc", "", 2, false, 1},
        FindCase{"empty sought in empty text", "", "", 1, false, -1},
        FindCase{"empty sought past the end", "abc", "", 4, false, -1},
        FindCase{"empty text", "", "a", 1, false, -1},
        // 中 is D6 D0 and 啊 is B0 A1: "D0 B0" appears across the boundary but must not match.
        FindCase{"no match across characters", kZhong + kA, "\xD0\xB0", 1, false, -1},
        FindCase{"double-byte match", "x" + kZhong + kA, kA, 1, false, 4},
        // The second byte of 81 41 is 'A'; a search for 'A' must skip it.
        FindCase{"no match on a second byte", kTrailA + "A", "A", 1, false, 3},
        FindCase{"no ignore-case match on a second byte", kTrailA + "a", "A", 1, true, 3},
        FindCase{"second byte compares exactly under ignore case", kTrailA, "\x81\x61", 1, true,
                 -1}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

TEST(LeftRightMiddleTest, CountBytesAndClampLengths) {
  EXPECT_EQ(Left("abcdef", 2), "ab");
  EXPECT_EQ(Left("abc", 0), "");
  EXPECT_EQ(Left("abc", -1), "");
  EXPECT_EQ(Left("abc", 10), "abc");
  EXPECT_EQ(Right("abcdef", 2), "ef");
  EXPECT_EQ(Right("abc", 0), "");
  EXPECT_EQ(Right("abc", -2), "");
  EXPECT_EQ(Right("abc", 10), "abc");
  EXPECT_EQ(Middle("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Middle("abcdef", 5, 10), "ef");
  EXPECT_EQ(Middle("abcdef", 0, 3), "");
  EXPECT_EQ(Middle("abcdef", 7, 1), "");
  EXPECT_EQ(Middle("abcdef", 6, 1), "f");
  EXPECT_EQ(Middle("abcdef", 2, 0), "");
  EXPECT_EQ(Middle("", 1, 1), "");
}

struct TrimCase {
  std::string text;
  std::string expected;
};

class TrimTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimTest, RemovesBlanksAndFullWidthBlanksOnly) {
  EXPECT_EQ(Trim(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimTest,
    ::testing::Values(TrimCase{"  a b  ", "a b"}, TrimCase{"", ""}, TrimCase{"   ", ""},
                      TrimCase{kWideBlank + " x" + kWideBlank, "x"}, TrimCase{"\tx\r\n", "\tx\r\n"},
                      TrimCase{" \t x \n ", "\t x \n"}, TrimCase{kWideBlank + kWideBlank, ""},
                      // B0 A1 then A1 A1: the A1 A1 at the end is a whole blank character.
                      TrimCase{kA + kWideBlank, kA},
                      // 81 A1 A1: the last two bytes are not one character, nothing to trim.
                      TrimCase{"\x81\xA1\xA1", "\x81\xA1\xA1"}));

struct SplitCase {
  std::string text;
  std::string separator;
  TextList expected;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, GivesPiecesBetweenSeparators) {
  EXPECT_EQ(Split(GetParam().text, GetParam().separator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTest,
    ::testing::Values(SplitCase{"a;b;c", ";", {"a", "b", "c"}},
                      SplitCase{"a;;b", ";", {"a", "", "b"}}, SplitCase{";a", ";", {"", "a"}},
                      SplitCase{"a;", ";", {"a"}}, SplitCase{"a;b;", ";", {"a", "b"}},
                      SplitCase{";", ";", {""}}, SplitCase{"", ";", {}},
                      SplitCase{"abc", "", {"abc"}}, SplitCase{"abc", ";", {"abc"}},
                      SplitCase{"l1\r\nl2\r\n\r\n", "\r\n", {"l1", "l2", ""}},
                      // The separator 'A' inside 81 41 is a second byte, not a separator.
                      SplitCase{kTrailA + "AxA", "A", {kTrailA, "x"}}));

struct ReplaceCase {
  std::string text;
  std::string from;
  std::string to;
  bool ignoreCase;
  std::string expected;
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, ReplacesEveryOccurrence) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(ReplaceAll(c.text, c.from, c.to, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTest,
    ::testing::Values(ReplaceCase{"a-b-c", "-", "+", false, "a+b+c"},
                      ReplaceCase{"aaaa", "aa", "b", false, "bb"},
                      ReplaceCase{"aaa", "aa", "b", false, "ba"},
                      ReplaceCase{"Set-Cookie: x", "set-cookie:", "", false, "Set-Cookie: x"},
                      ReplaceCase{"Set-Cookie: xSET-COOKIE:", "set-cookie:", "", true, " x"},
                      ReplaceCase{"abc", "", "x", false, "abc"},
                      ReplaceCase{"", "a", "b", false, ""},
                      ReplaceCase{"#\xD2\xFD\xBA\xC5x#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5", "\"",
                                  false, "\"x\""},
                      ReplaceCase{kTrailA + "A", "A", "b", false, kTrailA + "b"}));

TEST(EqualsTest, ExactOrIgnoringAsciiCase) {
  EXPECT_TRUE(Equals("gbk", "gbk"));
  EXPECT_FALSE(Equals("GBK", "gbk"));
  EXPECT_TRUE(Equals("GBK", "gbk", true));
  EXPECT_FALSE(Equals("gbk", "gbk2", true));
  EXPECT_TRUE(Equals("", ""));
  EXPECT_TRUE(Equals(kZhong, kZhong, true));
  EXPECT_FALSE(Equals(kTrailA, "\x81\x61", true));
}

}  // namespace
}  // namespace quillmere
