#pragma once

#include <optional>
#include <string_view>

#include "platform/http_client.h"

namespace quillmere::platform {

// Splits an absolute "http" or "https" address (scheme in any letter case) into its parts.
// User name and password before an '@' are skipped. The host may be a name, an IPv4 address
// or a bracketed IPv6 address (returned without the brackets). A missing port gives the
// scheme's default (80 or 443). The path runs from the first '/' after the host up to '?' or
// '#'; the extra information is the rest from there. Fails on an empty address, another
// scheme, a missing host or a port that is not a number from 1 to 65535.
std::optional<UrlComponents> CrackHttpUrl(std::u16string_view url);

}  // namespace quillmere::platform
