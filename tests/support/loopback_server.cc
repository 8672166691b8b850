#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace quillmere::test_support {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kSlice = 100ms;
constexpr auto kHandshakeLimit = 10s;

struct SslDeleter {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Sleeps in short slices; false when the server began to stop meanwhile.
bool SleepUnlessStopping(std::chrono::milliseconds duration, const std::atomic<bool>& stopping) {
  const auto end = Clock::now() + duration;
  while (Clock::now() < end) {
    if (stopping) return false;
    std::this_thread::sleep_for(std::min<Clock::duration>(20ms, end - Clock::now()));
  }
  return !stopping;
}

void SetSliceTimeouts(int socket) {
  timeval slice{0, static_cast<suseconds_t>(std::chrono::microseconds(kSlice).count())};
  setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice);
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice);
}

bool WouldBlock() {
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

// One side of a connection, plain or TLS. Reads and writes give up when the server stops.
class Stream {
 public:
  Stream(int socket, const std::atomic<bool>& stopping) : socket_(socket), stopping_(stopping) {
    SetSliceTimeouts(socket_);
  }
  ~Stream() {
    ssl_.reset();
    if (socket_ >= 0) close(socket_);
  }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  int socket() const { return socket_; }
  bool secure() const { return ssl_ != nullptr; }

  bool AcceptTls(SSL_CTX* context) {
    ssl_.reset(SSL_new(context));
    if (!ssl_ || SSL_set_fd(ssl_.get(), socket_) != 1) return false;
    const auto limit = Clock::now() + kHandshakeLimit;
    while (!stopping_ && Clock::now() < limit) {
      const int result = SSL_accept(ssl_.get());
      if (result == 1) return true;
      const int error = SSL_get_error(ssl_.get(), result);
      if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) break;
    }
    ERR_clear_error();
    ssl_.reset();  // a failed handshake closes without close_notify
    return false;
  }

  // Some bytes (> 0), or 0 when the peer closed, the connection failed or the server stops.
  int ReadSome(char* buffer, int size) {
    while (!stopping_) {
      if (ssl_) {
        const int result = SSL_read(ssl_.get(), buffer, size);
        if (result > 0) return result;
        const int error = SSL_get_error(ssl_.get(), result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) continue;
        ERR_clear_error();
        return 0;
      }
      const ssize_t result = recv(socket_, buffer, static_cast<size_t>(size), 0);
      if (result > 0) return static_cast<int>(result);
      if (result < 0 && WouldBlock()) continue;
      return 0;
    }
    return 0;
  }

  bool WriteAll(std::string_view bytes) {
    while (!bytes.empty() && !stopping_) {
      if (ssl_) {
        const int result = SSL_write(ssl_.get(), bytes.data(), static_cast<int>(bytes.size()));
        if (result > 0) {
          bytes.remove_prefix(static_cast<size_t>(result));
          continue;
        }
        const int error = SSL_get_error(ssl_.get(), result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) continue;
        ERR_clear_error();
        return false;
      }
      const ssize_t result = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (result > 0) {
        bytes.remove_prefix(static_cast<size_t>(result));
      } else if (!(result < 0 && WouldBlock())) {
        return false;
      }
    }
    return bytes.empty();
  }

  // Sends FIN (after close_notify with TLS), then waits briefly for the client to close, so
  // that unread client bytes cannot turn the close into a reset.
  void CloseOrderly() {
    if (ssl_) SSL_shutdown(ssl_.get());
    ssl_.reset();
    shutdown(socket_, SHUT_WR);
    char scratch[4096];
    const auto limit = Clock::now() + 1s;
    while (!stopping_ && Clock::now() < limit) {
      const ssize_t result = recv(socket_, scratch, sizeof scratch, 0);
      if (result == 0 || (result < 0 && !WouldBlock())) break;
    }
  }

  void Reset() {
    ssl_.reset();
    linger abortive{1, 0};
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    close(socket_);
    socket_ = -1;
  }

 private:
  int socket_;
  const std::atomic<bool>& stopping_;
  std::unique_ptr<SSL, SslDeleter> ssl_;
};

int ConnectLoopback(std::string_view hostPort) {
  const size_t colon = hostPort.rfind(':');
  if (colon == std::string_view::npos) return -1;
  const std::string_view host = hostPort.substr(0, colon);
  if (host != "127.0.0.1" && !EqualsIgnoreCase(host, "localhost")) return -1;
  const int port = std::atoi(std::string(hostPort.substr(colon + 1)).c_str());
  if (port <= 0 || port > 65535) return -1;
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(socket);
    return -1;
  }
  return socket;
}

// Copies bytes both ways between a plain client stream and an upstream stream until either
// side closes or the server stops.
void Relay(Stream& client, Stream& upstream, const std::atomic<bool>& stopping) {
  char buffer[16384];
  while (!stopping) {
    pollfd sides[2] = {{client.socket(), POLLIN, 0}, {upstream.socket(), POLLIN, 0}};
    const int ready = poll(sides, 2, static_cast<int>(kSlice.count()));
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (!(sides[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      Stream& from = i == 0 ? client : upstream;
      Stream& to = i == 0 ? upstream : client;
      const int count = from.ReadSome(buffer, sizeof buffer);
      if (count <= 0 || !to.WriteAll(std::string_view(buffer, static_cast<size_t>(count)))) return;
    }
  }
}

// The request in origin form for the server it names, to be answered once and closed.
std::optional<std::pair<std::string, std::string>> OriginFormRequest(
    const RecordedRequest& request) {
  std::string target = request.Target();
  const std::string scheme = "http://";
  if (target.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
  target.erase(0, scheme.size());
  const size_t slash = target.find('/');
  std::string hostPort = target.substr(0, slash);
  if (hostPort.find(':') == std::string::npos) hostPort += ":80";
  const std::string path = slash == std::string::npos ? "/" : target.substr(slash);
  std::string head = request.Method() + " " + path + " HTTP/1.1\r\n";
  for (const std::string& line : request.HeaderLines()) {
    const std::string_view name = Trim(std::string_view(line).substr(0, line.find(':')));
    if (EqualsIgnoreCase(name, "Connection") || EqualsIgnoreCase(name, "Proxy-Connection") ||
        EqualsIgnoreCase(name, "Proxy-Authorization")) {
      continue;
    }
    head += line + "\r\n";
  }
  head += "Connection: close\r\n\r\n";
  return std::make_pair(hostPort, head + request.body);
}

// Reads one request; false when the connection ended first.
bool ReadRequest(Stream& stream, std::string& pending, RecordedRequest& request) {
  char buffer[16384];
  size_t headEnd;
  while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
    const int count = stream.ReadSome(buffer, sizeof buffer);
    if (count <= 0) return false;
    pending.append(buffer, static_cast<size_t>(count));
  }
  request.head = pending.substr(0, headEnd + 4);
  pending.erase(0, headEnd + 4);
  const size_t length = static_cast<size_t>(
      std::strtoull(request.Header("Content-Length").value_or("0").c_str(), nullptr, 10));
  while (pending.size() < length) {
    const int count = stream.ReadSome(buffer, sizeof buffer);
    if (count <= 0) return false;
    pending.append(buffer, static_cast<size_t>(count));
  }
  request.body = pending.substr(0, length);
  pending.erase(0, length);
  return true;
}

// Runs a reply's script; true when the connection stays open for another request.
bool RunReply(Stream& stream, const Reply& reply, const RecordedRequest& request,
              const std::atomic<bool>& stopping) {
  for (const Reply::Step& step : reply.steps()) {
    switch (step.kind) {
      case Reply::Kind::kSend:
        if (!stream.WriteAll(step.bytes)) return false;
        break;
      case Reply::Kind::kTrickle:
        for (size_t at = 0; at < step.bytes.size(); at += step.bytesPerStep) {
          if (at > 0 && !SleepUnlessStopping(step.interval, stopping)) return false;
          if (!stream.WriteAll(std::string_view(step.bytes).substr(at, step.bytesPerStep))) {
            return false;
          }
        }
        break;
      case Reply::Kind::kRepeat:
        for (size_t i = 0; i < step.bytesPerStep; ++i) {
          if (!stream.WriteAll(step.bytes)) return false;
        }
        break;
      case Reply::Kind::kPause:
        if (!SleepUnlessStopping(step.interval, stopping)) return false;
        break;
      case Reply::Kind::kHold: {
        char scratch[4096];
        while (stream.ReadSome(scratch, sizeof scratch) > 0) {
        }
        return false;
      }
      case Reply::Kind::kClose:
        stream.CloseOrderly();
        return false;
      case Reply::Kind::kReset:
        stream.Reset();
        return false;
      case Reply::Kind::kTunnel: {
        if (stream.secure()) return false;
        const int upstream = ConnectLoopback(request.Target());
        if (upstream < 0) return false;
        Stream upstreamStream(upstream, stopping);
        Relay(stream, upstreamStream, stopping);
        return false;
      }
      case Reply::Kind::kForward: {
        const auto forwarded = OriginFormRequest(request);
        if (stream.secure() || !forwarded) return false;
        const int upstream = ConnectLoopback(forwarded->first);
        if (upstream < 0) return false;
        Stream upstreamStream(upstream, stopping);
        if (!upstreamStream.WriteAll(forwarded->second)) return false;
        Relay(stream, upstreamStream, stopping);
        stream.CloseOrderly();
        return false;
      }
    }
  }
  const auto connection = request.Header("Connection");
  return !(connection && EqualsIgnoreCase(*connection, "close"));
}

}  // namespace

// RecordedRequest

std::string RecordedRequest::RequestLine() const {
  return head.substr(0, head.find("\r\n"));
}

std::string RecordedRequest::Method() const {
  const std::string line = RequestLine();
  return line.substr(0, line.find(' '));
}

std::string RecordedRequest::Target() const {
  const std::string line = RequestLine();
  const size_t first = line.find(' ');
  if (first == std::string::npos) return {};
  const size_t second = line.find(' ', first + 1);
  return line.substr(first + 1,
                     second == std::string::npos ? std::string::npos : second - first - 1);
}

std::vector<std::string> RecordedRequest::HeaderLines() const {
  std::vector<std::string> lines;
  size_t pos = head.find("\r\n");
  while (pos != std::string::npos) {
    pos += 2;
    const size_t end = head.find("\r\n", pos);
    if (end == std::string::npos || end == pos) break;
    lines.push_back(head.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

std::optional<std::string> RecordedRequest::Header(std::string_view name) const {
  for (const std::string& line : HeaderLines()) {
    const size_t colon = line.find(':');
    if (colon != std::string::npos &&
        EqualsIgnoreCase(Trim(std::string_view(line).substr(0, colon)), name)) {
      return std::string(Trim(std::string_view(line).substr(colon + 1)));
    }
  }
  return std::nullopt;
}

size_t RecordedRequest::HeaderCount(std::string_view name) const {
  size_t count = 0;
  for (const std::string& line : HeaderLines()) {
    const size_t colon = line.find(':');
    if (colon != std::string::npos &&
        EqualsIgnoreCase(Trim(std::string_view(line).substr(0, colon)), name)) {
      ++count;
    }
  }
  return count;
}

// Reply

Reply& Reply::Send(std::string bytes) {
  steps_.push_back({Kind::kSend, std::move(bytes)});
  return *this;
}
Reply& Reply::Trickle(std::string bytes, size_t bytesPerStep, std::chrono::milliseconds interval) {
  steps_.push_back({Kind::kTrickle, std::move(bytes), std::max<size_t>(bytesPerStep, 1), interval});
  return *this;
}
Reply& Reply::Repeat(std::string bytes, size_t times) {
  steps_.push_back({Kind::kRepeat, std::move(bytes), times});
  return *this;
}
Reply& Reply::Pause(std::chrono::milliseconds duration) {
  steps_.push_back({Kind::kPause, {}, 0, duration});
  return *this;
}
Reply& Reply::Hold() {
  steps_.push_back({Kind::kHold, {}});
  return *this;
}
Reply& Reply::Close() {
  steps_.push_back({Kind::kClose, {}});
  return *this;
}
Reply& Reply::Reset() {
  steps_.push_back({Kind::kReset, {}});
  return *this;
}
Reply& Reply::Tunnel() {
  steps_.push_back({Kind::kTunnel, {}});
  return *this;
}
Reply& Reply::Forward() {
  steps_.push_back({Kind::kForward, {}});
  return *this;
}

Reply Reply::Response(int status, std::string_view reason,
                      const std::vector<std::string>& headerLines, std::string_view body) {
  std::string bytes = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
  bool framed = false;
  for (const std::string& line : headerLines) {
    const std::string_view name = Trim(std::string_view(line).substr(0, line.find(':')));
    framed = framed || EqualsIgnoreCase(name, "Content-Length") ||
             EqualsIgnoreCase(name, "Transfer-Encoding");
    bytes += line + "\r\n";
  }
  if (!framed) bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  bytes += "\r\n";
  bytes += body;
  return Raw(std::move(bytes));
}

Handler ProxyHandler(Handler other) {
  return [other = std::move(other)](const RecordedRequest& request) {
    if (request.Method() == "CONNECT") {
      return Reply().Send("HTTP/1.1 200 Connection established\r\n\r\n").Tunnel();
    }
    return other ? other(request) : Reply().Forward();
  };
}

// LoopbackServer

LoopbackServer::LoopbackServer(Handler handler, const TestCertificate* certificate, uint16_t port)
    : handler_(std::move(handler)) {
  if (certificate) {
    tls_ = certificate->NewServerContext();
    if (!tls_) return;
  }
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  if (socket < 0) return;
  const int yes = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  socklen_t length = sizeof address;
  if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(socket, 64) != 0 ||
      getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(socket);
    return;
  }
  listener_ = socket;
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  if (listener_ >= 0) close(listener_);
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (std::thread& worker : workers) worker.join();
}

std::string LoopbackServer::Origin() const {
  return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

size_t LoopbackServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

bool LoopbackServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return recorded_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

void LoopbackServer::AcceptLoop() {
  while (!stopping_) {
    pollfd listening{listener_, POLLIN, 0};
    if (poll(&listening, 1, static_cast<int>(kSlice.count())) <= 0) continue;
    const int socket = accept(listener_, nullptr, nullptr);
    if (socket < 0) continue;
    ++connections_;
    std::lock_guard lock(mutex_);
    workers_.emplace_back([this, socket] { ServeConnection(socket); });
  }
}

void LoopbackServer::ServeConnection(int socket) {
  Stream stream(socket, stopping_);
  if (tls_ && !stream.AcceptTls(tls_.get())) return;
  std::string pending;
  while (!stopping_) {
    RecordedRequest request;
    if (!ReadRequest(stream, pending, request)) return;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    recorded_.notify_all();
    const Reply reply = handler_ ? handler_(request) : Reply::Response(404, "Not Found", {}, "");
    if (!RunReply(stream, reply, request, stopping_)) return;
  }
}

}  // namespace quillmere::test_support
