#include <curl/curl.h>

#include <cstring>
#include <mutex>
#include <utility>

#include "platform/codepage936.h"
#include "platform/curl_transfer.h"
#include "platform/http_client.h"
#include "platform/url_crack.h"
#include "platform/url_escape.h"

namespace quillmere::platform {
namespace {

std::mutex& CaFileMutex() {
  static std::mutex mutex;
  return mutex;
}
std::string& CaFile() {
  static std::string path;
  return path;
}
std::string TrustedCaFile() {
  std::lock_guard lock(CaFileMutex());
  return CaFile();
}

bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

// The WinHttp convention: 0 and -1 mean no limit, other negative values are refused.
long LimitOf(int milliseconds) {
  return milliseconds <= 0 ? 0 : milliseconds;
}

class CurlRequest final : public HttpRequest {
 public:
  CurlRequest(std::string url, std::string verb, std::string proxyList)
      : url_(std::move(url)), verb_(std::move(verb)), proxyList_(std::move(proxyList)) {}

  bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) override {
    if (resolveMs < -1 || connectMs < -1 || sendMs < -1 || receiveMs < -1) return false;
    // libcurl has one bound for resolving and connecting (TLS handshake included).
    connectMs_ = (resolveMs <= 0 || connectMs <= 0) ? 0 : long{resolveMs} + connectMs;
    sendMs_ = LimitOf(sendMs);
    receiveMs_ = LimitOf(receiveMs);
    return true;
  }

  bool SetCredentials(uint32_t target, uint32_t scheme, std::u16string_view user,
                      std::u16string_view password) override {
    if (scheme != kAuthSchemeBasic) return false;
    // User names and passwords go out as UTF-8, the charset that Basic now recommends.
    auto pair = std::make_pair(Utf16ToUtf8(user), Utf16ToUtf8(password));
    if (target == kAuthTargetServer) {
      serverCredentials_ = std::move(pair);
    } else if (target == kAuthTargetProxy) {
      proxyCredentials_ = std::move(pair);
    } else {
      return false;
    }
    return true;
  }

  bool SetOption(uint32_t option, uint32_t value) override {
    if (option == kOptionDisableFeature) {
      if (value == 0 || (value & ~(kDisableCookies | kDisableRedirects)) != 0) return false;
      if (value & kDisableCookies) cookies_ = false;
      if (value & kDisableRedirects) followRedirects_ = false;
      return true;
    }
    // Revocation checking is accepted but not enforced: libcurl over OpenSSL has no
    // revocation source of its own here. Certificates are still verified.
    if (option == kOptionEnableFeature) return value == kEnableSslRevocation;
    return false;
  }

  bool AddHeaders(std::u16string_view headers, uint32_t /*modifiers*/) override {
    // Header text travels as code page 936 bytes, the same code page the received header
    // block is read in. Every line replaces a same-named one, whatever the modifiers.
    return headers_.Add(Utf16ToCp936(headers));
  }

  bool Send(std::string_view body) override {
    if (transfer_) return false;
    TransferSettings settings;
    settings.url = url_;
    settings.verb = verb_;
    settings.body = std::string(body);
    settings.headers = headers_;
    settings.proxyList = proxyList_;
    settings.serverCredentials = serverCredentials_;
    settings.proxyCredentials = proxyCredentials_;
    settings.connectTimeoutMs = connectMs_;
    settings.sendIdleMs = sendMs_;
    settings.receiveIdleMs = receiveMs_;
    settings.cookies = cookies_;
    settings.followRedirects = followRedirects_;
    settings.caFile = TrustedCaFile();
    transfer_ = CurlTransfer::Start(std::move(settings));
    return transfer_ && transfer_->WaitUntilSent();
  }

  bool ReceiveResponse() override { return transfer_ && transfer_->WaitForResponse(); }

  bool QueryDataAvailable(uint32_t& available) override {
    available = 0;
    return transfer_ && transfer_->WaitForBody(available);
  }

  bool ReadData(char* buffer, uint32_t size, uint32_t& read) override {
    read = 0;
    if (!transfer_ || (!buffer && size > 0)) return false;
    return transfer_->Read(buffer, size, read);
  }

  bool QueryRawHeaders(char16_t* buffer, uint32_t& byteLength) override {
    if (!transfer_ || !transfer_->HasFinalHeaders()) return false;
    const std::u16string text = Cp936ToUtf16(transfer_->FinalHeaderBlock());
    const uint32_t needed = static_cast<uint32_t>((text.size() + 1) * sizeof(char16_t));
    if (!buffer || byteLength < needed) {
      byteLength = needed;
      return false;
    }
    std::memcpy(buffer, text.data(), text.size() * sizeof(char16_t));
    buffer[text.size()] = u'\0';
    byteLength = needed - sizeof(char16_t);  // the text without its terminator, as WinHttp does
    return true;
  }

 private:
  std::string url_;
  std::string verb_;
  std::string proxyList_;
  // WinHttp's defaults until SetTimeouts: 60 s to connect, 30 s to send and to receive.
  long connectMs_ = 60000;
  long sendMs_ = 30000;
  long receiveMs_ = 30000;
  std::optional<std::pair<std::string, std::string>> serverCredentials_;
  std::optional<std::pair<std::string, std::string>> proxyCredentials_;
  bool cookies_ = true;
  bool followRedirects_ = true;
  HeaderLines headers_;
  std::unique_ptr<CurlTransfer> transfer_;
};

class CurlConnection final : public HttpConnection {
 public:
  CurlConnection(std::string host, uint16_t port, std::string proxyList)
      : host_(std::move(host)), port_(port), proxyList_(std::move(proxyList)) {}

  std::unique_ptr<HttpRequest> OpenRequest(std::u16string_view verb, std::u16string_view objectName,
                                           uint32_t flags) override {
    std::string verbText = verb.empty() ? std::string("GET") : Utf16ToUtf8(verb);
    for (char c : verbText) {
      if (c <= ' ' || c >= 0x7F) return nullptr;  // a verb is a single token
    }
    std::string url = (flags & kFlagSecure) ? "https://" : "http://";
    // An IPv6 address goes in brackets.
    url += host_.find(':') != std::string::npos ? "[" + host_ + "]" : host_;
    url += ':' + std::to_string(port_);
    const std::string target = EscapeRequestTarget(objectName);
    if (target.empty() || target.front() != '/') url += '/';
    url += target;
    return std::make_unique<CurlRequest>(std::move(url), std::move(verbText), proxyList_);
  }

 private:
  std::string host_;
  uint16_t port_;
  std::string proxyList_;
};

class CurlSession final : public HttpSession {
 public:
  explicit CurlSession(std::string proxyList) : proxyList_(std::move(proxyList)) {}

  std::unique_ptr<HttpConnection> Connect(std::u16string_view host, uint16_t port) override {
    if (host.empty() || port == 0) return nullptr;
    std::string hostText = Utf16ToUtf8(host);
    if (hostText.size() > 2 && hostText.front() == '[' && hostText.back() == ']') {
      hostText = hostText.substr(1, hostText.size() - 2);
    }
    return std::make_unique<CurlConnection>(std::move(hostText), port, proxyList_);
  }

 private:
  std::string proxyList_;
};

class CurlClient final : public HttpClient {
 public:
  bool CheckPlatform() override { return CurlReady(); }

  std::optional<UrlComponents> CrackUrl(std::u16string_view url) override {
    return CrackHttpUrl(url);
  }

  std::unique_ptr<HttpSession> Open(uint32_t accessType, std::u16string_view proxyName) override {
    if (!CurlReady()) return nullptr;
    if (accessType == kAccessTypeNoProxy) return std::make_unique<CurlSession>(std::string());
    if (accessType == kAccessTypeNamedProxy && !proxyName.empty()) {
      return std::make_unique<CurlSession>(Utf16ToUtf8(proxyName));
    }
    return nullptr;
  }
};

}  // namespace

HttpClient& CurlHttpClient() {
  static CurlClient client;
  return client;
}

void SetTrustedCaFile(std::string path) {
  std::lock_guard lock(CaFileMutex());
  CaFile() = std::move(path);
}

}  // namespace quillmere::platform
