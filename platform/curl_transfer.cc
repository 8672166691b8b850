#include "platform/curl_transfer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/event_pump.h"

namespace quillmere::platform {
namespace {

constexpr int kPumpSliceMs = 50;
// libcurl's receive buffer: four times its default, so that a fast server's body arrives in
// fewer writes, and still small enough to stay in the cache. Larger buffers were slower:
// every fresh page costs a fault.
constexpr long kReceiveBufferBytes = 64L << 10;
// How much body a wait for body gathers before it reports it, and how long it keeps
// gathering after the first byte. Reporting each small write makes the reader run thousands
// of rounds for a large page; batches much larger than the cache make every copy of them
// slower. A slow server still sees its bytes handed on quickly.
constexpr size_t kBodyBatchBytes = size_t{64} << 10;
constexpr auto kBodyBatchWait = std::chrono::milliseconds(20);

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

int StatusOf(std::string_view statusLine) {
  // "HTTP/1.1 200 OK"
  const size_t blank = statusLine.find(' ');
  if (blank == std::string_view::npos || blank + 4 > statusLine.size()) return 0;
  int code = 0;
  for (size_t i = blank + 1; i < blank + 4; ++i) {
    const char c = statusLine[i];
    if (c < '0' || c > '9') return 0;
    code = code * 10 + (c - '0');
  }
  return code;
}

bool IsFollowedRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

struct UrlParts {
  std::string scheme;
  std::string host;
  std::string port;
};

std::optional<UrlParts> SplitWithCurl(const std::string& url) {
  CurlUrl handle(curl_url());
  if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  auto part = [&](CURLUPart which, unsigned flags) -> std::optional<std::string> {
    char* raw = nullptr;
    if (curl_url_get(handle.get(), which, &raw, flags) != CURLUE_OK) return std::nullopt;
    CurlString owned(raw);
    return std::string(owned.get());
  };
  auto scheme = part(CURLUPART_SCHEME, 0);
  auto host = part(CURLUPART_HOST, 0);
  auto port = part(CURLUPART_PORT, CURLU_DEFAULT_PORT);
  if (!scheme || !host || !port) return std::nullopt;
  return UrlParts{*scheme, *host, *port};
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

// The value of the first Location line of a header block, or empty.
std::string LocationOf(std::string_view block) {
  size_t pos = block.find("\r\n");
  while (pos != std::string_view::npos) {
    pos += 2;
    const size_t end = block.find("\r\n", pos);
    if (end == std::string_view::npos) break;
    const std::string_view line = block.substr(pos, end - pos);
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos && EqualsIgnoreCase(line.substr(0, colon), "Location")) {
      std::string_view value = line.substr(colon + 1);
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
      return std::string(value);
    }
    pos = end;
  }
  return {};
}

// The absolute http or https address a Location value points to, resolved against the
// address it came from the way libcurl resolves it when it follows by itself.
std::optional<std::string> ResolveRedirect(const std::string& from, const std::string& location) {
  if (location.empty()) return std::nullopt;
  CurlUrl handle(curl_url());
  if (!handle || curl_url_set(handle.get(), CURLUPART_URL, from.c_str(), 0) != CURLUE_OK ||
      curl_url_set(handle.get(), CURLUPART_URL, location.c_str(),
                   CURLU_URLENCODE | CURLU_ALLOW_SPACE | CURLU_PATH_AS_IS) != CURLUE_OK) {
    return std::nullopt;
  }
  char* raw = nullptr;
  if (curl_url_get(handle.get(), CURLUPART_URL, &raw, 0) != CURLUE_OK) return std::nullopt;
  CurlString url(raw);
  const std::string_view text(url.get());
  if (!StartsWith(text, "http://") && !StartsWith(text, "https://")) return std::nullopt;
  return std::string(text);
}

}  // namespace

CurlTransfer::CurlTransfer(TransferSettings settings)
    : settings_(std::move(settings)), currentUrl_(settings_.url) {}

CurlTransfer::~CurlTransfer() {
  // libcurl wants the easy handle out of the multi handle before either is cleaned up.
  if (attached_) curl_multi_remove_handle(multi_.get(), easy_.get());
  easy_.reset();
  multi_.reset();
}

std::unique_ptr<CurlTransfer> CurlTransfer::Start(TransferSettings settings) {
  std::unique_ptr<CurlTransfer> transfer(new CurlTransfer(std::move(settings)));
  transfer->multi_.reset(curl_multi_init());
  transfer->easy_.reset(curl_easy_init());
  if (!transfer->multi_ || !transfer->easy_) return nullptr;
  if (!transfer->ConfigureHandle() || !transfer->ConfigureLeg()) return nullptr;
  if (curl_multi_add_handle(transfer->multi_.get(), transfer->easy_.get()) != CURLM_OK) {
    return nullptr;
  }
  transfer->attached_ = true;
  transfer->NoteProgress();
  return transfer;
}

bool CurlTransfer::ConfigureHandle() {
  CURL* easy = easy_.get();
  bool ok = true;
  auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
  set(curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L));
  set(curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1}));
  set(curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https"));
  set(curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L));
  set(curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L));
  set(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L));
  set(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L));
  if (!settings_.caFile.empty()) {
    set(curl_easy_setopt(easy, CURLOPT_CAINFO, settings_.caFile.c_str()));
  }
  set(curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L));
  set(curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, settings_.connectTimeoutMs));
  set(curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes));
  if (settings_.cookies) set(curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""));

  set(curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::HeaderCallback));
  set(curl_easy_setopt(easy, CURLOPT_HEADERDATA, this));
  set(curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::WriteCallback));
  set(curl_easy_setopt(easy, CURLOPT_WRITEDATA, this));
  // The debug callback is how progress in both directions is seen: it reports the request
  // head and body as they go out and every byte that comes in. libcurl only calls it in
  // verbose mode; with a callback set nothing is printed.
  set(curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &CurlTransfer::DebugCallback));
  set(curl_easy_setopt(easy, CURLOPT_DEBUGDATA, this));
  set(curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L));

  if (settings_.proxyCredentials) {
    set(curl_easy_setopt(easy, CURLOPT_PROXYAUTH, long{CURLAUTH_BASIC}));
    set(curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, settings_.proxyCredentials->first.c_str()));
    set(curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, settings_.proxyCredentials->second.c_str()));
  }
  return ok;
}

// The options that may differ from one redirect leg to the next.
bool CurlTransfer::ConfigureLeg() {
  CURL* easy = easy_.get();
  bool ok = true;
  auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
  const bool secure = StartsWith(currentUrl_, "https:");
  set(curl_easy_setopt(easy, CURLOPT_URL, currentUrl_.c_str()));

  // An empty proxy text keeps libcurl from reading proxies from the environment.
  const std::optional<std::string> proxy = ChooseProxy(settings_.proxyList, secure);
  set(curl_easy_setopt(easy, CURLOPT_PROXY, proxy ? proxy->c_str() : ""));
  set(curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, (proxy && secure) ? 1L : 0L));

  if (settings_.serverCredentials) {
    set(curl_easy_setopt(easy, CURLOPT_HTTPAUTH, long{CURLAUTH_BASIC}));
    set(curl_easy_setopt(easy, CURLOPT_USERNAME, settings_.serverCredentials->first.c_str()));
    set(curl_easy_setopt(easy, CURLOPT_PASSWORD, settings_.serverCredentials->second.c_str()));
  } else {
    set(curl_easy_setopt(easy, CURLOPT_USERNAME, nullptr));
    set(curl_easy_setopt(easy, CURLOPT_PASSWORD, nullptr));
  }

  const std::string& verb = settings_.verb;
  const std::string& body = settings_.body;
  // POST and PUT always carry a body (possibly of zero bytes, sent with Content-Length: 0);
  // other verbs carry one when there is one.
  const bool sendsBody = verb != "HEAD" && (verb == "POST" || verb == "PUT" || !body.empty());
  set(curl_easy_setopt(easy, CURLOPT_NOBODY, verb == "HEAD" ? 1L : 0L));
  if (verb == "HEAD") {
    set(curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr));
  } else if (sendsBody) {
    set(curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size())));
    set(curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data()));
    set(curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb == "POST" ? nullptr : verb.c_str()));
  } else {
    set(curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L));
    set(curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb == "GET" ? nullptr : verb.c_str()));
  }

  curl_slist* list = nullptr;
  for (const std::string& line : settings_.headers.ForCurl(sendsBody)) {
    curl_slist* longer = curl_slist_append(list, line.c_str());
    if (!longer) {
      curl_slist_free_all(list);
      return false;
    }
    list = longer;
  }
  set(curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list));
  headerList_.reset(list);
  return ok;
}

bool CurlTransfer::StartNextLeg() {
  const std::optional<UrlParts> from = SplitWithCurl(currentUrl_);
  const std::optional<UrlParts> to = SplitWithCurl(pendingRedirect_);
  if (!from || !to) return false;
  // Credentials for the server stay with the server they were given for.
  if (!EqualsIgnoreCase(from->host, to->host) || from->port != to->port) {
    settings_.serverCredentials.reset();
  }
  // 303 turns every request but HEAD into a GET; 301 and 302 turn a POST into a GET.
  const bool toGet = (pendingStatus_ == 303 && settings_.verb != "HEAD") ||
                     ((pendingStatus_ == 301 || pendingStatus_ == 302) && settings_.verb == "POST");
  if (toGet) {
    settings_.verb = "GET";
    settings_.body.clear();
  }

  curl_multi_remove_handle(multi_.get(), easy_.get());
  attached_ = false;
  currentUrl_ = pendingRedirect_;
  pendingRedirect_.clear();
  pendingStatus_ = 0;
  ++redirects_;
  block_.clear();
  inBlock_ = false;
  body_.clear();
  readPos_ = 0;
  if (!ConfigureLeg()) return false;
  if (curl_multi_add_handle(multi_.get(), easy_.get()) != CURLM_OK) return false;
  attached_ = true;
  return true;
}

void CurlTransfer::Finish(CURLcode result) {
  if (finished_) return;
  finished_ = true;
  result_ = result;
  if (attached_) curl_multi_remove_handle(multi_.get(), easy_.get());
  attached_ = false;
}

bool CurlTransfer::RequestSent() const {
  return responseBegan_ || (headOut_ && bodyOut_ >= settings_.body.size());
}

void CurlTransfer::HandleMessages() {
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
    if (message->msg != CURLMSG_DONE || message->easy_handle != easy_.get()) continue;
    const CURLcode result = message->data.result;
    if (result == CURLE_OK && !pendingRedirect_.empty() && !tooManyRedirects_) {
      if (!StartNextLeg()) Finish(CURLE_FAILED_INIT);
      return;  // the message queue belongs to the leg that ended
    }
    Finish(tooManyRedirects_ ? CURLE_TOO_MANY_REDIRECTS : result);
  }
}

void CurlTransfer::CheckIdle() {
  // Before the request head is out, libcurl's connect time-out is the bound.
  if (!headOut_ || finished_) return;
  const long limit = RequestSent() ? settings_.receiveIdleMs : settings_.sendIdleMs;
  if (limit <= 0) return;
  if (std::chrono::steady_clock::now() - lastProgress_ >= std::chrono::milliseconds(limit)) {
    Finish(CURLE_OPERATION_TIMEDOUT);
  }
}

bool CurlTransfer::Pump(const std::function<bool()>& ready) {
  return Pump(ready, [] { return kPumpSliceMs; });
}

bool CurlTransfer::Pump(const std::function<bool()>& ready, const std::function<int()>& sliceMs) {
  for (;;) {
    if (ready()) return true;
    if (finished_) return false;
    int running = 0;
    curl_multi_perform(multi_.get(), &running);
    HandleMessages();
    if (ready()) return true;
    CheckIdle();
    if (finished_) return ready();
    int descriptors = 0;
    curl_multi_poll(multi_.get(), nullptr, 0, std::clamp(sliceMs(), 0, kPumpSliceMs), &descriptors);
    ProcessEventsWhileWaiting();
  }
}

bool CurlTransfer::WaitUntilSent() {
  return Pump([this] { return RequestSent(); });
}

bool CurlTransfer::WaitForResponse() {
  return Pump([this] { return haveFinal_; });
}

bool CurlTransfer::WaitForBody(uint32_t& available) {
  available = 0;
  if (!haveFinal_) return false;
  auto buffered = [this] { return body_.size() - readPos_; };
  using Clock = std::chrono::steady_clock;
  std::optional<Clock::time_point> firstByte;
  auto remainingMs = [&]() -> long {
    if (!firstByte) return kPumpSliceMs;
    return std::chrono::ceil<std::chrono::milliseconds>(*firstByte + kBodyBatchWait - Clock::now())
        .count();
  };
  // Enough is gathered once the transfer ended, a batch is full or the batch's time is up.
  const bool gathered = Pump(
      [&] {
        if (buffered() == 0) return false;
        if (!firstByte) firstByte = Clock::now();
        return finished_ || buffered() >= kBodyBatchBytes || remainingMs() <= 0;
      },
      [&] { return static_cast<int>(std::max(0L, remainingMs())); });
  if (gathered || buffered() > 0) {
    available = static_cast<uint32_t>(std::min<size_t>(buffered(), UINT32_MAX));
    return true;
  }
  return result_ == CURLE_OK;
}

bool CurlTransfer::Read(char* buffer, uint32_t size, uint32_t& read) {
  read = 0;
  if (!haveFinal_) return false;
  const bool any = Pump([this] { return body_.size() > readPos_; });
  if (!any && result_ != CURLE_OK) return false;
  const uint32_t count = static_cast<uint32_t>(std::min<size_t>(size, body_.size() - readPos_));
  if (count > 0) std::memcpy(buffer, body_.data() + readPos_, count);
  readPos_ += count;
  read = count;
  // The buffer is reused: emptied once everything was handed out, and handed-out bytes are
  // dropped once they are the larger part of it.
  if (readPos_ == body_.size()) {
    body_.clear();
    readPos_ = 0;
  } else if (readPos_ > body_.size() / 2) {
    body_.erase(0, readPos_);
    readPos_ = 0;
  }
  if (paused_ && body_.size() - readPos_ < kBodyBatchBytes && attached_) {
    paused_ = false;
    curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
  }
  return true;
}

void CurlTransfer::OnHeaderLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (StartsWith(line, "HTTP/")) {
    block_.assign(line);
    block_ += "\r\n";
    inBlock_ = true;
    return;
  }
  if (!inBlock_) return;  // trailers after a chunked body
  block_ += line;
  block_ += "\r\n";
  if (line.empty()) {
    inBlock_ = false;
    OnHeaderBlockComplete();
  }
}

void CurlTransfer::OnHeaderBlockComplete() {
  const int status = StatusOf(block_);
  if (status >= 100 && status < 200) return;  // 100 Continue and friends: more follows

  if (settings_.followRedirects && IsFollowedRedirect(status)) {
    const std::optional<std::string> target = ResolveRedirect(currentUrl_, LocationOf(block_));
    const bool secureToPlain =
        target && StartsWith(currentUrl_, "https:") && !StartsWith(*target, "https:");
    if (target && !secureToPlain) {
      if (redirects_ >= kMaxRedirects) {
        tooManyRedirects_ = true;
      } else {
        pendingRedirect_ = *target;
        pendingStatus_ = status;
      }
      return;
    }
  }
  finalBlock_ = block_;
  haveFinal_ = true;
}

size_t CurlTransfer::HeaderCallback(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<CurlTransfer*>(self);
  transfer->responseBegan_ = true;
  transfer->OnHeaderLine(std::string_view(data, size * count));
  return size * count;
}

size_t CurlTransfer::WriteCallback(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<CurlTransfer*>(self);
  // The body of a redirect that is followed is not the response's body.
  if (!transfer->haveFinal_) return size * count;
  // A full batch not yet handed out: libcurl keeps these bytes until the reader made room,
  // rather than the whole body piling up here.
  if (transfer->body_.size() - transfer->readPos_ >= kBodyBatchBytes) {
    transfer->paused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  transfer->body_.append(data, size * count);
  return size * count;
}

int CurlTransfer::DebugCallback(CURL*, curl_infotype type, char*, size_t size, void* self) {
  auto* transfer = static_cast<CurlTransfer*>(self);
  switch (type) {
    case CURLINFO_HEADER_OUT:
      transfer->headOut_ = true;
      transfer->NoteProgress();
      break;
    case CURLINFO_DATA_OUT:
      transfer->bodyOut_ += size;
      transfer->NoteProgress();
      break;
    case CURLINFO_HEADER_IN:
    case CURLINFO_DATA_IN:
    case CURLINFO_SSL_DATA_IN:
    case CURLINFO_SSL_DATA_OUT:
      transfer->NoteProgress();
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace quillmere::platform
