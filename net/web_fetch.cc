#include "net/web_fetch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "net/body_buffer.h"
#include "net/header_lines.h"
#include "net/page_decoding.h"
#include "net/utf16_bytes.h"
#include "pattern/regex_object.h"
#include "platform/codepage936.h"
#include "platform/event_pump.h"
#include "platform/http_client.h"

namespace quillmere {
namespace {

// The numbered messages. The source holds them as UTF-16; statusMessage gets them as program
// text (code page 936) through Message().
constexpr std::u16string_view kNoPlatform = u"700 当前系统不支持WinHttp服务!";
constexpr std::u16string_view kBadUrl = u"701 解析URL地址失败!";
constexpr std::u16string_view kNoSession = u"702 创建WinHttp会话失败!";
constexpr std::u16string_view kNoConnection = u"703 创建WinHttp连接失败!";
constexpr std::u16string_view kNoRequest = u"704 创建WinHttp请求失败!";
constexpr std::u16string_view kNoTimeouts = u"705 设置超时时间失败!";
// Failed credentials, for the server as for the proxy, record the same message.
constexpr std::u16string_view kNoCredentials = u"707 设置代理凭证失败!";
constexpr std::u16string_view kNoCookieOption = u"708 禁止自动设置Cookies失败!";
constexpr std::u16string_view kNoRedirectOption = u"709 重定向设置失败!";
constexpr std::u16string_view kNoHeaders = u"710 设置协议头失败!";
constexpr std::u16string_view kSendFailed = u"711 发送请求失败!";
constexpr std::u16string_view kNoResponse = u"712 服务器未响应!";
constexpr std::u16string_view kReadFailed = u"713 读取数据失败!";

Text Message(std::u16string_view message) {
  return platform::Utf16ToCp936(message);
}

constexpr int kDefaultTimeoutMs = 30000;
// A response body beyond this is not read: a server that never stops sending would otherwise
// exhaust memory. What was read up to the bound is kept, as after any read failure.
constexpr size_t kMaxBodyBytes = size_t{64} << 20;

const char* VerbFor(int method) {
  static constexpr const char* kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                           "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  if (method < 0 || method >= static_cast<int>(std::size(kVerbs))) return "GET";
  return kVerbs[method];
}

// Program text as the UTF-16 the client takes (the terminator that ToUtf16Bytes adds is the
// string's own end here).
std::u16string ToPlatformText(const Text& text) {
  const Bytes bytes = ToUtf16Bytes(text, true);
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return units;
}

Bytes ToUtf16ByteSet(std::u16string_view units) {
  Bytes bytes(units.size() * 2, '\0');
  for (size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  return bytes;
}

Text FromPlatformText(std::u16string_view units) {
  return FromUtf16Bytes(ToUtf16ByteSet(units));
}

// Every phase of the request gets the same timeout, in milliseconds.
int TimeoutMilliseconds(int timeoutSeconds) {
  if (timeoutSeconds <= 0) return kDefaultTimeoutMs;
  const double ms = std::trunc(static_cast<double>(timeoutSeconds) * 1000.0);
  if (ms >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int>(ms);
}

struct DefaultHeaderLine {
  const char* marker;
  bool ignoreCase;
  const char* line;
};

constexpr DefaultHeaderLine kUserAgent{
    "User-Agent: ", true,
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"};
constexpr DefaultHeaderLine kAccept{"Accept: ", true,
                                    "Accept: text/html, application/xhtml+xml, */*\r\n"};
constexpr DefaultHeaderLine kAcceptEncoding{"Accept-Encoding: ", true,
                                            "Accept-Encoding: gbk, GB2312\r\n"};
constexpr DefaultHeaderLine kAcceptLanguage{"Accept-Language: ", true,
                                            "Accept-Language: zh-cn\r\n"};
// This marker has no blank after the colon and compares exactly, unlike the others.
constexpr DefaultHeaderLine kContentType{"Content-Type:", false,
                                         "Content-Type: application/x-www-form-urlencoded\r\n"};
constexpr DefaultHeaderLine kCacheControl{"Cache-Control: ", true, "Cache-Control: no-cache\r\n"};

// The caller's lines first, then each default line whose marker is not yet in the text.
Text BuildHeaderText(const WebFetchOptions& options) {
  Text headers;
  if (!options.extraHeaders.empty()) headers = options.extraHeaders + "\r\n";
  auto addUnlessPresent = [&headers](const char* marker, bool ignoreCase, const Text& line) {
    if (Find(headers, marker, 1, ignoreCase) == -1) headers += line;
  };
  for (const DefaultHeaderLine& d : {kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage}) {
    addUnlessPresent(d.marker, d.ignoreCase, d.line);
  }
  if (options.method == 1) {
    addUnlessPresent(kContentType.marker, kContentType.ignoreCase, kContentType.line);
  }
  addUnlessPresent(kCacheControl.marker, kCacheControl.ignoreCase, kCacheControl.line);
  if (options.sendCookies != nullptr && !options.sendCookies->empty()) {
    addUnlessPresent("Cookie: ", true, "Cookie: " + *options.sendCookies + "\r\n");
  }
  return headers;
}

// The outputs a call writes: the caller's variables, or the routine's own where the caller
// left one out.
struct Outputs {
  explicit Outputs(const WebFetchOptions& options)
      : receivedCookies(options.receivedCookies ? *options.receivedCookies : ownReceivedCookies),
        responseHeaders(options.responseHeaders ? *options.responseHeaders : ownResponseHeaders),
        redirectTarget(options.redirectTarget ? *options.redirectTarget : ownRedirectTarget),
        statusMessage(options.statusMessage ? *options.statusMessage : ownStatusMessage),
        responseBytes(options.responseBytes ? *options.responseBytes : ownResponseBytes) {}

  Text ownReceivedCookies, ownResponseHeaders, ownRedirectTarget, ownStatusMessage;
  Bytes ownResponseBytes;
  Text& receivedCookies;
  Text& responseHeaders;
  Text& redirectTarget;
  Text& statusMessage;
  Bytes& responseBytes;
};

// The three handles, closed request first, then connection, then root.
struct Handles {
  std::unique_ptr<platform::HttpSession> root;
  std::unique_ptr<platform::HttpConnection> connection;
  std::unique_ptr<platform::HttpRequest> request;

  void CloseAll() {
    request.reset();
    connection.reset();
    root.reset();
  }
  ~Handles() { CloseAll(); }
};

// Reads the body chunk by chunk as the client reports it available, each chunk straight onto
// the end of the body (zero bytes first, then what the read hands out). A failed read records
// 713 and keeps the bytes read before it. More body than the bound counts as a failed read.
Bytes ReadBody(platform::HttpRequest& request, Text& statusMessage) {
  Bytes body;
  for (;;) {
    uint32_t available = 0;
    if (!request.QueryDataAvailable(available) || available < 1) break;
    const size_t before = body.size();
    ReserveBodyCapacity(body, before + available, kMaxBodyBytes);
    body.resize(before + available);
    uint32_t read = 0;
    if (!request.ReadData(body.data() + before, available, read)) {
      body.resize(before);
      statusMessage = Message(kReadFailed);
      break;
    }
    read = std::min(read, available);
    const size_t kept = std::min<size_t>(read, kMaxBodyBytes - before);
    body.resize(before + kept);
    if (kept < read) {
      statusMessage = Message(kReadFailed);
      break;
    }
  }
  return body;
}

// The final response's raw header block, asked for its size first. nullopt when the query
// fails.
std::optional<Text> QueryRawHeaders(platform::HttpRequest& request) {
  uint32_t byteLength = 0;
  request.QueryRawHeaders(nullptr, byteLength);
  std::u16string buffer((byteLength + 1) / 2, u'\0');
  uint32_t length = byteLength;
  if (!request.QueryRawHeaders(buffer.data(), length)) return std::nullopt;
  return FromUtf16Bytes(ToUtf16ByteSet(buffer));
}

// Everything after a successful receive: the body, the raw headers, the header lines and the
// page text. Returns the page text, or nullopt when the header query failed.
std::optional<Text> ReadResponse(platform::HttpRequest& request, const WebFetchOptions& options,
                                 Outputs& out, RegexObject& regex) {
  Bytes body = ReadBody(request, out.statusMessage);

  std::optional<Text> rawHeaders = QueryRawHeaders(request);
  if (!rawHeaders) return std::nullopt;
  out.responseHeaders = *rawHeaders;

  ReadHeaderLines(out.responseHeaders, out.statusMessage, out.receivedCookies, out.redirectTarget,
                  options.sendCookies, options.mergeCookies.value_or(true));

  // The page text is the body up to its first zero byte. When the caller does not ask for
  // the bytes and there is no zero byte, the page text takes over the body's buffer instead of
  // copying it: nothing could read the routine's own copy of the bytes.
  const size_t zero = body.find('\0');
  const Bytes* bytes = &body;
  Text page;
  if (options.responseBytes != nullptr) {
    out.responseBytes = std::move(body);
    bytes = &out.responseBytes;
    page = bytes->substr(0, zero);
  } else if (zero == Bytes::npos) {
    page = std::move(body);
    bytes = &page;
  } else {
    page = body.substr(0, zero);
  }
  std::optional<Text> decoded = DecodeDeclaredCharset(regex, *bytes, page);
  return decoded ? std::move(*decoded) : std::move(page);
}

}  // namespace

Text WebFetch(const Text& url, const WebFetchOptions& options) {
  return WebFetch(url, options, platform::CurlHttpClient());
}

// The request runs as eight nested stages. Each stage runs only when the one before it
// succeeded; a stage that fails records its message. Pending window events are processed at
// the end of every stage reached, on the way out, so a failure in stage k processes them k
// times and a completed request nine times (once more after reading the response).
Text WebFetch(const Text& url, const WebFetchOptions& options, platform::HttpClient& client) {
  RegexObject regex;  // for the character-set step; holds the call's apartment pair
  Outputs out(options);
  if (!client.CheckPlatform()) {
    out.statusMessage = Message(kNoPlatform);
    return {};
  }

  Handles handles;
  std::optional<Text> page;
  // Stage 1: split the address.
  if (std::optional<platform::UrlComponents> parts = client.CrackUrl(ToPlatformText(url))) {
    const Text host = FromPlatformText(parts->host);
    const bool secure = parts->scheme == platform::kSchemeHttps;
    const std::u16string objectName = parts->path.empty() ? u"/" : parts->path + parts->extra;

    // Stage 2: the root handle, with the proxy when one is given.
    const bool useProxy = !options.proxyServer.empty();
    const Text proxyName =
        !useProxy ? Text() : (secure ? options.proxyServer : "http=" + options.proxyServer);
    handles.root =
        client.Open(useProxy ? platform::kAccessTypeNamedProxy : platform::kAccessTypeNoProxy,
                    ToPlatformText(proxyName));
    if (handles.root) {
      // Stage 3: the connection.
      handles.connection = handles.root->Connect(ToPlatformText(host), parts->port);
      if (handles.connection) {
        // Stage 4: the request.
        handles.request =
            handles.connection->OpenRequest(ToPlatformText(VerbFor(options.method)), objectName,
                                            secure ? platform::kFlagSecure : 0);
        if (handles.request) {
          platform::HttpRequest& request = *handles.request;
          // Stage 5: timeouts and the per-request settings.
          const int timeout = TimeoutMilliseconds(options.timeoutSeconds);
          if (request.SetTimeouts(timeout, timeout, timeout, timeout)) {
            // These four settings leave at once when they fail, without processing events.
            auto failNow = [&](std::u16string_view message) {
              out.statusMessage = Message(message);
              handles.CloseAll();
              return Text();
            };
            if (!options.userName.empty() && !options.userPassword.empty() &&
                !request.SetCredentials(platform::kAuthTargetServer, platform::kAuthSchemeBasic,
                                        ToPlatformText(options.userName),
                                        ToPlatformText(options.userPassword))) {
              return failNow(kNoCredentials);
            }
            if (!options.proxyUser.empty() && !options.proxyPassword.empty() &&
                !request.SetCredentials(platform::kAuthTargetProxy, platform::kAuthSchemeBasic,
                                        ToPlatformText(options.proxyUser),
                                        ToPlatformText(options.proxyPassword))) {
              return failNow(kNoCredentials);
            }
            // Without cookies of the caller's, the client's own cookie handling is switched
            // off. With them it stays on; the option then asked for (certificate revocation
            // checks) is accepted by the client without further effect.
            const bool cookieOptionSet =
                options.sendCookies == nullptr
                    ? request.SetOption(platform::kOptionDisableFeature, platform::kDisableCookies)
                    : request.SetOption(platform::kOptionEnableFeature,
                                        platform::kEnableSslRevocation);
            if (!cookieOptionSet) return failNow(kNoCookieOption);
            if (options.noRedirect &&
                !request.SetOption(platform::kOptionDisableFeature, platform::kDisableRedirects)) {
              return failNow(kNoRedirectOption);
            }

            // Stage 6: the header lines.
            if (request.AddHeaders(ToPlatformText(BuildHeaderText(options)),
                                   platform::kAddHeadersAdd | platform::kAddHeadersReplace)) {
              // Stage 7: send, the body bytes unchanged.
              if (request.Send(options.postData)) {
                // Stage 8: the response.
                if (request.ReceiveResponse()) {
                  page = ReadResponse(request, options, out, regex);
                  platform::ProcessPendingEvents();
                } else {
                  out.statusMessage = Message(kNoResponse);
                }
                platform::ProcessPendingEvents();
              } else {
                out.statusMessage = Message(kSendFailed);
              }
              platform::ProcessPendingEvents();
            } else {
              out.statusMessage = Message(kNoHeaders);
            }
            platform::ProcessPendingEvents();
          } else {
            out.statusMessage = Message(kNoTimeouts);
          }
          platform::ProcessPendingEvents();
        } else {
          out.statusMessage = Message(kNoRequest);
        }
        platform::ProcessPendingEvents();
      } else {
        out.statusMessage = Message(kNoConnection);
      }
      platform::ProcessPendingEvents();
    } else {
      out.statusMessage = Message(kNoSession);
    }
    platform::ProcessPendingEvents();
  } else {
    out.statusMessage = Message(kBadUrl);
  }
  platform::ProcessPendingEvents();

  handles.CloseAll();
  return page ? std::move(*page) : Text();
}

}  // namespace quillmere
