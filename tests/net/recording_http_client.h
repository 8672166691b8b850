#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/http_client.h"

namespace quillmere::testing {

// A client that answers every step from a script and records each call, so tests can make
// any single step fail and check the order in which handles are opened and closed.
class RecordingHttpClient : public platform::HttpClient {
 public:
  // Name of the step that fails ("CheckPlatform", "CrackUrl", "Open", "Connect", "OpenRequest",
  // "SetTimeouts", "SetServerCredentials", "SetProxyCredentials", "SetOption63/1",
  // "SetOption79/1", "SetOption63/2", "AddHeaders", "Send", "ReceiveResponse", "ReadData",
  // "QueryRawHeaders"), several separated by commas; empty for none.
  std::string failingStep;
  std::string rawHeaders = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";
  // Body handed out in chunks of this many bytes; a ReadData failure happens after the
  // first chunk.
  std::string body = "hello";
  size_t chunkSize = 2;

  std::vector<std::string> calls;
  std::u16string lastHeaders;

  bool CheckPlatform() override;
  std::optional<platform::UrlComponents> CrackUrl(std::u16string_view url) override;
  std::unique_ptr<platform::HttpSession> Open(uint32_t accessType,
                                              std::u16string_view proxyName) override;

  bool Step(const std::string& name);  // records the call; false when it is the failing one
};

}  // namespace quillmere::testing
