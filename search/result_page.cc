#include "search/result_page.h"

#include <string>

#include "net/web_fetch.h"
#include "pattern/regex_object.h"
#include "pattern/result_pattern.h"
#include "platform/window/window_ops.h"

namespace quillmere {

Text SearchPageAddress(const Text& siteRoot, const Text& keyword, const Text& pageText) {
  return siteRoot + "/search/" + keyword + "/default-" + pageText + ".html";
}

void LoadResultPage(RegexObject& regex, const SearchControls& controls, const Text& siteRoot) {
  const Text keyword = platform::ReadText(controls.ssbjk);
  const Text pageText = platform::ReadText(controls.page);
  const Text pageContent = WebFetch(SearchPageAddress(siteRoot, keyword, pageText));
  // An empty or unfitting page simply yields no hits.
  regex.Create(Text(kResultPattern), pageContent);
  const int hits = regex.MatchCount();
  // Every hit's row is added at once, then filled: hit n shows n in column 0 and its three
  // groups in columns 1 to 3. Nothing can look at the list while it fills.
  const int first = platform::AppendRows(controls.超级列表框, hits);
  for (int hit = 1; hit <= hits; ++hit) {
    const int row = first + hit - 1;
    platform::SetCellText(controls.超级列表框, row, 0, std::to_string(hit));
    for (int group = 1; group <= 3; ++group) {
      platform::SetCellText(controls.超级列表框, row, group, regex.SubmatchText(hit, group));
    }
  }
}

}  // namespace quillmere
