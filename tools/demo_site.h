#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tests/support/loopback_server.h"
#include "text/text.h"

namespace quillmere::demo {

// The demo site stands in for the search site and the version share page, so the program's
// main job can be tried on any machine, offline.

// Pages 1 to this one carry hits; later pages (and page texts that are not a plain number)
// answer a page without hits, as the real site does past its last page.
inline constexpr int kLastPageWithHits = 5;
inline constexpr int kHitsPerPage = 20;
// The version the version page announces, between two "~~" markers.
inline constexpr std::string_view kAnnouncedVersion = "1.0B";

// A result page address taken apart: "/search/<keyword>/default-<page>.html".
struct SearchTarget {
  Text keyword;      // percent-decoded UTF-8, turned into code page 936 bytes
  std::string page;  // the page text, as the address has it
};

// Undoes %XX escapes; a '%' not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text);

// Splits a request target into keyword and page text; nothing when it is no result page
// address. A keyword may itself hold slashes: the last "/default-" ends it.
std::optional<SearchTarget> ParseSearchTarget(std::string_view target);

// The result page for that keyword and page text: kHitsPerPage generated hits for pages 1 to
// kLastPageWithHits, none for others. Titles begin with the keyword and the page number.
// Odd pages come as code page 936 bytes declaring "gbk", even pages as UTF-8 declaring
// "utf-8", so both ways a page reaches the program are shown.
Bytes ResultPageBytes(const SearchTarget& search);

// A small share page with the announced version between "~~" markers among other text.
Bytes VersionPageBytes();

// The site: result pages under /search/, the version page at /version, a short index at /,
// "404 Not Found" for everything else.
test_support::Reply Answer(const test_support::RecordedRequest& request);

}  // namespace quillmere::demo
