#include "net/header_lines.h"

#include "net/cookies.h"
#include "platform/event_pump.h"

namespace quillmere {
namespace {

// The pair a Set-Cookie line sets, without its attributes.
Text CookiePair(const Text& line) {
  if (Find(line, ";") != -1) return Trim(TextBetween(line, "Set-Cookie:", ";"));
  return Trim(ReplaceAll(line, "Set-Cookie:", "", true));
}

// Position 10 is the first byte of the status code in "HTTP/1.x 200 OK".
Text StatusText(const Text& rawHeaders) {
  const int lineEnd = Find(rawHeaders, "\r\n", 10);
  if (lineEnd == -1) return {};
  return Middle(rawHeaders, 10, lineEnd - 10);
}

}  // namespace

void ReadHeaderLines(const Text& rawHeaders, Text& statusMessage, Text& receivedCookies,
                     Text& redirectTarget, Text* sendCookies, bool mergeCookies) {
  statusMessage = StatusText(rawHeaders);

  // This response's pairs, each followed by "; ".
  Text newPairs;
  for (const Text& line : Split(rawHeaders, "\r\n")) {
    if (TextBefore(line, ": ") == "Set-Cookie") {
      newPairs += CookiePair(line);
      newPairs += "; ";
    }
    if (Equals(Left(line, 10), "Location: ", true)) {
      redirectTarget = Middle(line, 11, static_cast<int>(line.size()));
    }
    platform::ProcessPendingEvents();
  }
  newPairs = Left(newPairs, static_cast<int>(newPairs.size()) - 2);

  // Cookies the caller already held stay in front, separated from this response's pairs by
  // "; ", and stay untouched when no pair arrives. (Appending straight onto them and then
  // cutting the last two bytes would glue the first new pair to the old text, or chop two
  // bytes off the caller's own cookies when the response sets none.)
  if (!newPairs.empty()) {
    if (!receivedCookies.empty()) receivedCookies += "; ";
    receivedCookies += newPairs;
  }

  if (mergeCookies && sendCookies != nullptr) {
    receivedCookies = MergeCookies(*sendCookies, receivedCookies);
  }
}

}  // namespace quillmere
