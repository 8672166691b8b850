#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/curl_handles.h"
#include "platform/http_request_setup.h"

namespace quillmere::platform {

// Everything one request needs, gathered before it is sent.
struct TransferSettings {
  std::string url;   // scheme://host:port followed by the escaped request target
  std::string verb;  // "GET", "POST", "HEAD", ...
  std::string body;  // sent unchanged; may hold zero bytes
  HeaderLines headers;
  std::string proxyList;  // empty: no proxy
  std::optional<std::pair<std::string, std::string>> serverCredentials;
  std::optional<std::pair<std::string, std::string>> proxyCredentials;
  long connectTimeoutMs = 0;  // 0: no limit
  long sendIdleMs = 0;        // longest time without progress while sending; 0: no limit
  long receiveIdleMs = 0;     // the same while receiving
  bool cookies = true;        // libcurl's cookie engine for this request
  bool followRedirects = true;
  std::string caFile;  // empty: the system's trust store
};

// One request over libcurl's multi interface, driven on the calling thread. Each wait pumps
// libcurl in slices of at most 50 ms and lets the window system handle its non-input events
// between slices. Redirects are followed here rather than by libcurl, so that a redirect that
// is not followed (https to http, or following switched off) leaves its 3xx response as the
// one that is read, body included.
class CurlTransfer {
 public:
  static constexpr int kMaxRedirects = 10;

  // Sets the request up and starts it. Null when libcurl refuses the set-up.
  static std::unique_ptr<CurlTransfer> Start(TransferSettings settings);
  ~CurlTransfer();
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // Until the request head and body went out (or a response began). False when the transfer
  // failed first: name not resolved, connection refused, TLS failure, time-out.
  bool WaitUntilSent();
  // Until the final response's header block is complete. False when the transfer ended or
  // timed out first, or redirected more than kMaxRedirects times.
  bool WaitForResponse();
  // Until the transfer ended, or body bytes are buffered and either a batch of them is full or
  // a short time passed since the first of them. Reports the buffered count (0 at a clean
  // end); false when the transfer broke and nothing is buffered.
  bool WaitForBody(uint32_t& available);
  // Hands out up to `size` buffered bytes, waiting for some when none are buffered.
  bool Read(char* buffer, uint32_t size, uint32_t& read);

  bool HasFinalHeaders() const { return haveFinal_; }
  // Raw bytes: status line, header lines each ended by CR LF, the empty line.
  const std::string& FinalHeaderBlock() const { return finalBlock_; }

 private:
  explicit CurlTransfer(TransferSettings settings);
  bool ConfigureHandle();
  bool ConfigureLeg();
  bool StartNextLeg();
  bool Pump(const std::function<bool()>& ready);
  // As above, each poll waiting at most sliceMs() (never more than the usual slice).
  bool Pump(const std::function<bool()>& ready, const std::function<int()>& sliceMs);
  void HandleMessages();
  void CheckIdle();
  void Finish(CURLcode result);
  bool RequestSent() const;
  void NoteProgress() { lastProgress_ = std::chrono::steady_clock::now(); }
  void OnHeaderLine(std::string_view line);
  void OnHeaderBlockComplete();

  static size_t HeaderCallback(char* data, size_t size, size_t count, void* self);
  static size_t WriteCallback(char* data, size_t size, size_t count, void* self);
  static int DebugCallback(CURL* handle, curl_infotype type, char* data, size_t size, void* self);

  TransferSettings settings_;
  std::string currentUrl_;
  CurlMulti multi_;
  CurlEasy easy_;
  CurlSlist headerList_;
  bool attached_ = false;

  // Progress of the request.
  bool headOut_ = false;
  size_t bodyOut_ = 0;
  bool responseBegan_ = false;
  std::chrono::steady_clock::time_point lastProgress_;

  // Header blocks as they arrive; only the final response's block is kept.
  std::string block_;
  bool inBlock_ = false;
  std::string finalBlock_;
  bool haveFinal_ = false;
  std::string pendingRedirect_;
  int pendingStatus_ = 0;
  int redirects_ = 0;
  bool tooManyRedirects_ = false;

  // Body bytes not yet handed out start at readPos_.
  std::string body_;
  size_t readPos_ = 0;
  bool paused_ = false;  // receiving waits for the reader to take a full batch

  bool finished_ = false;
  CURLcode result_ = CURLE_OK;
};

}  // namespace quillmere::platform
