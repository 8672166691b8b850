#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/test_certificate.h"

namespace quillmere::test_support {

// One request as the server read it.
struct RecordedRequest {
  std::string head;  // request line and header lines as received, each with CR LF, empty line
  std::string body;  // as many bytes as Content-Length said

  std::string RequestLine() const;
  std::string Method() const;
  std::string Target() const;
  // The header lines without their CR LF, in order, request line excluded.
  std::vector<std::string> HeaderLines() const;
  // The value of the first header of that name (any letter case), blanks around it trimmed.
  std::optional<std::string> Header(std::string_view name) const;
  size_t HeaderCount(std::string_view name) const;
};

// What the server does in answer to one request: a script of steps run in order. After the
// last step the connection stays open for the next request, unless the script closed it or
// the request said "Connection: close".
class Reply {
 public:
  enum class Kind { kSend, kTrickle, kRepeat, kPause, kClose, kReset, kHold, kTunnel, kForward };
  struct Step {
    Kind kind;
    std::string bytes;
    size_t bytesPerStep = 0;  // kTrickle: piece size; kRepeat: how many times
    std::chrono::milliseconds interval{0};
  };

  // Raw bytes, exactly as given.
  Reply& Send(std::string bytes);
  // The bytes in pieces of `bytesPerStep`, with `interval` between pieces.
  Reply& Trickle(std::string bytes, size_t bytesPerStep, std::chrono::milliseconds interval);
  // The same bytes `times` times over, without holding them more than once. With a huge count
  // it is a stream that never ends for the client: it stops when the client goes away.
  Reply& Repeat(std::string bytes, size_t times);
  // Silence for a while.
  Reply& Pause(std::chrono::milliseconds duration);
  // Silence until the client goes away or the server stops.
  Reply& Hold();
  // An orderly close (with TLS: close_notify first).
  Reply& Close();
  // An abortive close: SO_LINGER 0, so the client sees a reset.
  Reply& Reset();
  // Proxy steps. Tunnel: connect to the CONNECT request's target (127.0.0.1 only) and relay
  // bytes both ways until either side closes. Forward: send the request in origin form to the
  // host of its absolute target with "Connection: close", relay the answer back, then close.
  Reply& Tunnel();
  Reply& Forward();

  const std::vector<Step>& steps() const { return steps_; }

  // A complete response: status line, the header lines given (each without CR LF),
  // Content-Length unless a line already names it, the empty line, the body.
  static Reply Response(int status, std::string_view reason,
                        const std::vector<std::string>& headerLines, std::string_view body);
  static Reply Ok(std::string_view body) { return Response(200, "OK", {}, body); }
  static Reply Raw(std::string bytes) { return Reply().Send(std::move(bytes)); }

 private:
  std::vector<Step> steps_;
};

using Handler = std::function<Reply(const RecordedRequest&)>;

// Answers CONNECT with "200 Connection established" and a tunnel; every other request with
// `other` (by default: forward it to its target).
Handler ProxyHandler(Handler other = nullptr);

// An HTTP (or, with a certificate, HTTPS) server on 127.0.0.1 and a port of the system's
// choice, served by its own threads: one that accepts and one per connection. Every request
// is recorded before the handler decides the reply. The handler runs on the connection
// threads, possibly on several at once. Every wait inside is cut into slices of
// at most 100 ms, so the destructor stops it within a bounded time. A `port` other than 0
// asks for that port instead (the demo site listens on a fixed one).
class LoopbackServer {
 public:
  explicit LoopbackServer(Handler handler, const TestCertificate* certificate = nullptr,
                          uint16_t port = 0);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // False when the socket could not be bound or the TLS context not made.
  bool ok() const { return listener_ >= 0; }
  uint16_t port() const { return port_; }
  // "http://127.0.0.1:PORT" or "https://127.0.0.1:PORT".
  std::string Origin() const;
  std::string Url(std::string_view target) const { return Origin() + std::string(target); }

  std::vector<RecordedRequest> Requests() const;
  size_t RequestCount() const;
  size_t ConnectionCount() const { return connections_.load(); }
  // Waits until at least `count` requests were recorded; false after `timeout`.
  bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;

 private:
  void AcceptLoop();
  void ServeConnection(int socket);

  Handler handler_;
  SslCtxPtr tls_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<size_t> connections_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable recorded_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

}  // namespace quillmere::test_support
