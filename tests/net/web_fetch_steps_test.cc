// WebFetch over a scripted client: every failure point, the order in which handles close,
// how often pending events are processed, and which outputs each path writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "net/web_fetch.h"
#include "platform/apartment.h"
#include "platform/codepage936.h"
#include "platform/event_pump.h"
#include "tests/net/recording_http_client.h"

namespace quillmere {
namespace {

using testing::RecordingHttpClient;

class EventCounter {
 public:
  EventCounter() {
    platform::SetPendingEventsHook([this] { ++count; });
  }
  ~EventCounter() { platform::SetPendingEventsHook(nullptr); }
  int count = 0;
};

std::vector<std::string> ClosesIn(const std::vector<std::string>& calls) {
  std::vector<std::string> closes;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(closes),
               [](const std::string& c) { return c.rfind("Close", 0) == 0; });
  return closes;
}

const std::vector<std::string> kAllThree = {"CloseRequest", "CloseConnection", "CloseRoot"};

struct StepCase {
  const char* failingStep;
  const char16_t* expectedStatus;  // as UTF-16; compared as code page 936
  int expectedEvents;
  std::vector<std::string> expectedCloses;
  const char* expectedPage;
  bool outputsWritten;
};

void PrintTo(const StepCase& c, std::ostream* os) {
  *os << (*c.failingStep ? c.failingStep : "none");
}

class WebFetchStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(WebFetchStepTest, RecordsMessageClosesHandlesAndProcessesEvents) {
  const StepCase& c = GetParam();
  RecordingHttpClient client;
  client.failingStep = c.failingStep;
  client.chunkSize = 2;

  Text sendCookies = "old=1";
  Text received = "caller-received", headers = "caller-headers", target = "caller-target",
       status = "caller-status";
  Bytes bytes = "caller-bytes";
  WebFetchOptions options;
  options.userName = "user";
  options.userPassword = "secret";
  options.proxyUser = "proxyuser";
  options.proxyPassword = "proxysecret";
  options.noRedirect = true;
  options.receivedCookies = &received;
  options.responseHeaders = &headers;
  options.redirectTarget = &target;
  options.statusMessage = &status;
  options.responseBytes = &bytes;
  options.mergeCookies = false;
  if (std::string(c.failingStep) == "SetOption79/1") options.sendCookies = &sendCookies;

  const int depthBefore = platform::ApartmentDepth();
  EventCounter events;
  const Text page = WebFetch("http://example.test/", options, client);

  EXPECT_EQ(page, c.expectedPage);
  EXPECT_EQ(status, platform::Utf16ToCp936(c.expectedStatus));
  EXPECT_EQ(events.count, c.expectedEvents);
  EXPECT_EQ(ClosesIn(client.calls), c.expectedCloses);
  EXPECT_EQ(platform::ApartmentDepth(), depthBefore);
  if (c.outputsWritten) {
    EXPECT_EQ(headers, client.rawHeaders);
    EXPECT_EQ(bytes, client.body);
  } else {
    EXPECT_EQ(headers, "caller-headers");
    EXPECT_EQ(bytes, "caller-bytes");
    EXPECT_EQ(received, "caller-received");
    EXPECT_EQ(target, "caller-target");
  }
  EXPECT_EQ(sendCookies, "old=1");
}

// Events: a failure in stage k processes them k times; the four settings that leave at once
// (credentials, cookie option, redirect option) none; a received response nine times, plus
// once per header line (three here) and once for the character-set step.
INSTANTIATE_TEST_SUITE_P(
    EveryFailurePoint, WebFetchStepTest,
    ::testing::Values(
        StepCase{"CheckPlatform", u"700 当前系统不支持WinHttp服务!", 0, {}, "", false},
        StepCase{"CrackUrl", u"701 解析URL地址失败!", 1, {}, "", false},
        StepCase{"Open", u"702 创建WinHttp会话失败!", 2, {}, "", false},
        StepCase{"Connect", u"703 创建WinHttp连接失败!", 3, {"CloseRoot"}, "", false},
        StepCase{"OpenRequest",
                 u"704 创建WinHttp请求失败!",
                 4,
                 {"CloseConnection", "CloseRoot"},
                 "",
                 false},
        StepCase{"SetTimeouts", u"705 设置超时时间失败!", 5, kAllThree, "", false},
        StepCase{"SetServerCredentials", u"707 设置代理凭证失败!", 0, kAllThree, "", false},
        StepCase{"SetProxyCredentials", u"707 设置代理凭证失败!", 0, kAllThree, "", false},
        StepCase{"SetOption63/1", u"708 禁止自动设置Cookies失败!", 0, kAllThree, "", false},
        StepCase{"SetOption79/1", u"708 禁止自动设置Cookies失败!", 0, kAllThree, "", false},
        StepCase{"SetOption63/2", u"709 重定向设置失败!", 0, kAllThree, "", false},
        StepCase{"AddHeaders", u"710 设置协议头失败!", 6, kAllThree, "", false},
        StepCase{"Send", u"711 发送请求失败!", 7, kAllThree, "", false},
        StepCase{"ReceiveResponse", u"712 服务器未响应!", 8, kAllThree, "", false},
        StepCase{"QueryRawHeaders", u"caller-status", 9, kAllThree, "", false},
        StepCase{"ReadData,QueryRawHeaders", u"713 读取数据失败!", 9, kAllThree, "", false},
        StepCase{"", u"200 OK", 13, kAllThree, "hello", true}));

TEST(WebFetchSteps, ReadFailureKeepsBytesBeforeItAndStatusTextReplacesMessage) {
  RecordingHttpClient client;
  client.failingStep = "ReadData";
  client.body = "hello";
  client.chunkSize = 2;
  Text status;
  Bytes bytes;
  WebFetchOptions options;
  options.statusMessage = &status;
  options.responseBytes = &bytes;
  EXPECT_EQ(WebFetch("http://example.test/", options, client), "he");
  EXPECT_EQ(status, "200 OK");
  EXPECT_EQ(bytes, "he");
}

TEST(WebFetchSteps, CallsThePlatformInOrder) {
  RecordingHttpClient client;
  WebFetch("http://example.test/", {}, client);
  const std::vector<std::string> expected = {"CheckPlatform",
                                             "CrackUrl",
                                             "Open",
                                             "Connect",
                                             "OpenRequest",
                                             "Timeouts 30000 30000 30000 30000",
                                             "SetTimeouts",
                                             "SetOption63/1",
                                             "AddHeaders",
                                             "Send",
                                             "ReceiveResponse",
                                             "ReadData",
                                             "ReadData",
                                             "QueryRawHeaders",
                                             "CloseRequest",
                                             "CloseConnection",
                                             "CloseRoot"};
  EXPECT_EQ(client.calls, expected);
}

struct TimeoutCase {
  int seconds;
  const char* expected;
};

TEST(WebFetchSteps, TimeoutAppliesToEveryPhase) {
  for (const TimeoutCase& c : {TimeoutCase{5, "Timeouts 5000 5000 5000 5000"},
                               TimeoutCase{0, "Timeouts 30000 30000 30000 30000"},
                               TimeoutCase{-3, "Timeouts 30000 30000 30000 30000"},
                               TimeoutCase{1, "Timeouts 1000 1000 1000 1000"}}) {
    RecordingHttpClient client;
    WebFetchOptions options;
    options.timeoutSeconds = c.seconds;
    WebFetch("http://example.test/", options, client);
    EXPECT_NE(std::find(client.calls.begin(), client.calls.end(), c.expected), client.calls.end())
        << c.seconds;
  }
}

TEST(WebFetchSteps, CredentialsAreSetOnlyWhenBothTextsAreGiven) {
  RecordingHttpClient client;
  WebFetchOptions options;
  options.userName = "user";     // no password
  options.proxyPassword = "pw";  // no proxy user
  WebFetch("http://example.test/", options, client);
  for (const std::string& call : client.calls) {
    EXPECT_EQ(call.find("Credentials"), std::string::npos) << call;
  }
}

// The header text handed to the client, for a few callers' lines.
std::u16string Utf16(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

const std::string kDefaultLines =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n";

struct HeaderCase {
  const char* name;
  int method;
  std::string extraHeaders;
  const char* sendCookies;  // null: not supplied
  std::string expected;
};

TEST(WebFetchSteps, HeaderTextAddsEachDefaultLineWhoseMarkerIsAbsent) {
  const HeaderCase cases[] = {
      {"address alone", 0, "", nullptr, kDefaultLines + "Cache-Control: no-cache\r\n"},
      {"post adds content type", 1, "", nullptr,
       kDefaultLines + "Content-Type: application/x-www-form-urlencoded\r\n"
                       "Cache-Control: no-cache\r\n"},
      {"caller user agent", 0, "user-agent: Mine", nullptr,
       "user-agent: Mine\r\n"
       "Accept: text/html, application/xhtml+xml, */*\r\n"
       "Accept-Encoding: gbk, GB2312\r\nAccept-Language: zh-cn\r\nCache-Control: no-cache\r\n"},
      {"lower-case content type is not the exact marker", 1, "content-type: text/plain", nullptr,
       "content-type: text/plain\r\n" + kDefaultLines +
           "Content-Type: application/x-www-form-urlencoded\r\nCache-Control: no-cache\r\n"},
      {"cookie line", 0, "", "a=1", kDefaultLines + "Cache-Control: no-cache\r\nCookie: a=1\r\n"},
      {"empty cookies send no line", 0, "", "", kDefaultLines + "Cache-Control: no-cache\r\n"},
      {"set-cookie line hides the cookie marker", 0, "Set-Cookie: x=1", "a=1",
       "Set-Cookie: x=1\r\n" + kDefaultLines + "Cache-Control: no-cache\r\n"},
  };
  for (const HeaderCase& c : cases) {
    RecordingHttpClient client;
    Text cookies = c.sendCookies ? c.sendCookies : "";
    WebFetchOptions options;
    options.method = c.method;
    options.extraHeaders = c.extraHeaders;
    if (c.sendCookies) options.sendCookies = &cookies;
    WebFetch("http://example.test/", options, client);
    EXPECT_EQ(client.lastHeaders, Utf16(c.expected)) << c.name;
  }
}

}  // namespace
}  // namespace quillmere
