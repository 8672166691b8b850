#pragma once

#include "text/text.h"

class QLabel;

namespace quillmere {

// The text between the first two "~~" markers of the page, unchanged; empty text when the
// page lacks them or the markers stand back to back.
Text LatestVersionFromPage(const Text& pageText);

// Fetches the version share page once (the address alone, every option left out) and writes
// the version found on it into the label. A failed request or a page without two markers
// leaves the label empty. The label keeps its size whatever the length of the text.
void ShowLatestVersion(QLabel& 标签7, const Text& versionSharePage);

}  // namespace quillmere
