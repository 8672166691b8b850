#include "platform/url_crack.h"

namespace quillmere::platform {
namespace {

char16_t LowerAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
}

bool StartsWithIgnoreCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != prefix[i]) return false;
  }
  return true;
}

std::optional<uint16_t> ParsePort(std::u16string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  uint32_t value = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

}  // namespace

std::optional<UrlComponents> CrackHttpUrl(std::u16string_view url) {
  UrlComponents parts;
  std::u16string_view rest;
  if (StartsWithIgnoreCase(url, u"http://")) {
    parts.scheme = kSchemeHttp;
    parts.port = 80;
    rest = url.substr(7);
  } else if (StartsWithIgnoreCase(url, u"https://")) {
    parts.scheme = kSchemeHttps;
    parts.port = 443;
    rest = url.substr(8);
  } else {
    return std::nullopt;
  }

  const size_t authorityEnd = rest.find_first_of(u"/?#");
  std::u16string_view authority = rest.substr(0, authorityEnd);
  const std::u16string_view tail =
      authorityEnd == std::u16string_view::npos ? std::u16string_view() : rest.substr(authorityEnd);

  if (const size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) {
    authority.remove_prefix(at + 1);
  }

  std::u16string_view host = authority;
  std::u16string_view port;
  if (!authority.empty() && authority.front() == u'[') {
    const size_t close = authority.find(u']');
    if (close == std::u16string_view::npos) return std::nullopt;
    host = authority.substr(1, close - 1);
    const std::u16string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != u':') return std::nullopt;
      port = after.substr(1);
    }
  } else if (const size_t colon = authority.find(u':'); colon != std::u16string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  if (host.empty()) return std::nullopt;
  if (!port.empty()) {
    const auto number = ParsePort(port);
    if (!number) return std::nullopt;
    parts.port = *number;
  }
  parts.host = std::u16string(host);

  const size_t extraStart = tail.find_first_of(u"?#");
  parts.path = std::u16string(tail.substr(0, extraStart));
  if (extraStart != std::u16string_view::npos)
    parts.extra = std::u16string(tail.substr(extraStart));
  return parts;
}

}  // namespace quillmere::platform
