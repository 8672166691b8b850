#include "platform/url_escape.h"

#include <gtest/gtest.h>

#include "platform/url_crack.h"

namespace quillmere::platform {
namespace {

struct EscapeCase {
  std::u16string objectName;
  std::string wire;
};

class EscapeRequestTargetTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeRequestTargetTest, EscapesAsThePlatformDoes) {
  EXPECT_EQ(EscapeRequestTarget(GetParam().objectName), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EscapeRequestTargetTest,
    ::testing::Values(
        EscapeCase{u"/", "/"}, EscapeCase{u"/a b", "/a%20b"},
        // Chinese text goes out as UTF-8 with upper-case hex digits.
        EscapeCase{u"/search?q=\u4E2D\u6587", "/search?q=%E4%B8%AD%E6%96%87"},
        EscapeCase{u"/\u00E9", "/%C3%A9"},
        // Already escaped text and '%' itself stay as they are.
        EscapeCase{u"/a%20b%zz%", "/a%20b%zz%"},
        EscapeCase{u"/\"#<>[\\]^`{|}", "/%22%23%3C%3E%5B%5C%5D%5E%60%7B%7C%7D"},
        EscapeCase{u"/\t\r\n\x7F", "/%09%0D%0A%7F"},
        EscapeCase{std::u16string(u"/a\0b", 4), "/a%00b"},
        // Everything else is kept, reserved characters included.
        EscapeCase{u"/p;x=1/q?a=1&b=2+3,~!$'()*:@", "/p;x=1/q?a=1&b=2+3,~!$'()*:@"},
        // A character outside the BMP is one four-byte sequence; a lone surrogate is U+FFFD.
        EscapeCase{u"/\U0001F600", "/%F0%9F%98%80"}, EscapeCase{u"/\xD800", "/%EF%BF%BD"}));

struct CrackCase {
  std::u16string url;
  bool ok = false;
  int scheme = 0;
  std::u16string host = {};
  uint16_t port = 0;
  std::u16string path = {};
  std::u16string extra = {};
};

class CrackHttpUrlTest : public ::testing::TestWithParam<CrackCase> {};

TEST_P(CrackHttpUrlTest, SplitsTheAddress) {
  const CrackCase& c = GetParam();
  const auto parts = CrackHttpUrl(c.url);
  ASSERT_EQ(parts.has_value(), c.ok);
  if (!c.ok) return;
  EXPECT_EQ(parts->scheme, c.scheme);
  EXPECT_EQ(parts->host, c.host);
  EXPECT_EQ(parts->port, c.port);
  EXPECT_EQ(parts->path, c.path);
  EXPECT_EQ(parts->extra, c.extra);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CrackHttpUrlTest,
    ::testing::Values(
        CrackCase{u"http://example.com/a/b?x=1", true, kSchemeHttp, u"example.com", 80, u"/a/b",
                  u"?x=1"},
        CrackCase{u"https://example.com", true, kSchemeHttps, u"example.com", 443, u"", u""},
        CrackCase{u"HTTPS://Example.com:8443/p#frag", true, kSchemeHttps, u"Example.com", 8443,
                  u"/p", u"#frag"},
        CrackCase{u"http://127.0.0.1:8080?q=1", true, kSchemeHttp, u"127.0.0.1", 8080, u"",
                  u"?q=1"},
        CrackCase{u"http://h/p?a#b?c", true, kSchemeHttp, u"h", 80, u"/p", u"?a#b?c"},
        CrackCase{u"http://user:pw@h:81/", true, kSchemeHttp, u"h", 81, u"/", u""},
        CrackCase{u"http://[::1]:8080/x", true, kSchemeHttp, u"::1", 8080, u"/x", u""},
        CrackCase{u"http://[::1]/x", true, kSchemeHttp, u"::1", 80, u"/x", u""},
        CrackCase{u"http://\u4E2D\u6587.cn/\u8D44", true, kSchemeHttp, u"\u4E2D\u6587.cn", 80,
                  u"/\u8D44", u""},
        CrackCase{u"", false}, CrackCase{u"ftp://example.com/", false},
        CrackCase{u"example.com/a", false}, CrackCase{u"http://", false},
        CrackCase{u"http:///path", false}, CrackCase{u"http://:80/", false},
        CrackCase{u"http://h:0/", false}, CrackCase{u"http://h:65536/", false},
        CrackCase{u"http://h:8x/", false}, CrackCase{u"http://[::1/", false},
        CrackCase{u"http:/h/", false}));

}  // namespace
}  // namespace quillmere::platform
