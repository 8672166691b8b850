#pragma once

#include "text/text.h"

namespace quillmere {

// Takes the status text, the received cookies and the redirect target out of a raw response
// header block, processing pending events once per header line; then, when mergeCookies is
// true and sendCookies is supplied (not null), merges the cookies into both texts.
void ReadHeaderLines(const Text& rawHeaders, Text& statusMessage, Text& receivedCookies,
                     Text& redirectTarget, Text* sendCookies, bool mergeCookies);

}  // namespace quillmere
