#include "tools/demo_site.h"

#include <cstdint>

#include "platform/codepage936.h"
#include "platform/icu_converter.h"
#include "platform/url_escape.h"
#include "tests/support/result_page_generator.h"

namespace quillmere::demo {
namespace {

constexpr std::string_view kSearchPrefix = "/search/";
constexpr std::string_view kPagePrefix = "/default-";
constexpr std::string_view kPageSuffix = ".html";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Text Cp936(std::u16string_view text) {
  return platform::Utf16ToCp936(text);
}

Text Utf8ToCp936(std::string_view utf8) {
  platform::ConverterPtr converter = platform::OpenConverter("UTF-8");
  if (!converter) return Text(utf8);
  platform::DecodeUndecodableAsQuestionMark(*converter);
  return Cp936(platform::DecodeAll(*converter, utf8));
}

Bytes Cp936ToUtf8(std::string_view bytes) {
  return platform::Utf16ToUtf8(platform::Cp936ToUtf16(bytes));
}

// The keyword goes into a title attribute, so it is escaped as a site escapes it; control
// characters become blanks so a hit's title stays on one line.
Text EscapeForAttribute(std::string_view text) {
  Text out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
  }
  return out;
}

// The page number when the page text is a plain number from 1 to kLastPageWithHits.
std::optional<int> PageWithHits(std::string_view page) {
  if (page.empty() || page.size() > 3) return std::nullopt;
  int number = 0;
  for (const char c : page) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number < 1 || number > kLastPageWithHits) return std::nullopt;
  return number;
}

// A seed from the keyword and the page, so each page has hits of its own and the same
// address always answers the same page.
uint32_t Seed(std::string_view keyword, std::string_view page) {
  uint32_t hash = 2166136261u;
  for (const char c : keyword) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  hash = (hash ^ '/') * 16777619u;
  for (const char c : page) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

test_support::Reply HtmlReply(int status, std::string_view reason, std::string_view body) {
  return test_support::Reply::Response(status, reason, {"Content-Type: text/html"}, body);
}

}  // namespace

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<SearchTarget> ParseSearchTarget(std::string_view target) {
  if (!target.starts_with(kSearchPrefix) || !target.ends_with(kPageSuffix)) return std::nullopt;
  // The keyword keeps its slashes: the page part begins at the last "/default-".
  const size_t pagePart = target.rfind(kPagePrefix);
  const size_t pageStart = pagePart + kPagePrefix.size();
  if (pagePart == std::string_view::npos || pagePart < kSearchPrefix.size() ||
      pageStart > target.size() - kPageSuffix.size()) {
    return std::nullopt;
  }
  const std::string_view keyword =
      target.substr(kSearchPrefix.size(), pagePart - kSearchPrefix.size());
  const std::string_view page =
      target.substr(pageStart, target.size() - kPageSuffix.size() - pageStart);
  return SearchTarget{Utf8ToCp936(PercentDecode(keyword)), PercentDecode(page)};
}

Bytes ResultPageBytes(const SearchTarget& search) {
  const std::optional<int> number = PageWithHits(search.page);
  const bool utf8 = number && *number % 2 == 0;

  test_support::ResultPageOptions options;
  options.hitCount = number ? kHitsPerPage : 0;
  options.seed = Seed(search.keyword, search.page);
  options.metaCharset = utf8 ? "utf-8" : "gbk";
  const Text lead = (search.keyword.empty() ? Text() : EscapeForAttribute(search.keyword) + " ") +
                    Cp936(u"第") + search.page + Cp936(u"页") + " ";
  options.title = [&lead](int index, const Text& generated) {
    Text title = lead + generated;
    // At least one title per page shows a character reference, which the list keeps as is.
    if (index == 2 && generated.find("&amp;") == Text::npos) title += " &amp; " + Cp936(u"双语");
    return title;
  };
  const Text html = test_support::GenerateResultPage(options).html;
  return utf8 ? Cp936ToUtf8(html) : html;
}

Bytes VersionPageBytes() {
  return Cp936(
             u"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"gbk\">\n<title>Quillmere "
             u"分享</title>\n"
             u"</head>\n<body>\n<div class=\"share\">\n<h1>Quillmere 最新版</h1>\n"
             u"<p>最新版本：~~") +
         Text(kAnnouncedVersion) +
         Cp936(u"~~ 更新说明见帖子。</p>\n<p>文件大小：2.1 MB</p>\n</div>\n</body>\n</html>\n");
}

test_support::Reply Answer(const test_support::RecordedRequest& request) {
  const std::string target = request.Target();
  if (const std::optional<SearchTarget> search = ParseSearchTarget(target)) {
    return HtmlReply(200, "OK", ResultPageBytes(*search));
  }
  if (target == "/version") return HtmlReply(200, "OK", VersionPageBytes());
  if (target == "/") {
    return HtmlReply(200, "OK",
                     "<!DOCTYPE html>\n<html><body><h1>Quillmere demo site</h1>\n"
                     "<p><a href=\"/search/demo/default-1.html\">/search/KEYWORD/default-N.html"
                     "</a> (hits on pages 1 to 5)</p>\n"
                     "<p><a href=\"/version\">/version</a></p>\n</body></html>\n");
  }
  return HtmlReply(404, "Not Found", "<html><body>404 Not Found</body></html>\n");
}

}  // namespace quillmere::demo
