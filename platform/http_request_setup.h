#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere::platform {

// Picks the proxy that serves an address from a proxy list: entries separated by ';' or
// blanks, each "[scheme=]host[:port]". "http=P" serves http addresses only, "https=P" https
// addresses only, a bare "P" both; the first entry that fits wins. The result is a proxy
// address for libcurl ("http://host:port", port 80 when the entry gives none), or nothing
// when no entry serves the scheme.
std::optional<std::string> ChooseProxy(std::string_view proxyList, bool secure);

// Request header lines kept by name: each line "Name: value" replaces an earlier line of the
// same name (any letter case) in place, or is added at the end.
class HeaderLines {
 public:
  // Adds the CR LF separated lines of `text`; empty lines are skipped. Fails, changing
  // nothing, when a line has no name or no colon.
  bool Add(std::string_view text);
  bool Has(std::string_view name) const;
  const std::vector<std::string>& lines() const { return lines_; }

  // The lines for libcurl's header list: ours, written so that an empty value is sent as
  // such ("Name;"), then the removals of libcurl's own defaults that we do not send: Accept
  // unless we give one, Expect always, and the form Content-Type that libcurl adds to a body
  // unless we give one.
  std::vector<std::string> ForCurl(bool hasBody) const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace quillmere::platform
