#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "text/text.h"

namespace quillmere::test_support {

// One hit as the result pattern should read it back.
struct GeneratedHit {
  Text title;
  Text magnet;   // without the display-name part
  Text thunder;  // thunder:// address
};

struct ResultPageOptions {
  int hitCount = 10;
  // The site renamed its "Thunder Link" text: the pattern no longer fits any hit.
  bool changedLayout = false;
  uint32_t seed = 1;
  // The character set the page's meta tag names. The page bytes stay code page 936 whatever it
  // says; a caller that declares another set converts the bytes itself.
  Text metaCharset = "gbk";
  // When set, makes each hit's title from the hit's 0-based index and the generated title.
  std::function<Text(int index, const Text& generated)> title;
};

struct ResultPage {
  Text html;  // code page 936 bytes
  std::vector<GeneratedHit> hits;
};

// A search-site result page in the site's markup: a header, `hitCount` hits with titles that
// mix Chinese and ASCII, file lists, dates and sizes between the title link and the download
// links, and a footer. The same options always give the same page.
ResultPage GenerateResultPage(const ResultPageOptions& options);

}  // namespace quillmere::test_support
