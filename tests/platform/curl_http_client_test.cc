#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/event_pump.h"
#include "platform/http_client.h"
#include "tests/support/loopback_server.h"
#include "tests/support/test_certificate.h"

namespace quillmere::platform {
namespace {

using namespace std::chrono_literals;
using test_support::LoopbackServer;
using test_support::RecordedRequest;
using test_support::Reply;
using test_support::TestCertificate;

std::u16string Wide(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::string Narrow(std::u16string_view units) {
  std::string out;
  for (char16_t unit : units) out += unit < 0x80 ? static_cast<char>(unit) : '?';
  return out;
}

struct FetchOptions {
  std::u16string verb = u"GET";
  std::string body;
  std::u16string headers;
  uint32_t accessType = kAccessTypeNoProxy;
  std::u16string proxy;
  std::u16string user, password, proxyUser, proxyPassword;
  int timeoutMs = 10000;
  bool disableCookies = false;
  bool disableRedirects = false;
};

struct FetchResult {
  bool sent = false;
  bool received = false;
  bool bodyEndedClean = false;  // the read loop ended with 0 bytes available
  bool readAfterEndFailed = false;
  int chunks = 0;
  std::string body;
  std::string rawHeaders;
};

// Drives the client the way the request routine does, step by step.
FetchResult Fetch(std::u16string_view url, const FetchOptions& options = {}) {
  FetchResult result;
  HttpClient& client = CurlHttpClient();
  EXPECT_TRUE(client.CheckPlatform());
  const auto parts = client.CrackUrl(url);
  EXPECT_TRUE(parts.has_value());
  if (!parts) return result;
  auto session = client.Open(options.accessType, options.proxy);
  EXPECT_NE(session, nullptr);
  if (!session) return result;
  auto connection = session->Connect(parts->host, parts->port);
  EXPECT_NE(connection, nullptr);
  if (!connection) return result;
  const std::u16string object = parts->path.empty() ? u"/" : parts->path + parts->extra;
  auto request = connection->OpenRequest(options.verb, object,
                                         parts->scheme == kSchemeHttps ? kFlagSecure : 0);
  EXPECT_NE(request, nullptr);
  if (!request) return result;
  const int t = options.timeoutMs;
  EXPECT_TRUE(request->SetTimeouts(t, t, t, t));
  if (!options.user.empty()) {
    EXPECT_TRUE(request->SetCredentials(kAuthTargetServer, kAuthSchemeBasic, options.user,
                                        options.password));
  }
  if (!options.proxyUser.empty()) {
    EXPECT_TRUE(request->SetCredentials(kAuthTargetProxy, kAuthSchemeBasic, options.proxyUser,
                                        options.proxyPassword));
  }
  if (options.disableCookies) {
    EXPECT_TRUE(request->SetOption(kOptionDisableFeature, kDisableCookies));
  }
  if (options.disableRedirects) {
    EXPECT_TRUE(request->SetOption(kOptionDisableFeature, kDisableRedirects));
  }
  if (!options.headers.empty()) {
    EXPECT_TRUE(request->AddHeaders(options.headers, kAddHeadersAdd | kAddHeadersReplace));
  }
  result.sent = request->Send(options.body);
  if (!result.sent) return result;
  result.received = request->ReceiveResponse();
  if (!result.received) return result;

  uint32_t available = 0;
  while (request->QueryDataAvailable(available)) {
    if (available == 0) {
      result.bodyEndedClean = true;
      break;
    }
    std::string chunk(available, '\0');
    uint32_t read = 0;
    EXPECT_TRUE(request->ReadData(chunk.data(), available, read));
    result.body.append(chunk.data(), read);
    ++result.chunks;
  }
  char spare[16];
  uint32_t read = 0;
  result.readAfterEndFailed = !request->ReadData(spare, sizeof spare, read);

  uint32_t size = 0;
  EXPECT_FALSE(request->QueryRawHeaders(nullptr, size));
  std::u16string raw(size / 2, u'\0');
  EXPECT_TRUE(request->QueryRawHeaders(raw.data(), size));
  result.rawHeaders = Narrow(std::u16string_view(raw.data(), size / 2));
  return result;
}

FetchResult Fetch(std::string_view url, const FetchOptions& options = {}) {
  return Fetch(Wide(url), options);
}

// A port nothing listens on: bound once, then released.
uint16_t UnusedPort() {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  close(socket);
  return ntohs(address.sin_port);
}

class CurlHttpClientTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetTrustedCaFile("");
    SetWaitingEventsHook(nullptr);
  }
};

TEST_F(CurlHttpClientTest, GetSendsExactlyTheGivenHeaders) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok("hello"); });
  FetchOptions options;
  options.headers = u"User-Agent: Test/1.0\r\nX-MiXeD: a\r\nAccept-Language: zh-cn\r\n";
  const FetchResult result = Fetch(Wide(server.Url("/dir/a b?q=")) + u"\u4E2D#frag", options);
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, "hello");
  EXPECT_TRUE(result.bodyEndedClean);

  ASSERT_EQ(server.RequestCount(), 1u);
  const RecordedRequest request = server.Requests()[0];
  EXPECT_EQ(request.RequestLine(), "GET /dir/a%20b?q=%E4%B8%AD%23frag HTTP/1.1");
  EXPECT_EQ(
      request.HeaderLines(),
      (std::vector<std::string>{"Host: 127.0.0.1:" + std::to_string(server.port()),
                                "User-Agent: Test/1.0", "X-MiXeD: a", "Accept-Language: zh-cn"}));
  EXPECT_EQ(request.body, "");
}

TEST_F(CurlHttpClientTest, HeaderLineReplacesSameNamedHeader) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok(""); });
  FetchOptions options;
  options.headers = u"Accept: a/b\r\nX-One: 1\r\naccept: c/d\r\nHost: example.test\r\n";
  ASSERT_TRUE(Fetch(server.Url("/"), options).received);
  const RecordedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.HeaderCount("Accept"), 1u);
  EXPECT_EQ(request.Header("Accept"), "c/d");
  EXPECT_EQ(request.HeaderCount("Host"), 1u);
  EXPECT_EQ(request.Header("Host"), "example.test");
}

struct VerbCase {
  std::u16string verb;
  std::string body;
  std::string headers;
  std::string method;                 // as the server sees it
  std::optional<std::string> length;  // Content-Length sent
  std::optional<std::string> type;    // Content-Type sent
  std::string responseBody;           // as read back
};

class CurlHttpVerbTest : public CurlHttpClientTest,
                         public ::testing::WithParamInterface<VerbCase> {};

TEST_P(CurlHttpVerbTest, SendsVerbAndBodyUnchanged) {
  const VerbCase& c = GetParam();
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok("body"); });
  FetchOptions options;
  options.verb = c.verb;
  options.body = c.body;
  options.headers = Wide(c.headers);
  const FetchResult result = Fetch(server.Url("/v"), options);
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, c.responseBody);
  const RecordedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.Method(), c.method);
  EXPECT_EQ(request.body, c.body);
  EXPECT_EQ(request.Header("Content-Length"), c.length);
  EXPECT_EQ(request.Header("Content-Type"), c.type);
  EXPECT_FALSE(request.Header("Expect").has_value());
  EXPECT_FALSE(request.Header("Accept").has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CurlHttpVerbTest,
    ::testing::Values(VerbCase{u"POST", std::string("a\0b\xFF=&", 6), "", "POST", "6", std::nullopt,
                               "body"},
                      VerbCase{u"POST", "x=1", "Content-Type: application/x-www-form-urlencoded",
                               "POST", "3", "application/x-www-form-urlencoded", "body"},
                      VerbCase{u"POST", "", "", "POST", "0", std::nullopt, "body"},
                      VerbCase{u"GET", "q=1", "", "GET", "3", std::nullopt, "body"},
                      VerbCase{u"HEAD", "", "", "HEAD", std::nullopt, std::nullopt, ""},
                      VerbCase{u"PUT", "data", "", "PUT", "4", std::nullopt, "body"},
                      VerbCase{u"DELETE", "", "", "DELETE", std::nullopt, std::nullopt, "body"},
                      VerbCase{u"OPTIONS", "", "", "OPTIONS", std::nullopt, std::nullopt, "body"}));

TEST_F(CurlHttpClientTest, RawHeadersAreTheFinalResponseOnly) {
  const std::string finalBlock =
      "HTTP/1.1 200 OK\r\nX-MiXeD: a\r\nset-COOKIE: k=v\r\nContent-Length: 4\r\n\r\n";
  LoopbackServer server([&](const RecordedRequest& request) {
    if (request.Target() == "/start") {
      return Reply::Response(302, "Found", {"Location: /continue"}, "moved");
    }
    if (request.Target() == "/continue") {
      return Reply::Raw("HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n")
          .Pause(50ms)
          .Send(finalBlock + "done");
    }
    return Reply::Response(404, "Not Found", {}, "");
  });
  const FetchResult result = Fetch(server.Url("/start"));
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.rawHeaders, finalBlock);
  EXPECT_EQ(result.body, "done");
  EXPECT_EQ(server.RequestCount(), 2u);
}

TEST_F(CurlHttpClientTest, ChunkedTrailersStayOutOfTheRawHeaders) {
  LoopbackServer server([](const RecordedRequest&) {
    return Reply::Raw(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-T\r\n\r\n"
        "3\r\nabc\r\n0\r\nX-T: 1\r\n\r\n");
  });
  const FetchResult result = Fetch(server.Url("/"));
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, "abc");
  EXPECT_EQ(result.rawHeaders,
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-T\r\n\r\n");
}

TEST_F(CurlHttpClientTest, RedirectIsFollowedUnlessSwitchedOff) {
  LoopbackServer server([](const RecordedRequest& request) {
    if (request.Target() == "/old") {
      return Reply::Response(301, "Moved Permanently", {"Location: /new"}, "see /new");
    }
    return Reply::Ok("new page");
  });
  const FetchResult followed = Fetch(server.Url("/old"));
  ASSERT_TRUE(followed.received);
  EXPECT_EQ(followed.body, "new page");
  EXPECT_EQ(followed.rawHeaders.substr(0, 15), "HTTP/1.1 200 OK");

  FetchOptions options;
  options.disableRedirects = true;
  const FetchResult kept = Fetch(server.Url("/old"), options);
  ASSERT_TRUE(kept.received);
  EXPECT_EQ(kept.body, "see /new");
  EXPECT_EQ(kept.rawHeaders,
            "HTTP/1.1 301 Moved Permanently\r\nLocation: /new\r\nContent-Length: 8\r\n\r\n");
  EXPECT_EQ(server.RequestCount(), 3u);
}

TEST_F(CurlHttpClientTest, PostRedirectedBy302BecomesGet) {
  LoopbackServer server([](const RecordedRequest& request) {
    if (request.Target() == "/form") return Reply::Response(302, "Found", {"Location: /done"}, "");
    return Reply::Ok("ok");
  });
  FetchOptions options;
  options.verb = u"POST";
  options.body = "a=1";
  ASSERT_TRUE(Fetch(server.Url("/form"), options).received);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].RequestLine(), "GET /done HTTP/1.1");
  EXPECT_EQ(requests[1].body, "");
}

TEST_F(CurlHttpClientTest, RedirectLoopFailsReceiveAfterTenRedirects) {
  LoopbackServer server([](const RecordedRequest& request) {
    return Reply::Response(302, "Found", {"Location: " + request.Target() + "x"}, "");
  });
  const FetchResult result = Fetch(server.Url("/loop"));
  EXPECT_TRUE(result.sent);
  EXPECT_FALSE(result.received);
  EXPECT_EQ(server.RequestCount(), 11u);
}

TEST_F(CurlHttpClientTest, SecureToPlainRedirectIsNotFollowed) {
  TestCertificate certificate;
  ASSERT_TRUE(certificate.ok());
  SetTrustedCaFile(certificate.CaFile());
  LoopbackServer plain([](const RecordedRequest&) { return Reply::Ok("plain"); });
  const std::string location = "Location: " + plain.Url("/landing");
  LoopbackServer secure(
      [&](const RecordedRequest&) { return Reply::Response(302, "Found", {location}, "bye"); },
      &certificate);
  const FetchResult result = Fetch(secure.Url("/"));
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.rawHeaders.substr(0, 22), "HTTP/1.1 302 Found\r\nLo");
  EXPECT_EQ(result.body, "bye");
  EXPECT_EQ(plain.RequestCount(), 0u);
}

struct BrokenBodyCase {
  const char* name;
  Reply reply;
};

class CurlHttpBrokenBodyTest : public CurlHttpClientTest,
                               public ::testing::WithParamInterface<BrokenBodyCase> {};

TEST_P(CurlHttpBrokenBodyTest, ReadFailsAfterTheBytesBefore) {
  const Reply reply = GetParam().reply;
  LoopbackServer server([&](const RecordedRequest&) { return reply; });
  const FetchResult result = Fetch(server.Url("/"));
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, "abcdef");
  EXPECT_FALSE(result.bodyEndedClean);
  EXPECT_TRUE(result.readAfterEndFailed);
}

const std::string kPartialHead = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
INSTANTIATE_TEST_SUITE_P(
    Table, CurlHttpBrokenBodyTest,
    ::testing::Values(
        BrokenBodyCase{"Close", Reply::Raw(kPartialHead + "abc").Pause(100ms).Send("def").Close()},
        BrokenBodyCase{"Reset", Reply::Raw(kPartialHead + "abcdef").Pause(100ms).Reset()},
        BrokenBodyCase{"ChunkedClose",
                       Reply::Raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                  "6\r\nabcdef\r\n")
                           .Pause(100ms)
                           .Close()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CurlHttpClientTest, TrickledBodyArrivesWhole) {
  const std::string body(300, 'z');
  LoopbackServer server([&](const RecordedRequest&) {
    return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 300\r\n\r\n").Trickle(body, 100, 60ms);
  });
  const FetchResult result = Fetch(server.Url("/"));
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, body);
  EXPECT_GE(result.chunks, 2);
  EXPECT_TRUE(result.bodyEndedClean);
}

TEST_F(CurlHttpClientTest, RefusedConnectionFailsSend) {
  const FetchResult result = Fetch("http://127.0.0.1:" + std::to_string(UnusedPort()) + "/");
  EXPECT_FALSE(result.sent);
}

struct SilenceCase {
  const char* name;
  std::u16string verb;
  std::string body;
};

class CurlHttpSilenceTest : public CurlHttpClientTest,
                            public ::testing::WithParamInterface<SilenceCase> {};

// The request, body included, goes out in Send; the silence then fails ReceiveResponse.
TEST_P(CurlHttpSilenceTest, SilenceBeforeHeadersFailsReceiveWithinTheTimeout) {
  LoopbackServer server([](const RecordedRequest&) { return Reply().Hold(); });
  FetchOptions options;
  options.verb = GetParam().verb;
  options.body = GetParam().body;
  options.timeoutMs = 1000;
  const auto start = std::chrono::steady_clock::now();
  const FetchResult result = Fetch(server.Url("/"), options);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(result.sent);
  EXPECT_FALSE(result.received);
  EXPECT_LT(elapsed, 5s);  // a bound against hanging, not a timing test
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].body.size(), GetParam().body.size());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CurlHttpSilenceTest,
    ::testing::Values(SilenceCase{"Get", u"GET", ""}, SilenceCase{"SmallPost", u"POST", "a=1&b=2"},
                      SilenceCase{"LargePost", u"POST", std::string(1 << 20, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CurlHttpClientTest, SilenceAfterHeadersFailsTheBodyNotTheResponse) {
  LoopbackServer server([](const RecordedRequest&) {
    return Reply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nab").Hold();
  });
  FetchOptions options;
  options.timeoutMs = 1000;
  const FetchResult result = Fetch(server.Url("/"), options);
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, "ab");
  EXPECT_FALSE(result.bodyEndedClean);
  EXPECT_TRUE(result.readAfterEndFailed);
}

TEST_F(CurlHttpClientTest, CredentialsAreSentPreemptively) {
  LoopbackServer proxy(test_support::ProxyHandler());
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok("through"); });
  FetchOptions options;
  options.accessType = kAccessTypeNamedProxy;
  options.proxy = Wide("http=127.0.0.1:" + std::to_string(proxy.port()));
  options.user = u"user";
  options.password = u"pass";
  options.proxyUser = u"puser";
  options.proxyPassword = u"ppass";
  const FetchResult result = Fetch(server.Url("/p?x=1"), options);
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, "through");

  ASSERT_EQ(proxy.RequestCount(), 1u);
  const RecordedRequest atProxy = proxy.Requests()[0];
  EXPECT_EQ(atProxy.RequestLine(), "GET " + server.Url("/p?x=1") + " HTTP/1.1");
  EXPECT_EQ(atProxy.Header("Proxy-Authorization"), "Basic cHVzZXI6cHBhc3M=");
  EXPECT_EQ(atProxy.Header("Authorization"), "Basic dXNlcjpwYXNz");
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].Header("Authorization"), "Basic dXNlcjpwYXNz");
}

TEST_F(CurlHttpClientTest, CredentialsGoOutAsUtf8) {
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok(""); });
  FetchOptions options;
  options.user = u"\u7528\u6237";
  options.password = u"\u5BC6";
  ASSERT_TRUE(Fetch(server.Url("/"), options).received);
  EXPECT_EQ(server.Requests().at(0).Header("Authorization"), "Basic 55So5oi3OuWvhg==");
}

TEST_F(CurlHttpClientTest, HttpOnlyProxyEntryIsNotUsedForHttps) {
  TestCertificate certificate;
  ASSERT_TRUE(certificate.ok());
  SetTrustedCaFile(certificate.CaFile());
  LoopbackServer proxy(test_support::ProxyHandler());
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok("direct"); }, &certificate);
  FetchOptions options;
  options.accessType = kAccessTypeNamedProxy;
  options.proxy = Wide("http=127.0.0.1:" + std::to_string(proxy.port()));
  const FetchResult result = Fetch(server.Url("/"), options);
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, "direct");
  EXPECT_EQ(proxy.RequestCount(), 0u);
}

TEST_F(CurlHttpClientTest, HttpsThroughProxyTunnelsAndHidesTheConnectResponse) {
  TestCertificate certificate;
  ASSERT_TRUE(certificate.ok());
  SetTrustedCaFile(certificate.CaFile());
  LoopbackServer proxy(test_support::ProxyHandler());
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok("tunnelled"); },
                        &certificate);
  FetchOptions options;
  options.accessType = kAccessTypeNamedProxy;
  options.proxy = Wide("127.0.0.1:" + std::to_string(proxy.port()));
  options.proxyUser = u"puser";
  options.proxyPassword = u"ppass";
  const FetchResult result = Fetch(server.Url("/secret"), options);
  ASSERT_TRUE(result.received);
  EXPECT_EQ(result.body, "tunnelled");
  EXPECT_EQ(result.rawHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n");
  ASSERT_EQ(proxy.RequestCount(), 1u);
  const RecordedRequest connect = proxy.Requests()[0];
  EXPECT_EQ(connect.RequestLine(),
            "CONNECT 127.0.0.1:" + std::to_string(server.port()) + " HTTP/1.1");
  EXPECT_EQ(connect.Header("Proxy-Authorization"), "Basic cHVzZXI6cHBhc3M=");
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].RequestLine(), "GET /secret HTTP/1.1");
  EXPECT_FALSE(server.Requests()[0].Header("Proxy-Authorization").has_value());
}

TEST_F(CurlHttpClientTest, TrustedCertificateWorksAndUntrustedFailsSend) {
  TestCertificate certificate;
  TestCertificate stranger;
  ASSERT_TRUE(certificate.ok());
  ASSERT_TRUE(stranger.ok());
  LoopbackServer server([](const RecordedRequest&) { return Reply::Ok("secure"); }, &certificate);

  SetTrustedCaFile(certificate.CaFile());
  const FetchResult trusted = Fetch(server.Url("/"));
  ASSERT_TRUE(trusted.received);
  EXPECT_EQ(trusted.body, "secure");

  SetTrustedCaFile(stranger.CaFile());
  EXPECT_FALSE(Fetch(server.Url("/")).sent);
  SetTrustedCaFile("");
  EXPECT_FALSE(Fetch(server.Url("/")).sent);
  EXPECT_EQ(server.RequestCount(), 1u);
}

class CurlHttpCookieTest : public CurlHttpClientTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CurlHttpCookieTest, CookieEngineOnlyWhenAutomaticCookiesAreOn) {
  const bool disable = GetParam();
  LoopbackServer server([](const RecordedRequest& request) {
    if (request.Target() == "/set") {
      return Reply::Response(302, "Found", {"Set-Cookie: sid=42; Path=/", "Location: /check"}, "");
    }
    return Reply::Ok("checked");
  });
  FetchOptions options;
  options.disableCookies = disable;
  ASSERT_TRUE(Fetch(server.Url("/set"), options).received);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].Target(), "/check");
  if (disable) {
    EXPECT_FALSE(requests[1].Header("Cookie").has_value());
  } else {
    EXPECT_EQ(requests[1].Header("Cookie"), "sid=42");
  }
}

INSTANTIATE_TEST_SUITE_P(DisabledOrNot, CurlHttpCookieTest, ::testing::Bool());

TEST_F(CurlHttpClientTest, WindowEventsAreHandledWhileWaiting) {
  int calls = 0;
  SetWaitingEventsHook([&] { ++calls; });
  LoopbackServer server([](const RecordedRequest&) {
    return Reply().Pause(400ms).Send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  });
  ASSERT_TRUE(Fetch(server.Url("/")).received);
  EXPECT_GE(calls, 3);  // a 400 ms wait in slices of at most 50 ms
}

TEST_F(CurlHttpClientTest, StepsRefuseWhatThePlatformRefuses) {
  HttpClient& client = CurlHttpClient();
  EXPECT_EQ(client.Open(kAccessTypeNamedProxy, u""), nullptr);
  EXPECT_EQ(client.Open(7, u""), nullptr);
  auto session = client.Open(kAccessTypeNoProxy, u"");
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->Connect(u"", 80), nullptr);
  auto connection = session->Connect(u"127.0.0.1", 80);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(connection->OpenRequest(u"BAD VERB", u"/", 0), nullptr);
  auto request = connection->OpenRequest(u"GET", u"/", 0);
  ASSERT_NE(request, nullptr);
  EXPECT_FALSE(request->SetTimeouts(-2, 1, 1, 1));
  EXPECT_FALSE(request->SetCredentials(kAuthTargetServer, 2, u"u", u"p"));
  EXPECT_TRUE(request->SetOption(kOptionEnableFeature, kEnableSslRevocation));
  EXPECT_FALSE(request->SetOption(12345, 1));
  EXPECT_FALSE(request->AddHeaders(u"no colon\r\n", kAddHeadersAdd | kAddHeadersReplace));
  // Nothing was sent, so there is nothing to receive or read.
  EXPECT_FALSE(request->ReceiveResponse());
  uint32_t size = 0;
  EXPECT_FALSE(request->QueryRawHeaders(nullptr, size));
}

}  // namespace
}  // namespace quillmere::platform
