#include "tests/net/recording_http_client.h"

#include <algorithm>
#include <cstring>

namespace quillmere::testing {
namespace {

class Request : public platform::HttpRequest {
 public:
  explicit Request(RecordingHttpClient& client) : client_(client) {}
  ~Request() override { client_.calls.push_back("CloseRequest"); }

  bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) override {
    client_.calls.push_back("Timeouts " + std::to_string(resolveMs) + " " +
                            std::to_string(connectMs) + " " + std::to_string(sendMs) + " " +
                            std::to_string(receiveMs));
    return client_.Step("SetTimeouts");
  }
  bool SetCredentials(uint32_t target, uint32_t, std::u16string_view,
                      std::u16string_view) override {
    return client_.Step(target == platform::kAuthTargetServer ? "SetServerCredentials"
                                                              : "SetProxyCredentials");
  }
  bool SetOption(uint32_t option, uint32_t value) override {
    return client_.Step("SetOption" + std::to_string(option) + "/" + std::to_string(value));
  }
  bool AddHeaders(std::u16string_view headers, uint32_t) override {
    client_.lastHeaders = std::u16string(headers);
    return client_.Step("AddHeaders");
  }
  bool Send(std::string_view) override { return client_.Step("Send"); }
  bool ReceiveResponse() override { return client_.Step("ReceiveResponse"); }
  bool QueryDataAvailable(uint32_t& available) override {
    available = static_cast<uint32_t>(std::min(client_.chunkSize, client_.body.size() - offset_));
    return true;
  }
  bool ReadData(char* buffer, uint32_t size, uint32_t& read) override {
    if (offset_ > 0 && !client_.Step("ReadData")) return false;
    read = static_cast<uint32_t>(std::min<size_t>(size, client_.body.size() - offset_));
    std::memcpy(buffer, client_.body.data() + offset_, read);
    offset_ += read;
    return true;
  }
  bool QueryRawHeaders(char16_t* buffer, uint32_t& byteLength) override {
    const uint32_t needed = static_cast<uint32_t>((client_.rawHeaders.size() + 1) * 2);
    if (buffer == nullptr || byteLength < needed) {
      byteLength = needed;
      return false;
    }
    if (!client_.Step("QueryRawHeaders")) return false;
    for (size_t i = 0; i < client_.rawHeaders.size(); ++i) {
      buffer[i] = static_cast<unsigned char>(client_.rawHeaders[i]);
    }
    buffer[client_.rawHeaders.size()] = u'\0';
    return true;
  }

 private:
  RecordingHttpClient& client_;
  size_t offset_ = 0;
};

class Connection : public platform::HttpConnection {
 public:
  explicit Connection(RecordingHttpClient& client) : client_(client) {}
  ~Connection() override { client_.calls.push_back("CloseConnection"); }
  std::unique_ptr<platform::HttpRequest> OpenRequest(std::u16string_view, std::u16string_view,
                                                     uint32_t) override {
    if (!client_.Step("OpenRequest")) return nullptr;
    return std::make_unique<Request>(client_);
  }

 private:
  RecordingHttpClient& client_;
};

class Session : public platform::HttpSession {
 public:
  explicit Session(RecordingHttpClient& client) : client_(client) {}
  ~Session() override { client_.calls.push_back("CloseRoot"); }
  std::unique_ptr<platform::HttpConnection> Connect(std::u16string_view, uint16_t) override {
    if (!client_.Step("Connect")) return nullptr;
    return std::make_unique<Connection>(client_);
  }

 private:
  RecordingHttpClient& client_;
};

}  // namespace

bool RecordingHttpClient::Step(const std::string& name) {
  calls.push_back(name);
  return ("," + failingStep + ",").find("," + name + ",") == std::string::npos;
}

bool RecordingHttpClient::CheckPlatform() {
  return Step("CheckPlatform");
}

std::optional<platform::UrlComponents> RecordingHttpClient::CrackUrl(std::u16string_view) {
  if (!Step("CrackUrl")) return std::nullopt;
  platform::UrlComponents parts;
  parts.scheme = platform::kSchemeHttp;
  parts.host = u"example.test";
  parts.port = 80;
  parts.path = u"/";
  return parts;
}

std::unique_ptr<platform::HttpSession> RecordingHttpClient::Open(uint32_t, std::u16string_view) {
  if (!Step("Open")) return nullptr;
  return std::make_unique<Session>(*this);
}

}  // namespace quillmere::testing
