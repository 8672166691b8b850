#pragma once

#include <string_view>

namespace quillmere {

// Picks the hits out of a search-site result page. Group 1 is the title, group 2 the magnet
// address without its display-name part, group 3 the Thunder download address. The groups
// stay on one line; the two gaps between them may span lines.
inline constexpr std::string_view kResultPattern =
    R"re(<h3><a title="(.*?)"  href="/wiki[\s\S]*?<!--<a href="(.*?)&amp;dn=[\s\S]*?Magnet Link</a> <a href="(.*?)" class="download">Thunder Link</a>)re";

}  // namespace quillmere
