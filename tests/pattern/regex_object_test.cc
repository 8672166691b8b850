#include "pattern/regex_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/result_pattern.h"
#include "platform/apartment.h"

namespace quillmere {
namespace {

// Code page 936 bytes of a few titles. "\x81\x41" and "\x95\x5C" are characters whose second
// byte is an ASCII letter or a backslash: they must come back unchanged, never read as ASCII.
const Text kChineseTitle = "\xD6\xD0\xCE\xC4\xB5\xE7\xD3\xB0 2024 \xB8\xDF\xC7\xE5";
const Text kTrailByteTitle = "\x81\x41\x95\x5C-HD";
const Text kQuoteMarker = "#\xD2\xFD\xBA\xC5";

// Every reading operation of an object that holds no match.
void ExpectNoMatches(const RegexObject& regex) {
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.MatchText(1), "");
  EXPECT_EQ(regex.SubmatchText(1, 1), "");
  EXPECT_EQ(regex.SubmatchCount(), 0);
}

TEST(RegexObjectTest, FreshObjectGivesEmptyResults) {
  RegexObject regex;
  EXPECT_EQ(regex.PatternText(), "");
  EXPECT_EQ(regex.ReplaceMatches("x"), "");
  ExpectNoMatches(regex);
}

TEST(RegexObjectTest, PatternWithoutMatchesStillSucceeds) {
  RegexObject regex;
  EXPECT_TRUE(regex.Create("zz", "abc"));
  ExpectNoMatches(regex);
}

TEST(RegexObjectTest, InvalidPatternFails) {
  RegexObject regex;
  EXPECT_FALSE(regex.Create("(ab", "ab"));
  ExpectNoMatches(regex);
  EXPECT_EQ(regex.ReplaceMatches("x"), "");
}

struct OptionCase {
  const char* name;
  Text pattern;
  Text subject;
  std::optional<bool> caseSensitive;
  std::optional<bool> multiLine;
  std::optional<bool> global;
  int expectedCount;
};

class RegexObjectOptionTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(RegexObjectOptionTest, CountsMatches) {
  const OptionCase& c = GetParam();
  RegexObject regex;
  ASSERT_TRUE(regex.Create(c.pattern, c.subject, c.caseSensitive, c.multiLine, c.global));
  EXPECT_EQ(regex.MatchCount(), c.expectedCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexObjectOptionTest,
    ::testing::Values(
        OptionCase{"OmittedIgnoresCaseAndFindsAll", "abc", "ABC x abc Abc", {}, {}, {}, 3},
        OptionCase{"CaseSensitiveTrue", "abc", "ABC", true, {}, {}, 0},
        OptionCase{"CaseSensitiveFalse", "abc", "ABC", false, {}, {}, 1},
        OptionCase{"MultilineOmitted", "^b$", "a\nb\r\nc", {}, {}, {}, 1},
        OptionCase{"MultilineOff", "^b$", "a\nb\r\nc", {}, false, {}, 0},
        OptionCase{"GlobalOff", "a", "aaa", {}, {}, false, 1},
        OptionCase{"DotStopsAtLineFeed", "a.b", "a\nb", {}, {}, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegexObjectTest, QuoteMarkerBecomesDoubleQuote) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("a" + kQuoteMarker + "b", "xa\"b", {}, {}, {}, true));
  EXPECT_EQ(regex.PatternText(), "a\"b");
  EXPECT_EQ(regex.MatchText(1), "a\"b");
}

TEST(RegexObjectTest, QuoteMarkerStaysWithoutTheOption) {
  const Text pattern = "a" + kQuoteMarker + "b";
  const Text subject = "a\"b " + pattern;
  for (const std::optional<bool> quoteMarker : {std::optional<bool>(), std::optional(false)}) {
    RegexObject regex;
    ASSERT_TRUE(regex.Create(pattern, subject, {}, {}, {}, quoteMarker));
    EXPECT_EQ(regex.PatternText(), pattern);
    ASSERT_EQ(regex.MatchCount(), 1);
    EXPECT_EQ(regex.MatchText(1), pattern);
  }
}

TEST(RegexObjectTest, IndexesOutsideTheMatchesGiveEmptyText) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)(b)", "ab ab"));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.MatchText(0), "");
  EXPECT_EQ(regex.MatchText(-1), "");
  EXPECT_EQ(regex.MatchText(3), "");
  EXPECT_EQ(regex.SubmatchText(0, 1), "");
  EXPECT_EQ(regex.SubmatchText(3, 1), "");
  EXPECT_EQ(regex.SubmatchText(2, 0), "");
  EXPECT_EQ(regex.SubmatchText(2, 3), "");
  EXPECT_EQ(regex.SubmatchText(2, 2), "b");
}

TEST(RegexObjectTest, GroupThatTookNoPartIsEmpty) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)|(b)", "b"));
  EXPECT_EQ(regex.SubmatchCount(), 2);
  EXPECT_EQ(regex.SubmatchText(1, 1), "");
  EXPECT_EQ(regex.SubmatchText(1, 2), "b");
}

TEST(RegexObjectTest, SecondCreateReplacesTheFirst) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("a", "aaaa"));
  EXPECT_EQ(regex.MatchCount(), 4);
  ASSERT_TRUE(regex.Create("(b)", "xb"));
  EXPECT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.MatchText(1), "b");
  EXPECT_EQ(regex.SubmatchCount(), 1);
  EXPECT_FALSE(regex.Create("[", "b"));
  EXPECT_EQ(regex.MatchCount(), 0);
}

TEST(RegexObjectTest, ReplaceMatchesUsesTheScriptTemplate) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(\\w+)@(\\w+)", "me@home, \xD6\xD0@x"));
  EXPECT_EQ(regex.ReplaceMatches("$2[$1]$$"), "home[me]$, \xD6\xD0@x");
  ASSERT_TRUE(regex.Create("a", "aXa", {}, {}, false));
  EXPECT_EQ(regex.ReplaceMatches("\xB8\xDF"), "\xB8\xDFXa");
}

struct PositionCase {
  const char* name;
  Text pattern;
  Text subject;
  int matchIndex;
  int groupIndex;  // 0: the whole match
  Text expectedText;
  int expectedPosition;
};

class RegexObjectPositionTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(RegexObjectPositionTest, WritesByteOffset) {
  const PositionCase& c = GetParam();
  RegexObject regex;
  ASSERT_TRUE(regex.Create(c.pattern, c.subject));
  int position = 12345;
  const Text text = c.groupIndex == 0 ? regex.MatchText(c.matchIndex, &position)
                                      : regex.SubmatchText(c.matchIndex, c.groupIndex, &position);
  EXPECT_EQ(text, c.expectedText);
  EXPECT_EQ(position, c.expectedPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexObjectPositionTest,
    ::testing::Values(
        PositionCase{"Simple", "ab", "xxab", 1, 0, "ab", 2},
        // The search starts at byte FirstIndex and finds the first aa there, not the match.
        PositionCase{"SearchFromFirstIndex", "aa", "aaaa", 2, 0, "aa", 1},
        // FirstIndex 2 is the second byte of the first character: the search starts at its
        // first byte, so it keeps in step with the characters and finds the match.
        PositionCase{"AfterDoubleByteCharacters", "ab",
                     "\xD6\xD0\xCE\xC4"
                     "ab",
                     1, 0, "ab", 4},
        PositionCase{"GroupSearchedFromMatchStart", "x(b)",
                     "\xD6\xD0"
                     "xb",
                     1, 1, "b", 3},
        PositionCase{"ChineseMatch", "\xCE\xC4", "a\xD6\xD0\xCE\xC4", 1, 0, "\xCE\xC4", 3},
        PositionCase{"NoMatchInEmptySubject", "a", "", 1, 0, "", -2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegexObjectTest, PositionIsWrittenOnlyWhenAskedFor) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("b", "ab"));
  EXPECT_EQ(regex.MatchText(1, nullptr), "b");
  EXPECT_EQ(regex.SubmatchText(1, 1, nullptr), "");
}

TEST(RegexObjectTest, LifeHoldsOneApartmentPair) {
  const int depth = platform::ApartmentDepth();
  {
    RegexObject regex;
    EXPECT_EQ(platform::ApartmentDepth(), depth + 1);
    regex.Create("a", "a");
    regex.Create("(", "a");
    EXPECT_EQ(platform::ApartmentDepth(), depth + 1);
  }
  EXPECT_EQ(platform::ApartmentDepth(), depth);
}

// --- The result pattern over result-page markup ---

struct Hit {
  Text title;
  Text magnet;
  Text thunder;
};

// One hit in the site's markup: the title link, other markup over several lines, the magnet
// link kept inside a comment, then the visible links.
Text HitMarkup(const Hit& hit, std::string_view thunderLinkWord = "Thunder Link",
               std::string_view magnetLinkWord = "Magnet Link") {
  Text markup;
  markup += "<div class=\"item\">\n<h3><a title=\"" + hit.title + "\"  href=\"/wiki/" +
            "12345.html\">" + hit.title + "</a></h3>\n";
  markup += "<p class=\"size\">1.2 GB</p>\n<p class=\"date\">2024-01-01</p>\n";
  markup += "<!--<a href=\"" + hit.magnet + "&amp;dn=name\">magnet</a>-->\n";
  markup += "<div class=\"links\"><a href=\"" + hit.magnet + "\">" + Text(magnetLinkWord) +
            "</a> <a href=\"" + hit.thunder + "\" class=\"download\">" + Text(thunderLinkWord) +
            "</a></div>\n</div>\n";
  return markup;
}

Text Page(const std::vector<Text>& hitsMarkup) {
  Text page = "<html><head><title>results</title></head><body>\n";
  for (const Text& markup : hitsMarkup) page += markup;
  return page + "</body></html>\n";
}

std::vector<Hit> ReadHits(const Text& page) {
  RegexObject regex;
  regex.Create(Text(kResultPattern), page);
  std::vector<Hit> hits;
  for (int i = 1; i <= regex.MatchCount(); ++i) {
    hits.push_back({regex.SubmatchText(i, 1), regex.SubmatchText(i, 2), regex.SubmatchText(i, 3)});
  }
  return hits;
}

void ExpectHit(const Hit& actual, const Hit& expected) {
  EXPECT_EQ(actual.title, expected.title);
  EXPECT_EQ(actual.magnet, expected.magnet);
  EXPECT_EQ(actual.thunder, expected.thunder);
}

const Hit kHitA{"Plain title", "magnet:?xt=urn:btih:AAAA", "thunder://QUFBQQ=="};
const Hit kHitB{kChineseTitle, "magnet:?xt=urn:btih:BBBB", "thunder://QkJCQg=="};
const Hit kHitC{"Tom &amp; Jerry " + kTrailByteTitle, "magnet:?xt=urn:btih:CCCC",
                "thunder://Q0NDQw=="};

TEST(ResultPatternTest, IsTheFixedText) {
  EXPECT_EQ(kResultPattern.size(), 140u);
  RegexObject regex;
  ASSERT_TRUE(regex.Create(Text(kResultPattern), Page({HitMarkup(kHitA)})));
  EXPECT_EQ(regex.SubmatchCount(), 3);
}

TEST(ResultPatternTest, ReadsEveryHitInPageOrderByteForByte) {
  const auto hits = ReadHits(Page({HitMarkup(kHitA), HitMarkup(kHitB), HitMarkup(kHitC)}));
  ASSERT_EQ(hits.size(), 3u);
  ExpectHit(hits[0], kHitA);
  ExpectHit(hits[1], kHitB);  // Chinese title: the same code-page-936 bytes come back
  ExpectHit(hits[2], kHitC);  // "&amp;" is not decoded
}

TEST(ResultPatternTest, IgnoresLetterCaseOfTheLiteralParts) {
  Text markup = HitMarkup(kHitA, "thunder link", "MAGNET LINK");
  markup.replace(markup.find("<h3><a title"), 12, "<H3><A TITLE");
  const auto hits = ReadHits(Page({markup}));
  ASSERT_EQ(hits.size(), 1u);
  ExpectHit(hits[0], kHitA);
}

TEST(ResultPatternTest, TitleGroupNeverCrossesALineFeed) {
  const Hit broken{"first line\nsecond line", "magnet:?xt=urn:btih:DDDD", "thunder://RERERA=="};
  const auto hits = ReadHits(Page({HitMarkup(broken), HitMarkup(kHitB)}));
  ASSERT_EQ(hits.size(), 1u);
  ExpectHit(hits[0], kHitB);
}

// The gaps may run over lines, so a hit whose magnet comment is missing borrows the next
// hit's links: the pattern reads the page that way, and the row shows it.
TEST(ResultPatternTest, GapsRunOverLines) {
  Text withoutComment = HitMarkup(kHitA);
  withoutComment.erase(withoutComment.find("<!--"), 4);
  const auto hits = ReadHits(Page({withoutComment, HitMarkup(kHitB)}));
  ASSERT_EQ(hits.size(), 1u);
  ExpectHit(hits[0], {kHitA.title, kHitB.magnet, kHitB.thunder});
}

// Without the final words the pattern backtracks over the whole page from every heading; the
// match limit ends that search, and the page simply has no hits.
TEST(ResultPatternTest, ChangedLayoutGivesNoHits) {
  std::vector<Text> markup;
  for (int i = 0; i < 5000; ++i) markup.push_back(HitMarkup(kHitB, "Thunder Download"));
  RegexObject regex;
  EXPECT_TRUE(regex.Create(Text(kResultPattern), Page(markup)));
  EXPECT_EQ(regex.MatchCount(), 0);
}

}  // namespace
}  // namespace quillmere
