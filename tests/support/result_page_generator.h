#pragma once

#include <cstdint>
#include <vector>

#include "text/text.h"

namespace quillmere::bench {

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
};

struct ResultPage {
  Text html;  // code page 936 bytes
  std::vector<GeneratedHit> hits;
};

// A search-site result page in the site's markup: a header, `hitCount` hits with titles that
// mix Chinese and ASCII, file lists, dates and sizes between the title link and the download
// links, and a footer. The same options always give the same page.
ResultPage GenerateResultPage(const ResultPageOptions& options);

}  // namespace quillmere::bench
