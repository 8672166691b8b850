#include "tests/support/result_page_generator.h"

#include <array>
#include <string_view>

namespace quillmere::test_support {
namespace {

// Code page 936 words of the site's markup, written as bytes so the file itself stays ASCII.
constexpr std::string_view kVideo = "\xCA\xD3\xC6\xB5";                            // 视频
constexpr std::string_view kCreated = "\xB4\xB4\xBD\xA8\xCA\xB1\xBC\xE4\xA3\xBA";  // 创建时间：
constexpr std::string_view kSize = "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1\xA3\xBA";    // 文件大小：
constexpr std::string_view kHeat = "\xCF\xC2\xD4\xD8\xC8\xC8\xB6\xC8\xA3\xBA";    // 下载热度：
constexpr std::string_view kRecent = "\xD7\xEE\xBD\xFC\xCF\xC2\xD4\xD8\xA3\xBA";  // 最近下载：
constexpr std::string_view kMagnetWord = "\xB4\xC5\xC1\xA6\xC1\xB4\xBD\xD3";      // 磁力链接
constexpr std::string_view kResults = "\xCB\xD1\xCB\xF7\xBD\xE1\xB9\xFB";         // 搜索结果
constexpr std::array<std::string_view, 6> kTitleWords = {
    "\xB8\xDF\xC7\xE5",          // 高清
    "\xD6\xD0\xD7\xD6",          // 中字
    "\xB9\xFA\xD3\xEF",          // 国语
    "\xBA\xCF\xBC\xAF",          // 合集
    "\xB5\xE7\xD3\xB0",          // 电影
    "\xBC\xCD\xC2\xBC\xC6\xAC",  // 纪录片
};
constexpr std::array<std::string_view, 6> kAsciiWords = {"1080p", "WEB-DL", "x264",
                                                         "AAC",   "BluRay", "Season"};
constexpr std::array<std::string_view, 4> kExtensions = {".mp4", ".mkv", ".srt", ".nfo"};

// A small fixed generator, so every machine builds the same pages.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  uint32_t Below(uint32_t n) { return Next() % n; }

 private:
  uint32_t state_;
};

// Random Chinese characters from the first level of GB 2312, every one of them assigned.
Text Hanzi(Random& random, int count) {
  Text text;
  for (int i = 0; i < count; ++i) {
    text += static_cast<char>(0xB0 + random.Below(0xD7 - 0xB0));
    text += static_cast<char>(0xA1 + random.Below(0xFE - 0xA1));
  }
  return text;
}

Text Hex(Random& random, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  Text text;
  for (int i = 0; i < digits; ++i) text += kDigits[random.Below(16)];
  return text;
}

Text Base64(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  Text out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t chunk = 0;
    for (size_t j = 0; j < 3; ++j) {
      chunk = chunk << 8 | (j < n ? static_cast<unsigned char>(bytes[i + j]) : 0u);
    }
    for (size_t j = 0; j < 4; ++j) {
      out += j <= n ? kAlphabet[(chunk >> (18 - 6 * j)) & 0x3F] : '=';
    }
  }
  return out;
}

Text Title(Random& random, int index) {
  Text title = "[" + Text(kTitleWords[random.Below(kTitleWords.size())]) + "]";
  title += Hanzi(random, 2 + static_cast<int>(random.Below(8)));
  title += " " + std::to_string(2000 + random.Below(25)) + " ";
  title += Text(kAsciiWords[random.Below(kAsciiWords.size())]);
  if (random.Below(4) == 0) title += " &amp; " + Text(kAsciiWords[random.Below(6)]);
  title +=
      " " + Text(kTitleWords[random.Below(kTitleWords.size())]) + " #" + std::to_string(index + 1);
  return title;
}

Text Date(Random& random) {
  const auto two = [](uint32_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  return std::to_string(2015 + random.Below(10)) + "-" + two(1 + random.Below(12)) + "-" +
         two(1 + random.Below(28));
}

Text SizeText(Random& random) {
  return std::to_string(random.Below(20)) + "." + std::to_string(random.Below(100)) +
         (random.Below(3) == 0 ? " MB" : " GB");
}

void AppendHit(Text& html, Random& random, const GeneratedHit& hit, const Text& displayName,
               std::string_view thunderWord) {
  html += "<div class=\"search-item\">\n";
  html += "<div class=\"item-title\">\n<h3><a title=\"" + hit.title + "\"  href=\"/wiki/" +
          Hex(random, 40) + ".html\" target=\"_blank\">" + hit.title + "</a></h3>\n</div>\n";
  html += "<div class=\"item-list\">\n<ul>\n";
  const int files = 1 + static_cast<int>(random.Below(4));
  for (int i = 0; i < files; ++i) {
    html += "<li>" + Hanzi(random, 3 + static_cast<int>(random.Below(6))) + "." + Hex(random, 6) +
            Text(kExtensions[random.Below(kExtensions.size())]) + " <span class=\"lightColor\">" +
            SizeText(random) + "</span></li>\n";
  }
  html += "</ul>\n</div>\n<div class=\"item-bar\">\n";
  html += "<span class=\"cpill blue-pill\">" + Text(kVideo) + "</span>\n";
  html += "<span>" + Text(kCreated) + "<b>" + Date(random) + "</b></span>\n";
  html += "<span>" + Text(kSize) + "<b class=\"cpill yellow-pill\">" + SizeText(random) +
          "</b></span>\n";
  html += "<span>" + Text(kHeat) + "<b>" + std::to_string(random.Below(5000)) + "</b></span>\n";
  html += "<span>" + Text(kRecent) + "<b>" + Date(random) + "</b></span>\n";
  html += "<!--<a href=\"" + hit.magnet + "&amp;dn=" + displayName + "\">" + Text(kMagnetWord) +
          "</a>-->\n";
  html += "<a href=\"" + hit.magnet + "&amp;dn=" + displayName +
          "\" class=\"download\">Magnet Link</a> <a href=\"" + hit.thunder +
          "\" class=\"download\">" + Text(thunderWord) + "</a>\n";
  html += "</div>\n</div>\n";
}

}  // namespace

ResultPage GenerateResultPage(const ResultPageOptions& options) {
  Random random(options.seed);
  ResultPage page;
  page.html = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"" + options.metaCharset +
              "\">\n<title>" + Text(kResults) +
              "</title>\n<link rel=\"stylesheet\" href=\"/static/style.css\">\n</head>\n<body>\n"
              "<div class=\"header\"><form action=\"/search\" method=\"get\"><input name=\"q\">"
              "</form></div>\n<div class=\"search-list\">\n";
  const std::string_view thunderWord = options.changedLayout ? "Thunder Download" : "Thunder Link";
  for (int i = 0; i < options.hitCount; ++i) {
    GeneratedHit hit;
    hit.title = Title(random, i);
    if (options.title) hit.title = options.title(i, hit.title);
    hit.magnet = "magnet:?xt=urn:btih:" + Hex(random, 40);
    const Text displayName = Hanzi(random, 4) + "." + Hex(random, 4);
    hit.thunder = "thunder://" + Base64("AA" + hit.magnet + "&dn=" + displayName + "ZZ");
    AppendHit(page.html, random, hit, displayName, thunderWord);
    if (!options.changedLayout) page.hits.push_back(std::move(hit));
  }
  page.html +=
      "</div>\n<div class=\"pager\"><a href=\"/search/x/default-2.html\">2</a></div>\n"
      "</body>\n</html>\n";
  return page;
}

}  // namespace quillmere::test_support
