#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillmere::platform {

// A small synchronous HTTP client with the operations and failure points of the Windows HTTP
// services that the request routine drives, in the same order. Handles are objects: closing
// a handle is destroying it. Everything runs on the calling thread; while a call waits on the
// network it calls ProcessEventsWhileWaiting() about every 50 ms.
//
// It is an interface so that tests can make any single step fail; CurlHttpClient() is the
// real one.

inline constexpr int kSchemeHttp = 1;
inline constexpr int kSchemeHttps = 2;

inline constexpr uint32_t kAccessTypeNoProxy = 1;
inline constexpr uint32_t kAccessTypeNamedProxy = 3;

inline constexpr uint32_t kFlagSecure = 0x00800000;  // open request: use TLS

inline constexpr uint32_t kAuthTargetServer = 0;
inline constexpr uint32_t kAuthTargetProxy = 1;
inline constexpr uint32_t kAuthSchemeBasic = 1;

inline constexpr uint32_t kOptionDisableFeature = 63;
inline constexpr uint32_t kOptionEnableFeature = 79;
inline constexpr uint32_t kDisableCookies = 1;
inline constexpr uint32_t kDisableRedirects = 2;
inline constexpr uint32_t kEnableSslRevocation = 1;

inline constexpr uint32_t kAddHeadersAdd = 0x20000000;
inline constexpr uint32_t kAddHeadersReplace = 0x80000000;

// The pieces of an absolute address, each as UTF-16 text.
struct UrlComponents {
  int scheme = 0;  // kSchemeHttp or kSchemeHttps
  std::u16string host;
  uint16_t port = 0;      // the scheme's default when the address gives none
  std::u16string path;    // may be empty
  std::u16string extra;   // from '?' or '#' on; may be empty
};

class HttpRequest {
 public:
  virtual ~HttpRequest() = default;
  // Resolve and connect bound the connection set-up; send and receive bound the longest
  // time without progress once connected. Milliseconds.
  virtual bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) = 0;
  // Basic credentials, sent pre-emptively.
  virtual bool SetCredentials(uint32_t target, uint32_t scheme, std::u16string_view user,
                              std::u16string_view password) = 0;
  virtual bool SetOption(uint32_t option, uint32_t value) = 0;
  // Header lines each ended by CR LF; each replaces a same-named header (by name, any case).
  virtual bool AddHeaders(std::u16string_view headers, uint32_t modifiers) = 0;
  // Connects and sends the request with the body bytes unchanged. Fails on a name that does
  // not resolve, a refused connection, a TLS failure or a time-out.
  virtual bool Send(std::string_view body) = 0;
  // Waits for the final response's header block. Fails when none arrives in time.
  virtual bool ReceiveResponse() = 0;
  // Waits until body bytes are buffered or the transfer ended; reports how many are ready
  // (0 at the end). Fails when the transfer broke before any further byte arrived.
  virtual bool QueryDataAvailable(uint32_t& available) = 0;
  // Hands out up to `size` buffered bytes. Fails when the transfer broke mid-body and no
  // buffered byte is left to hand out.
  virtual bool ReadData(char* buffer, uint32_t size, uint32_t& read) = 0;
  // The final response's raw header block as UTF-16: status line first, every line ended by
  // CR LF, an empty line last, then a zero code unit. With a buffer too small (or null) it
  // writes the needed size in bytes into byteLength and fails.
  virtual bool QueryRawHeaders(char16_t* buffer, uint32_t& byteLength) = 0;
};

class HttpConnection {
 public:
  virtual ~HttpConnection() = default;
  // objectName is the path and extra information; the client escapes it for the wire.
  virtual std::unique_ptr<HttpRequest> OpenRequest(std::u16string_view verb,
                                                   std::u16string_view objectName,
                                                   uint32_t flags) = 0;
};

class HttpSession {
 public:
  virtual ~HttpSession() = default;
  virtual std::unique_ptr<HttpConnection> Connect(std::u16string_view host, uint16_t port) = 0;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  virtual bool CheckPlatform() = 0;
  virtual std::optional<UrlComponents> CrackUrl(std::u16string_view url) = 0;
  // proxyName: empty for no proxy; "http=P" serves http addresses only; a bare "P" serves all.
  virtual std::unique_ptr<HttpSession> Open(uint32_t accessType, std::u16string_view proxyName) = 0;
};

// The real client over libcurl. One process-wide instance; it keeps no state between requests.
HttpClient& CurlHttpClient();

// When set, server certificates are verified against this CA file instead of the system's
// trust store. Verification itself always stays on. For tests and the demo site only.
void SetTrustedCaFile(std::string path);

}  // namespace quillmere::platform
