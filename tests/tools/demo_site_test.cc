// The demo site read the way the program reads it: through WebFetch, the result pattern and
// the version markers.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "net/cookies.h"
#include "net/web_fetch.h"
#include "pattern/regex_object.h"
#include "pattern/result_pattern.h"
#include "platform/codepage936.h"
#include "tests/support/loopback_server.h"
#include "tools/demo_site.h"

namespace quillmere {
namespace {

using test_support::LoopbackServer;

Text Cp936(std::u16string_view text) {
  return platform::Utf16ToCp936(text);
}

std::string Base64Decode(std::string_view text) {
  static const std::string kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    const size_t value = kAlphabet.find(c);
    if (value == std::string::npos) break;
    bits = bits << 6 | static_cast<uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

struct TargetCase {
  const char* target;
  std::optional<std::u16string> keyword;  // nothing: not a result page address
  const char* page;
};

void PrintTo(const TargetCase& c, std::ostream* out) {
  *out << c.target;
}

class ParseSearchTargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(ParseSearchTargetTest, SplitsKeywordAndPage) {
  const TargetCase& c = GetParam();
  const std::optional<demo::SearchTarget> parsed = demo::ParseSearchTarget(c.target);
  ASSERT_EQ(parsed.has_value(), c.keyword.has_value());
  if (!parsed) return;
  EXPECT_EQ(parsed->keyword, Cp936(*c.keyword));
  EXPECT_EQ(parsed->page, c.page);
}

INSTANTIATE_TEST_SUITE_P(DemoSite, ParseSearchTargetTest,
                         testing::Values(TargetCase{"/search/abc/default-1.html", u"abc", "1"},
                                         TargetCase{"/search//default-1.html", u"", "1"},
                                         TargetCase{
                                             "/search/%E6%B5%8B%E8%AF%95%20demo/default-2.html",
                                             u"测试 demo", "2"},
                                         TargetCase{"/search/a/b/default-3.html", u"a/b", "3"},
                                         TargetCase{"/search/abc/default--1.html", u"abc", "-1"},
                                         TargetCase{"/search/100%25/default-1.html", u"100%", "1"},
                                         TargetCase{"/search/%zz/default-1.html", u"%zz", "1"},
                                         TargetCase{"/search/default-1.html", std::nullopt, ""},
                                         TargetCase{"/search/abc/page-1.html", std::nullopt, ""},
                                         TargetCase{"/version", std::nullopt, ""}));

class DemoSiteTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.ok()); }
  Text Url(const Text& path) const { return Text(server_.Origin()) + path; }

  LoopbackServer server_{demo::Answer};
};

struct PageCase {
  const char* page;
  int hits;
  const char* declared;  // the meta tag's character set on the wire
};

void PrintTo(const PageCase& c, std::ostream* out) {
  *out << "page " << c.page;
}

class DemoSitePageTest : public DemoSiteTest, public testing::WithParamInterface<PageCase> {};

// Odd pages arrive as code page 936, even ones as UTF-8: both must read back the same way.
TEST_P(DemoSitePageTest, ResultPatternReadsTheGeneratedHits) {
  const PageCase& c = GetParam();
  const Text keyword = Cp936(u"测试 demo");
  Bytes body;
  WebFetchOptions options;
  options.responseBytes = &body;
  const Text page = WebFetch(Url("/search/" + keyword + "/default-" + c.page + ".html"), options);
  ASSERT_FALSE(page.empty());
  EXPECT_NE(body.find("<meta charset=\"" + std::string(c.declared) + "\">"), Bytes::npos);

  RegexObject regex;
  regex.Create(Text(kResultPattern), page);
  ASSERT_EQ(regex.MatchCount(), c.hits);
  const Text lead = keyword + " " + Cp936(u"第") + c.page + Cp936(u"页") + " ";
  RegexObject magnetForm;
  int withReference = 0;
  for (int i = 1; i <= c.hits; ++i) {
    const Text title = regex.SubmatchText(i, 1);
    const Text magnetText = regex.SubmatchText(i, 2);
    const Text thunder = regex.SubmatchText(i, 3);
    EXPECT_TRUE(title.starts_with(lead)) << title;
    if (title.find("&amp;") != Text::npos) ++withReference;
    magnetForm.Create("^magnet:\\?xt=urn:btih:[0-9A-F]{40}$", magnetText, true);
    EXPECT_EQ(magnetForm.MatchCount(), 1) << magnetText;
    ASSERT_TRUE(thunder.starts_with("thunder://")) << thunder;
    const std::string decoded = Base64Decode(thunder.substr(10));
    EXPECT_TRUE(decoded.starts_with("AA" + magnetText + "&dn=")) << decoded;
    EXPECT_TRUE(decoded.ends_with("ZZ")) << decoded;
  }
  if (c.hits > 0) {
    EXPECT_GE(withReference, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(DemoSite, DemoSitePageTest,
                         testing::Values(PageCase{"1", demo::kHitsPerPage, "gbk"},
                                         PageCase{"2", demo::kHitsPerPage, "utf-8"},
                                         PageCase{"5", demo::kHitsPerPage, "gbk"},
                                         PageCase{"6", 0, "gbk"}, PageCase{"0", 0, "gbk"},
                                         PageCase{"-1", 0, "gbk"}, PageCase{"1.5", 0, "gbk"}));

TEST_F(DemoSiteTest, SameAddressSamePageOtherPageOtherHits) {
  const Text first = WebFetch(Url("/search/ubuntu/default-1.html"));
  EXPECT_EQ(WebFetch(Url("/search/ubuntu/default-1.html")), first);
  RegexObject one;
  one.Create(Text(kResultPattern), first);
  RegexObject three;
  three.Create(Text(kResultPattern), WebFetch(Url("/search/ubuntu/default-3.html")));
  ASSERT_EQ(one.MatchCount(), demo::kHitsPerPage);
  ASSERT_EQ(three.MatchCount(), demo::kHitsPerPage);
  EXPECT_NE(one.SubmatchText(1, 2), three.SubmatchText(1, 2));
}

TEST_F(DemoSiteTest, VersionPageCarriesTheVersionBetweenMarkers) {
  const Text page = WebFetch(Url("/version"));
  EXPECT_EQ(TextBetween(page, "~~", "~~"), demo::kAnnouncedVersion);
  EXPECT_NE(page.find(Cp936(u"最新版本")), Text::npos);
}

TEST_F(DemoSiteTest, UnknownAddressIsNotFound) {
  Text status;
  WebFetchOptions options;
  options.responseHeaders = &status;
  WebFetch(Url("/nothing-here"), options);
  EXPECT_TRUE(status.starts_with("HTTP/1.1 404 Not Found")) << status;
}

}  // namespace
}  // namespace quillmere
