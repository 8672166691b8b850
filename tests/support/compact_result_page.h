#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "text/text.h"

namespace quillmere::test_support {

// Lean result pages in the site's markup, for tests and benchmarks that need very many hits
// in few bytes (the generated pages of result_page_generator.h carry about 1.1 KB per hit).
// Every hit holds exactly what the result pattern needs, padded with a paragraph of filler to
// a fixed size, so a page's size is known from its hit count.
struct CompactPageOptions {
  int hitCount = 10;
  // Each hit is padded to this many bytes when it is shorter.
  size_t bytesPerHit = 0;
  // The site renamed its "Thunder Link" text: the pattern no longer fits any hit.
  bool changedLayout = false;
  // When set, gives the title of the hit with this 0-based index.
  std::function<Text(int index)> title;
};

// The cells the result pattern reads from hit `index` (0-based) when no title is given.
inline Text CompactHitTitle(int index) {
  return "\xBD\xE1\xB9\xFB #" + std::to_string(index + 1);  // 结果 #n
}
inline Text CompactHitMagnet(int index) {
  char digits[41];
  std::snprintf(digits, sizeof digits, "%08X%032X", static_cast<unsigned>(index),
                static_cast<unsigned>(index) * 2654435761u);
  return "magnet:?xt=urn:btih:" + Text(digits);
}
inline Text CompactHitThunder(int index) {
  return "thunder://QUFt" + std::to_string(index + 1) + "WlA=";
}

inline Text CompactHitHtml(int index, const CompactPageOptions& options) {
  const Text title = options.title ? options.title(index) : CompactHitTitle(index);
  const Text magnet = CompactHitMagnet(index);
  Text html = "<div class=\"search-item\"><h3><a title=\"" + title + "\"  href=\"/wiki/" +
              std::to_string(index) + ".html\">" + title + "</a></h3>\n<!--<a href=\"" + magnet +
              "&amp;dn=n\">m</a>-->\n<a href=\"" + magnet +
              "&amp;dn=n\" class=\"download\">Magnet Link</a> <a href=\"" +
              CompactHitThunder(index) + "\" class=\"download\">" +
              (options.changedLayout ? "Thunder Download" : "Thunder Link") + "</a>\n";
  const Text end = "</div>\n";
  const Text padOpen = "<p>";
  const Text padClose = "</p>\n";
  const size_t bare = html.size() + end.size() + padOpen.size() + padClose.size();
  if (options.bytesPerHit > bare) {
    html += padOpen + Text(options.bytesPerHit - bare, 'x') + padClose;
  }
  return html + end;
}

inline Text CompactResultPage(const CompactPageOptions& options) {
  Text html = "<html><head><meta charset=\"gbk\"></head><body>\n";
  if (options.bytesPerHit > 0) {
    html.reserve(html.size() + options.bytesPerHit * static_cast<size_t>(options.hitCount) + 32);
  }
  for (int i = 0; i < options.hitCount; ++i) html += CompactHitHtml(i, options);
  return html + "</body></html>\n";
}

}  // namespace quillmere::test_support
