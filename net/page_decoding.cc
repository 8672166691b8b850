#include "net/page_decoding.h"

#include <algorithm>
#include <optional>
#include <string>

#include "pattern/regex_object.h"
#include "platform/apartment.h"
#include "platform/charset_stream.h"
#include "platform/codepage936.h"
#include "platform/event_pump.h"

namespace quillmere {
namespace {

// The decoded page as program text. Program text never holds a zero byte, so zero characters
// of the decoded page are left out; the text after them is kept.
Text ToProgramText(std::u16string decoded) {
  decoded.erase(std::remove(decoded.begin(), decoded.end(), u'\0'), decoded.end());
  return platform::Utf16ToCp936(decoded);
}

}  // namespace

std::optional<Text> DecodeDeclaredCharset(RegexObject& regex, const Bytes& body,
                                          const Text& pageText) {
  platform::ApartmentScope apartment;
  const Text sniff = Left(pageText, kCharsetSniffLength);
  if (!regex.Create(Text(kCharsetDeclarationPattern), sniff)) return std::nullopt;

  std::optional<Text> result;
  const Text declared = regex.SubmatchText(1, 1);
  if (!declared.empty() && declared != "gbk" && declared != "gb2312") {
    // A name the decoder does not know leaves the page text as it was.
    if (std::optional<std::u16string> decoded = platform::DecodeWithCharset(declared, body)) {
      result = ToProgramText(std::move(*decoded));
    }
  }
  platform::ProcessPendingEvents();
  return result;
}

}  // namespace quillmere
