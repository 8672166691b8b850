#include "platform/script_regexp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quillmere::platform {
namespace {

struct Options {
  bool ignoreCase = true;
  bool multiline = true;
  bool global = true;
};

std::unique_ptr<ScriptRegExp> MakeRegExp(std::u16string pattern, Options options) {
  auto regExp = std::make_unique<ScriptRegExp>();
  regExp->SetIgnoreCase(options.ignoreCase);
  regExp->SetMultiline(options.multiline);
  regExp->SetGlobal(options.global);
  regExp->SetPattern(std::move(pattern));
  return regExp;
}

struct ExpectedMatch {
  std::u16string value;
  int firstIndex;
};

struct ExecuteCase {
  const char* name;
  std::u16string pattern;
  std::u16string subject;
  Options options;
  std::vector<ExpectedMatch> expected;
};

class ExecuteTest : public ::testing::TestWithParam<ExecuteCase> {};

TEST_P(ExecuteTest, FindsExpectedMatches) {
  const ExecuteCase& c = GetParam();
  auto regExp = MakeRegExp(c.pattern, c.options);
  const auto matches = regExp->Execute(c.subject);
  ASSERT_TRUE(matches.has_value());
  ASSERT_EQ(matches->size(), c.expected.size());
  for (size_t i = 0; i < c.expected.size(); ++i) {
    EXPECT_EQ((*matches)[i].value, c.expected[i].value) << "match " << i;
    EXPECT_EQ((*matches)[i].firstIndex, c.expected[i].firstIndex) << "match " << i;
  }
}

const Options kCaseSensitive{false, true, true};
const Options kFirstOnly{true, true, false};
const Options kSingleLine{true, false, true};

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecuteTest,
    ::testing::Values(
        ExecuteCase{"IgnoreCaseFindsAll", u"abc", u"ABC abc", {}, {{u"ABC", 0}, {u"abc", 4}}},
        ExecuteCase{"CaseSensitive", u"abc", u"ABC abc", kCaseSensitive, {{u"abc", 4}}},
        ExecuteCase{"NotGlobalFindsFirstOnly", u"a", u"bab a", kFirstOnly, {{u"a", 1}}},
        ExecuteCase{"NoMatch", u"zz", u"abc", {}, {}},
        ExecuteCase{"CaretAtLfAndCr",
                    u"^a",
                    u"a\nab\ra\r\na",
                    {},
                    {{u"a", 0}, {u"a", 2}, {u"a", 5}, {u"a", 8}}},
        ExecuteCase{"CaretWithoutMultiline", u"^a", u"a\na", kSingleLine, {{u"a", 0}}},
        ExecuteCase{"DollarAtLfAndCr", u"a$", u"a\ra\nba", {}, {{u"a", 0}, {u"a", 2}, {u"a", 5}}},
        ExecuteCase{"DollarOnlyAtVeryEnd", u"a$", u"a\n", kSingleLine, {}},
        ExecuteCase{"DotSkipsLfOnly", u"a.b", u"a\nb a\rb", {}, {{u"a\rb", 4}}},
        ExecuteCase{"EscapedAnchorsStayLiteral", u"\\^\\$", u"x^$", {}, {{u"^$", 1}}},
        ExecuteCase{"AnchorsInsideClassStayLiteral", u"[$^]+", u"a$^b", {}, {{u"$^", 1}}},
        ExecuteCase{"LeadingBracketIsClassMember", u"[]$]+", u"a]$b", {}, {{u"]$", 1}}},
        ExecuteCase{"NegatedLeadingBracket", u"[^]^]+x$", u"]^abx", {}, {{u"abx", 2}}},
        ExecuteCase{"PosixClassInsideBracket", u"[[:digit:]^]+$", u"a1^2", {}, {{u"1^2", 1}}},
        ExecuteCase{"AnyCharacterClassCrossesLines",
                    u"a[\\s\\S]*?b",
                    u"xa\r\n\U0001F600b",
                    {},
                    {{u"a\r\n\U0001F600b", 1}}},
        ExecuteCase{"ReversedAnyCharacterClass", u"[\\W\\w]+", u"a\nb", {}, {{u"a\nb", 0}}},
        ExecuteCase{"NegatedAnyCharacterClassMatchesNothing", u"[^\\d\\D]", u"a\n1", {}, {}},
        ExecuteCase{
            "SameShorthandTwiceIsNotAnyCharacter", u"[\\s\\s]+", u"a \nb", {}, {{u" \n", 1}}},
        ExecuteCase{"LoneSurrogateInLongText",
                    u"[\\s\\S]",
                    std::u16string(u"abcdefgh\xDC00") + u"ijk",
                    {},
                    {{u"a", 0},
                     {u"b", 1},
                     {u"c", 2},
                     {u"d", 3},
                     {u"e", 4},
                     {u"f", 5},
                     {u"g", 6},
                     {u"h", 7},
                     {std::u16string(1, char16_t(0xDC00)), 8},
                     {u"i", 9},
                     {u"j", 10},
                     {u"k", 11}}},
        ExecuteCase{"BackslashVIsVerticalTabOnly", u"\\v", u"a\x0B\n\r\f", {}, {{u"\x0B", 1}}},
        ExecuteCase{"SpaceClassIsAscii", u"\\s", u"\u3000 ", {}, {{u" ", 1}}},
        ExecuteCase{"WordClassIsAscii", u"\\w+", u"中文abc_1", {}, {{u"abc_1", 2}}},
        ExecuteCase{"UnicodeEscape", u"\\u4E2D", u"a中", {}, {{u"中", 1}}},
        ExecuteCase{"ChineseIsOneCharacter", u"^.$", u"中", {}, {{u"中", 0}}},
        ExecuteCase{"LazyGroups", u"<(.*?)>", u"<a><b>", {}, {{u"<a>", 0}, {u"<b>", 3}}},
        ExecuteCase{
            "EmptyMatchesAdvance", u"x*", u"abc", {}, {{u"", 0}, {u"", 1}, {u"", 2}, {u"", 3}}},
        ExecuteCase{
            "EmptyAfterNonEmpty", u"x*", u"xab", {}, {{u"x", 0}, {u"", 1}, {u"", 2}, {u"", 3}}},
        ExecuteCase{"EmptyMatchSkipsSurrogatePair",
                    u"",
                    u"\U0001F600a",
                    {},
                    {{u"", 0}, {u"", 2}, {u"", 3}}},
        ExecuteCase{"DotTakesSurrogatePair", u".", u"\U0001F600", {}, {{u"\U0001F600", 0}}},
        ExecuteCase{"LoneSurrogateIsOneCharacter",
                    u".",
                    std::u16string(u"a\xD800"
                                   u"b"),
                    {},
                    {{u"a", 0}, {std::u16string(1, char16_t(0xD800)), 1}, {u"b", 2}}},
        ExecuteCase{"LoneLowSurrogateAtEnd",
                    u"b.",
                    std::u16string(u"ab\xDC00"),
                    {},
                    {{std::u16string(u"b\xDC00"), 1}}},
        ExecuteCase{"UnsetBackreferenceMatchesEmpty", u"(a)?\\1b", u"b", {}, {{u"b", 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptRegExpTest, GroupThatTookNoPartIsEmpty) {
  auto regExp = MakeRegExp(u"(a)|(b)", {});
  const auto matches = regExp->Execute(u"b");
  ASSERT_TRUE(matches.has_value());
  ASSERT_EQ(matches->size(), 1u);
  EXPECT_EQ((*matches)[0].submatches, (std::vector<std::u16string>{u"", u"b"}));
}

TEST(ScriptRegExpTest, InvalidPatternsFail) {
  for (const std::u16string pattern : {u"(", u"a[", u"\\C", u"(?<=a+)b", u"\\"}) {
    auto regExp = MakeRegExp(pattern, {});
    EXPECT_FALSE(regExp->Execute(u"abc").has_value());
    EXPECT_FALSE(regExp->Replace(u"abc", u"x").has_value());
  }
}

TEST(ScriptRegExpTest, ChangingAPropertyRecompiles) {
  auto regExp = MakeRegExp(u"abc", {});
  EXPECT_EQ(regExp->Execute(u"ABC")->size(), 1u);
  regExp->SetIgnoreCase(false);
  EXPECT_EQ(regExp->Execute(u"ABC")->size(), 0u);
  regExp->SetPattern(u"(");
  EXPECT_FALSE(regExp->Execute(u"ABC").has_value());
  regExp->SetPattern(u"B");
  EXPECT_EQ(regExp->Execute(u"ABC")->size(), 1u);
}

// A catastrophically backtracking search stops at the match limit; the matches found before it
// are kept and nothing after it is searched.
TEST(ScriptRegExpTest, MatchLimitKeepsEarlierMatches) {
  auto regExp = MakeRegExp(u"(a+)+b", {});
  const std::u16string subject = u"ab " + std::u16string(40, u'a') + u"c ab";
  const auto matches = regExp->Execute(subject);
  ASSERT_TRUE(matches.has_value());
  ASSERT_EQ(matches->size(), 1u);
  EXPECT_EQ((*matches)[0].firstIndex, 0);
}

struct ReplaceCase {
  const char* name;
  std::u16string pattern;
  std::u16string subject;
  std::u16string replacement;
  Options options;
  std::u16string expected;
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, ExpandsTemplate) {
  const ReplaceCase& c = GetParam();
  auto regExp = MakeRegExp(c.pattern, c.options);
  const auto result = regExp->Replace(c.subject, c.replacement);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, c.expected);
}

const std::u16string kElevenGroups = u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTest,
    ::testing::Values(
        ReplaceCase{"DoubleDollar", u"b", u"abc", u"[$$]", {}, u"a[$]c"},
        ReplaceCase{"WholeMatch", u"b", u"abc", u"[$&]", {}, u"a[b]c"},
        ReplaceCase{"TextBefore", u"c", u"abcd", u"[$`]", {}, u"ab[ab]d"},
        ReplaceCase{"TextAfter", u"b", u"abcd", u"[$']", {}, u"a[cd]cd"},
        ReplaceCase{"GroupsSwapped", u"(a)(b)", u"ab", u"$2$1", {}, u"ba"},
        ReplaceCase{"TwoDigitsOnlyWhenGroupExists", u"(a)(b)", u"ab", u"$11", {}, u"a1"},
        ReplaceCase{"TwoDigitGroup", kElevenGroups, u"abcdefghijk", u"$11$10", {}, u"kj"},
        ReplaceCase{"LeadingZeroGroup", u"(a)(b)", u"ab", u"$01", {}, u"a"},
        ReplaceCase{"DollarZeroLiteral", u"(a)(b)", u"ab", u"$0", {}, u"$0"},
        ReplaceCase{"GroupBeyondCountLiteral", u"(a)(b)", u"ab", u"$3", {}, u"$3"},
        ReplaceCase{"LoneDollarLiteral", u"(a)(b)", u"ab", u"x$", {}, u"x$"},
        ReplaceCase{"DollarLetterLiteral", u"(a)(b)", u"ab", u"$a", {}, u"$a"},
        ReplaceCase{"UnsetGroupEmpty", u"(a)|(b)", u"b", u"[$1$2]", {}, u"[b]"},
        ReplaceCase{"NotGlobalReplacesFirst", u"a", u"aaa", u"x", kFirstOnly, u"xaa"},
        ReplaceCase{"GlobalReplacesAll", u"a", u"aaa", u"x", {}, u"xxx"},
        ReplaceCase{"EmptyMatches", u"x*", u"ab", u"-", {}, u"-a-b-"},
        ReplaceCase{"LineStarts", u"^", u"a\nb\rc", u"> ", {}, u"> a\n> b\r> c"},
        ReplaceCase{"NoMatchKeepsSubject", u"z", u"abc", u"x", {}, u"abc"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere::platform
