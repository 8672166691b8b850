#include "net/cookies.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillmere {
namespace {

struct BeforeCase {
  const char* name;
  Text text;
  Text delimiter;
  std::optional<int> start;
  std::optional<bool> ignoreCase;
  Text expected;
};

class TextBeforeTest : public ::testing::TestWithParam<BeforeCase> {};

TEST_P(TextBeforeTest, GivesTextBeforeDelimiter) {
  const BeforeCase& c = GetParam();
  EXPECT_EQ(TextBefore(c.text, c.delimiter, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBeforeTest,
    ::testing::Values(
        BeforeCase{"header_name", "Set-Cookie: a=1", ": ", {}, {}, "Set-Cookie"},
        BeforeCase{"no_delimiter", "Set-Cookie:a=1", ": ", {}, {}, ""},
        BeforeCase{"empty_delimiter", "abc", "", {}, {}, ""},
        BeforeCase{"empty_text", "", ": ", {}, {}, ""},
        BeforeCase{"first_occurrence", "a: b: c", ": ", {}, {}, "a"},
        BeforeCase{
            "start_skips_first_but_result_begins_at_first_byte", "a: b: c", ": ", 3, {}, "a: b"},
        BeforeCase{"start_zero_is_first_byte", "a: b", ": ", 0, {}, "a"},
        BeforeCase{"negative_start_is_first_byte", "a: b", ": ", -4, {}, "a"},
        BeforeCase{"case_counts_by_default", "aXb", "x", {}, {}, ""},
        BeforeCase{"ignore_case", "aXb", "x", {}, true, "a"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BetweenCase {
  const char* name;
  Text text;
  Text startMarker;
  Text endMarker;
  std::optional<int> start;
  std::optional<bool> ignoreCase;
  Text expected;
};

class TextBetweenTest : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, GivesTextBetweenMarkers) {
  const BetweenCase& c = GetParam();
  EXPECT_EQ(TextBetween(c.text, c.startMarker, c.endMarker, c.start, c.ignoreCase), c.expected);
}

const Text kQuote = "#\xD2\xFD\xBA\xC5";  // "#引号"

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    ::testing::Values(
        BetweenCase{"version_markers", "v ~~1.2~~ end", "~~", "~~", {}, {}, "1.2"},
        BetweenCase{"only_version", "~~1.2~~", "~~", "~~", {}, {}, "1.2"},
        BetweenCase{
            "cookie_pair", "Set-Cookie: lang=en; path=/", "Set-Cookie:", ";", {}, {}, " lang=en"},
        BetweenCase{"no_end_marker", "~~1.2", "~~", "~~", {}, {}, ""},
        BetweenCase{"no_start_marker", "1.2~~", "<", "~~", {}, {}, ""},
        BetweenCase{"adjacent_markers", "a<>b", "<", ">", {}, {}, ""},
        BetweenCase{"start_marker_ends_text", "abc<", "<", ">", {}, {}, ""},
        BetweenCase{"end_marker_only_before_start", ">a<b", "<", ">", {}, {}, ""},
        BetweenCase{"from_start_position", "<1><2>", "<", ">", 3, {}, "2"},
        BetweenCase{"start_below_one", "<1><2>", "<", ">", -1, {}, "1"},
        BetweenCase{"case_counts_by_default", "<A>x</a>", "<a>", "</a>", {}, {}, ""},
        BetweenCase{"ignore_case", "<A>x</a>", "<a>", "</A>", {}, true, "x"},
        BetweenCase{"quote_stand_in", "href=\"/x\" id", "href=" + kQuote, kQuote, {}, {}, "/x"},
        BetweenCase{"chinese_markers",
                    "\xD6\xD0"
                    "1\xCE\xC4",
                    "\xD6\xD0",
                    "\xCE\xC4",
                    {},
                    {},
                    "1"}),
    [](const auto& info) { return std::string(info.param.name); });

struct MergeCase {
  const char* name;
  Text oldCookies;
  Text newCookies;
  Text expected;
};

class MergeCookiesTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, WritesMergedTextIntoOld) {
  const MergeCase& c = GetParam();
  Text oldCookies = c.oldCookies;
  Text newCookies = c.newCookies;
  EXPECT_EQ(MergeCookies(oldCookies, newCookies), c.expected);
  EXPECT_EQ(oldCookies, c.expected);
  EXPECT_EQ(newCookies, Trim(c.newCookies));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookiesTest,
    ::testing::Values(MergeCase{"blank_kept_from_old_text", "theme=dark; lang=en", "theme=light",
                                "theme=light; lang=en"},
                      MergeCase{"no_blank_when_old_pair_came_first", "lang=en; theme=dark",
                                "theme=light", "theme=light;lang=en"},
                      MergeCase{"empty_new_text", " a=1; b=2 ", "", "a=1; b=2"},
                      MergeCase{"empty_new_text_drops_deleted_and_repeated_names",
                                "a=1;b=deleted;a=2;c=3", "", "a=1;c=3"},
                      MergeCase{"repeated_name_keeps_first", "a=1;a=2", "", "a=1"},
                      MergeCase{"new_deleted_removes_old_pair", "a=1", "a=deleted", ""},
                      MergeCase{"new_pairs_first", "x=1", "a=2; b=3", "a=2; b=3;x=1"},
                      MergeCase{"both_empty", "", "", ""},
                      MergeCase{"exact_repeats_dropped", "", "a=1;a=1", "a=1"},
                      MergeCase{"full_width_blanks_trimmed",
                                "\xA1\xA1"
                                "a=1",
                                "b=2\xA1\xA1", "b=2;a=1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CookieNameTest, TakesTrimmedTextBeforeFirstEquals) {
  EXPECT_EQ(CookieName("lang=en"), "lang");
  EXPECT_EQ(CookieName(" lang =en"), "lang");
  EXPECT_EQ(CookieName(" flag "), "flag");
  EXPECT_EQ(CookieName("a=b=c"), "a");
  EXPECT_EQ(CookieName("=x"), "");
  EXPECT_EQ(CookieName(""), "");
}

TEST(HasCookieNameTest, ComparesNamesExactly) {
  const TextList list = {"a=1", " Lang=en"};
  EXPECT_TRUE(HasCookieName(list, "a"));
  EXPECT_TRUE(HasCookieName(list, "Lang"));
  EXPECT_FALSE(HasCookieName(list, "lang"));
  EXPECT_FALSE(HasCookieName(list, "b"));
  EXPECT_FALSE(HasCookieName({}, "a"));
}

struct JoinCase {
  Text text;
  Text separator;
  Text expected;
};

class JoinUniqueTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinUniqueTest, DropsExactRepeats) {
  EXPECT_EQ(JoinUnique(GetParam().text, GetParam().separator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, JoinUniqueTest,
                         ::testing::Values(JoinCase{"a;b;a", ";", "a;b"},
                                           JoinCase{"a; a;A", ";", "a; a;A"}, JoinCase{"", ";", ""},
                                           JoinCase{"a;;b;", ";", "a;;b"},
                                           JoinCase{"x, y, x", ", ", "x, y"}));

TEST(IndexOfTextTest, GivesOneBasedIndexOrMinusOne) {
  const TextList list = {"a", "b", "a"};
  EXPECT_EQ(IndexOfText(list, "a"), 1);
  EXPECT_EQ(IndexOfText(list, "b"), 2);
  EXPECT_EQ(IndexOfText(list, "c"), -1);
  EXPECT_EQ(IndexOfText(list, "A"), -1);
  EXPECT_EQ(IndexOfText({}, "a"), -1);
}

}  // namespace
}  // namespace quillmere
