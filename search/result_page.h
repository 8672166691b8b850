#pragma once

#include "search/search_controls.h"
#include "text/text.h"

namespace quillmere {

class RegexObject;

// siteRoot + "/search/" + keyword + "/default-" + pageText + ".html", the keyword and the page
// text exactly as typed.
Text SearchPageAddress(const Text& siteRoot, const Text& keyword, const Text& pageText);

// Fetches the result page for the current keyword and page box and fills the list with one
// row per hit: "1", "2", ... in column 0, title, magnet and Thunder address in columns 1 to 3.
// The caller empties the list first and owns the pattern object for its whole click.
void LoadResultPage(RegexObject& regex, const SearchControls& controls, const Text& siteRoot);

}  // namespace quillmere
