#include "extras/version_notice.h"

#include <QLabel>
#include <QSize>

#include "net/cookies.h"
#include "net/web_fetch.h"
#include "platform/window/window_ops.h"

namespace quillmere {

namespace {
constexpr char kVersionMarker[] = "~~";
}

Text LatestVersionFromPage(const Text& pageText) {
  return TextBetween(pageText, kVersionMarker, kVersionMarker);
}

void ShowLatestVersion(QLabel& 标签7, const Text& versionSharePage) {
  const Text pageText = WebFetch(versionSharePage);
  // The label sits in a row of fixed captions: a long version text is clipped, never allowed
  // to push the label wider.
  const QSize designedSize = 标签7.size();
  platform::WriteText(标签7, LatestVersionFromPage(pageText));
  if (标签7.size() != designedSize) 标签7.resize(designedSize);
}

}  // namespace quillmere
