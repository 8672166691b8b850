// WebFetch against a real loopback server: what goes on the wire, what comes back, and how
// each failure shows.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "net/web_fetch.h"
#include "platform/apartment.h"
#include "platform/codepage936.h"
#include "platform/http_client.h"
#include "tests/support/loopback_server.h"

namespace quillmere {
namespace {

using namespace std::chrono_literals;
using test_support::LoopbackServer;
using test_support::RecordedRequest;
using test_support::Reply;

Reply Html(std::string body) {
  return Reply::Response(200, "OK", {"Content-Type: text/html"}, body);
}

struct Fetched {
  Text page;
  Text status = "untouched";
  Text headers = "untouched";
  Text target = "untouched";
  Text received;
  Bytes bytes = "untouched";
};

Fetched Fetch(const Text& url, WebFetchOptions options = {}) {
  Fetched f;
  options.statusMessage = &f.status;
  options.responseHeaders = &f.headers;
  options.redirectTarget = &f.target;
  options.receivedCookies = &f.received;
  options.responseBytes = &f.bytes;
  f.page = WebFetch(url, options);
  return f;
}

TEST(WebFetch, AddressAloneSendsGetWithTheDefaultLinesOnly) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok("hello"); });
  ASSERT_TRUE(server.ok());
  const int depth = platform::ApartmentDepth();
  EXPECT_EQ(WebFetch(server.Url("/search/abc/default-1.html")), "hello");
  EXPECT_EQ(platform::ApartmentDepth(), depth);

  ASSERT_EQ(server.RequestCount(), 1u);
  const RecordedRequest request = server.Requests()[0];
  EXPECT_EQ(request.RequestLine(), "GET /search/abc/default-1.html HTTP/1.1");
  const std::vector<std::string> expected = {
      "Host: 127.0.0.1:" + std::to_string(server.port()),
      "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
      "Accept: text/html, application/xhtml+xml, */*",
      "Accept-Encoding: gbk, GB2312",
      "Accept-Language: zh-cn",
      "Cache-Control: no-cache",
  };
  EXPECT_EQ(request.HeaderLines(), expected);
}

TEST(WebFetch, BlanksAndChineseInTheAddressArriveAsUpperCaseUtf8Escapes) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok(""); });
  WebFetch(server.Url("/search/a b\xD6\xD0/default-1.html?q=\xCE\xC4"));
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].Target(), "/search/a%20b%E4%B8%AD/default-1.html?q=%E6%96%87");
}

TEST(WebFetch, AnAddressWithoutPathRequestsTheRootAndDropsTheQuery) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok(""); });
  WebFetch(server.Origin());
  WebFetch(server.Origin() + "?x=1");
  ASSERT_EQ(server.RequestCount(), 2u);
  EXPECT_EQ(server.Requests()[0].Target(), "/");
  EXPECT_EQ(server.Requests()[1].Target(), "/");
}

TEST(WebFetch, MethodTableAndBodies) {
  struct Case {
    int method;
    const char* verb;
  };
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok("body"); });
  const Case cases[] = {{0, "GET"},    {1, "POST"},  {3, "PUT"}, {4, "OPTIONS"},
                        {5, "DELETE"}, {6, "TRACE"}, {9, "GET"}, {-1, "GET"}};
  for (const Case& c : cases) {
    WebFetchOptions options;
    options.method = c.method;
    options.postData = std::string("a\0b=1", 5);
    WebFetch(server.Url("/m"), options);
    const RecordedRequest request = server.Requests().back();
    EXPECT_EQ(request.Method(), c.verb) << c.method;
    EXPECT_EQ(request.body, std::string("a\0b=1", 5)) << c.method;
    EXPECT_EQ(request.HeaderCount("Content-Type"), c.method == 1 ? 1u : 0u) << c.method;
    EXPECT_EQ(request.HeaderCount("Expect"), 0u);
  }

  WebFetchOptions head;
  head.method = 2;
  Text status;
  head.statusMessage = &status;
  EXPECT_EQ(WebFetch(server.Url("/h"), head), "");
  EXPECT_EQ(server.Requests().back().Method(), "HEAD");
  EXPECT_EQ(status, "200 OK");
}

TEST(WebFetch, CallersHeaderLinesReplaceSameNamedOnes) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok(""); });
  WebFetchOptions options;
  options.method = 1;
  options.extraHeaders = "content-type: text/plain\r\nUser-Agent: Mine/1.0\r\nX-Extra: yes";
  WebFetch(server.Url("/p"), options);
  const RecordedRequest request = server.Requests().back();
  EXPECT_EQ(request.HeaderCount("Content-Type"), 1u);
  EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(request.Header("User-Agent"), "Mine/1.0");
  EXPECT_EQ(request.Header("X-Extra"), "yes");
  EXPECT_EQ(request.Header("Accept"), "text/html, application/xhtml+xml, */*");
}

TEST(WebFetch, CredentialsAreSentOnlyWhenBothTextsAreGiven) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok(""); });
  WebFetchOptions options;
  options.userName = "user";
  WebFetch(server.Url("/a"), options);
  EXPECT_EQ(server.Requests().back().HeaderCount("Authorization"), 0u);
  options.userPassword = "secret";
  WebFetch(server.Url("/a"), options);
  EXPECT_EQ(server.Requests().back().Header("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
}

TEST(WebFetch, HttpProxyFormServesHttpAddressesWithItsCredentials) {
  LoopbackServer origin([](const RecordedRequest&) { return Reply::Ok("via proxy"); });
  LoopbackServer proxy(test_support::ProxyHandler());
  WebFetchOptions options;
  options.proxyServer = "127.0.0.1:" + std::to_string(proxy.port());
  options.proxyUser = "pu";
  options.proxyPassword = "pp";
  EXPECT_EQ(WebFetch(origin.Url("/x"), options), "via proxy");
  ASSERT_EQ(proxy.RequestCount(), 1u);
  const RecordedRequest seen = proxy.Requests()[0];
  EXPECT_EQ(seen.RequestLine(), "GET " + origin.Url("/x") + " HTTP/1.1");
  EXPECT_EQ(seen.Header("Proxy-Authorization"), "Basic cHU6cHA=");
}

TEST(WebFetch, RedirectsAreFollowedUnlessSwitchedOff) {
  LoopbackServer server([](const RecordedRequest& r) {
    if (r.Target() == "/old") {
      return Reply::Response(302, "Found", {"Location: /new", "Set-Cookie: leg=1; path=/"}, "");
    }
    return Reply::Response(200, "OK", {"Set-Cookie: final=2"}, "new page");
  });
  Fetched followed = Fetch(server.Url("/old"));
  EXPECT_EQ(followed.page, "new page");
  EXPECT_EQ(followed.status, "200 OK");
  EXPECT_EQ(followed.received, "final=2");
  EXPECT_EQ(followed.target, "untouched");
  EXPECT_EQ(followed.headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << followed.headers;
  // Without the caller's cookies the cookie of the first leg is not sent on the second.
  EXPECT_EQ(server.Requests().back().HeaderCount("Cookie"), 0u);

  WebFetchOptions options;
  options.noRedirect = true;
  Fetched stopped = Fetch(server.Url("/old"), options);
  EXPECT_EQ(stopped.status, "302 Found");
  EXPECT_EQ(stopped.target, "/new");
  EXPECT_EQ(stopped.received, "leg=1");
}

TEST(WebFetch, SuppliedCookiesKeepTheClientsCookiesAcrossLegsAndAreMerged) {
  LoopbackServer server([](const RecordedRequest& r) {
    if (r.Target() == "/login") {
      return Reply::Response(302, "Found", {"Location: /home", "Set-Cookie: sid=abc; path=/"}, "");
    }
    return Reply::Response(200, "OK", {"Set-Cookie: theme=light; path=/"}, "home");
  });
  Text cookies = "theme=dark; lang=en";
  WebFetchOptions options;
  options.sendCookies = &cookies;
  Fetched f = Fetch(server.Url("/login"), options);
  EXPECT_EQ(f.page, "home");
  const RecordedRequest second = server.Requests().back();
  EXPECT_NE(second.Header("Cookie").value_or("").find("sid=abc"), std::string::npos);
  EXPECT_EQ(f.received, "theme=light; lang=en");
  EXPECT_EQ(cookies, "theme=light; lang=en");
}

TEST(WebFetch, FailuresLeaveTheOtherOutputsAlone) {
  LoopbackServer silent([](const RecordedRequest&) { return Reply().Hold(); });
  int refusedPort = 0;
  {
    LoopbackServer closed([](const RecordedRequest&) { return Reply::Ok(""); });
    refusedPort = closed.port();
  }
  struct Case {
    Text url;
    int timeoutSeconds;
    const char16_t* status;
  };
  const Case cases[] = {
      {"", 0, u"701 解析URL地址失败!"},
      {"ftp://127.0.0.1/file", 0, u"701 解析URL地址失败!"},
      {"http://127.0.0.1:" + std::to_string(refusedPort) + "/", 0, u"711 发送请求失败!"},
      {silent.Url("/slow"), 1, u"712 服务器未响应!"},
  };
  for (const Case& c : cases) {
    WebFetchOptions options;
    options.timeoutSeconds = c.timeoutSeconds;
    const auto started = std::chrono::steady_clock::now();
    Fetched f = Fetch(c.url, options);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << c.url;
    EXPECT_EQ(f.page, "") << c.url;
    EXPECT_EQ(f.status, platform::Utf16ToCp936(c.status)) << c.url;
    EXPECT_EQ(f.headers, "untouched");
    EXPECT_EQ(f.target, "untouched");
    EXPECT_EQ(f.bytes, "untouched");
    EXPECT_EQ(f.received, "");
  }
}

TEST(WebFetch, ABodyCutShortKeepsTheBytesBeforeTheCut) {
  LoopbackServer server([](const RecordedRequest&) {
    return Reply()
        .Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nfirst part")
        .Pause(50ms)
        .Close();
  });
  Fetched f = Fetch(server.Url("/cut"));
  EXPECT_EQ(f.page, "first part");
  EXPECT_EQ(f.status, "200 OK");
  EXPECT_EQ(f.bytes, "first part");
}

TEST(WebFetch, PageTextEndsAtTheFirstZeroByteWhileTheBytesKeepEverything) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok(std::string("ab\0cd", 5)); });
  Fetched f = Fetch(server.Url("/zero"));
  EXPECT_EQ(f.page, "ab");
  EXPECT_EQ(f.bytes, std::string("ab\0cd", 5));
}

// Pages that declare a character set come out as code-page-936 text.
struct DecodingCase {
  const char* name;
  std::string body;
  std::string expectedPage;
};

TEST(WebFetch, DeclaredCharacterSetsAreDecoded) {
  const std::string utf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
  const std::string gbkChinese = "\xD6\xD0\xCE\xC4";
  const std::string padding(1100, 'x');
  const DecodingCase cases[] = {
      {"utf-8 with quote", "<meta charset=\"utf-8\">" + utf8Chinese + "\xE0\xB8\x81",
       "<meta charset=\"utf-8\">" + gbkChinese + "?"},
      {"utf-8 without quote", "<meta charset=utf-8>" + utf8Chinese,
       "<meta charset=utf-8>" + gbkChinese},
      {"gb2312 left alone",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">" + gbkChinese,
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">" + gbkChinese},
      {"GB2312 in capitals still reads right", "<META CHARSET=GB2312>" + gbkChinese,
       "<META CHARSET=GB2312>" + gbkChinese},
      {"big5", "<meta charset=big5>\xA4\xA4\xA4\xE5", "<meta charset=big5>" + gbkChinese},
      {"shift_jis", "<meta charset=shift_jis>\x93\xFA\x96\x7B",
       "<meta charset=shift_jis>\xC8\xD5\xB1\xBE"},
      {"declaration after byte 1024", padding + "<meta charset=utf-8>" + utf8Chinese,
       padding + "<meta charset=utf-8>" + utf8Chinese},
      {"declaration split over two lines", "<meta\ncharset=utf-8>" + utf8Chinese,
       "<meta\ncharset=utf-8>" + utf8Chinese},
      {"unknown name", "<meta charset=no-such-set>" + utf8Chinese,
       "<meta charset=no-such-set>" + utf8Chinese},
      {"zero byte decoded in full", "<meta charset=utf-8>a" + std::string(1, '\0') + utf8Chinese,
       "<meta charset=utf-8>a" + gbkChinese},
  };
  for (const DecodingCase& c : cases) {
    LoopbackServer server([&c](const RecordedRequest&) { return Html(c.body); });
    Fetched f = Fetch(server.Url("/page"));
    EXPECT_EQ(f.page, c.expectedPage) << c.name;
    EXPECT_EQ(f.bytes, c.body) << c.name;
  }
}

}  // namespace
}  // namespace quillmere
