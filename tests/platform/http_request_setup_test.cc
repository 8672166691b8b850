#include "platform/http_request_setup.h"

#include <gtest/gtest.h>

namespace quillmere::platform {
namespace {

struct ProxyCase {
  std::string list;
  bool secure;
  std::optional<std::string> proxy;
};

class ChooseProxyTest : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(ChooseProxyTest, PicksTheEntryForTheScheme) {
  EXPECT_EQ(ChooseProxy(GetParam().list, GetParam().secure), GetParam().proxy);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChooseProxyTest,
    ::testing::Values(ProxyCase{"", false, std::nullopt},
                      ProxyCase{"proxy:3128", false, "http://proxy:3128"},
                      ProxyCase{"proxy:3128", true, "http://proxy:3128"},
                      // Without a port the proxy is on 80, not libcurl's 1080.
                      ProxyCase{"proxy", false, "http://proxy:80"},
                      ProxyCase{"http=proxy:3128", false, "http://proxy:3128"},
                      ProxyCase{"http=proxy:3128", true, std::nullopt},
                      ProxyCase{"HTTPS=secure:1; http=plain:2", true, "http://secure:1"},
                      ProxyCase{"https=secure:1 http=plain", false, "http://plain:80"},
                      ProxyCase{"[::1]:8080", false, "http://[::1]:8080"},
                      ProxyCase{"[::1]", false, "http://[::1]:80"}));

TEST(HeaderLinesTest, LaterLineReplacesSameNameInPlace) {
  HeaderLines headers;
  ASSERT_TRUE(headers.Add("X-MiXeD: a\r\nAccept: text/html\r\nuser-agent: one\r\n"));
  ASSERT_TRUE(headers.Add("User-Agent: two\r\nx-mixed: b\r\n\r\n"));
  EXPECT_EQ(headers.lines(),
            (std::vector<std::string>{"x-mixed: b", "Accept: text/html", "User-Agent: two"}));
}

TEST(HeaderLinesTest, MalformedLineChangesNothing) {
  HeaderLines headers;
  ASSERT_TRUE(headers.Add("A: 1"));
  EXPECT_FALSE(headers.Add("B: 2\r\nno colon here\r\n"));
  EXPECT_FALSE(headers.Add(": empty name\r\n"));
  EXPECT_EQ(headers.lines(), (std::vector<std::string>{"A: 1"}));
}

struct CurlListCase {
  std::string lines;
  bool hasBody;
  std::vector<std::string> expected;
};

class HeaderLinesForCurlTest : public ::testing::TestWithParam<CurlListCase> {};

TEST_P(HeaderLinesForCurlTest, RemovesOnlyDefaultsWeDidNotGive) {
  HeaderLines headers;
  ASSERT_TRUE(headers.Add(GetParam().lines));
  EXPECT_EQ(headers.ForCurl(GetParam().hasBody), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeaderLinesForCurlTest,
    ::testing::Values(CurlListCase{"", false, {"Accept:", "Expect:"}},
                      CurlListCase{"", true, {"Accept:", "Expect:", "Content-Type:"}},
                      CurlListCase{"Accept: */*\r\ncontent-type: text/plain\r\n",
                                   true,
                                   {"Accept: */*", "content-type: text/plain", "Expect:"}},
                      // An empty value is sent as such, not read as a removal.
                      CurlListCase{"X-Empty:\r\nX-Blank:   \r\n",
                                   false,
                                   {"X-Empty;", "X-Blank;", "Accept:", "Expect:"}}));

}  // namespace
}  // namespace quillmere::platform
