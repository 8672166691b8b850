#pragma once

#include <optional>

#include "text/text.h"

namespace quillmere {

namespace platform {
class HttpClient;
}

// The optional parameters of WebFetch, in call order. An input left at its default behaves as
// not supplied. An output is a pointer to the caller's variable: left null, the routine writes
// into a variable of its own. Outputs are never cleared on entry and are written only on the
// paths that reach them.
struct WebFetchOptions {
  int method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT
  Text postData;
  Text* sendCookies = nullptr;      // in and out; null means not supplied
  Text* receivedCookies = nullptr;  // in and out
  Text extraHeaders;
  Text* responseHeaders = nullptr;  // out
  bool noRedirect = false;
  Text userName;
  Text userPassword;
  Text proxyServer;
  Text proxyUser;
  Text proxyPassword;
  int timeoutSeconds = 0;            // 0 or less: 30 seconds for each phase
  Text* redirectTarget = nullptr;    // out
  Text* statusMessage = nullptr;     // out
  Bytes* responseBytes = nullptr;    // out
  std::optional<bool> mergeCookies;  // not supplied counts as true
};

// One HTTP or HTTPS request, from an address to the page text; empty text on failure, with
// a numbered message in statusMessage. Runs on the calling thread and lets the window system
// process pending events at fixed points.
Text WebFetch(const Text& url, const WebFetchOptions& options = {});
// The same over a given client (tests make single steps fail through a fake).
Text WebFetch(const Text& url, const WebFetchOptions& options, platform::HttpClient& client);

}  // namespace quillmere
