#include "platform/charset_stream.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "platform/icu_converter.h"

namespace quillmere::platform {
namespace {

struct Alias {
  std::string_view declared;  // lower case
  const char* icuName;
};

// Names pages declare for which ICU's own lookup would open a different table than the one
// Windows uses (GB2312 would be plain EUC-CN, latin1 strict ISO-8859-1, and so on).
constexpr std::array kAliases{
    Alias{"gbk", "windows-936-2000"},
    Alias{"gb2312", "windows-936-2000"},
    Alias{"csgb2312", "windows-936-2000"},
    Alias{"euc-cn", "windows-936-2000"},
    Alias{"chinese", "windows-936-2000"},
    Alias{"gb_2312-80", "windows-936-2000"},
    Alias{"cp936", "windows-936-2000"},
    Alias{"x-gbk", "windows-936-2000"},
    Alias{"gb18030", "gb18030"},
    Alias{"big5", "windows-950-2000"},
    Alias{"cp950", "windows-950-2000"},
    Alias{"euc-kr", "windows-949-2000"},
    Alias{"ks_c_5601-1987", "windows-949-2000"},
    Alias{"iso-8859-1", "windows-1252"},
    Alias{"latin1", "windows-1252"},
    Alias{"us-ascii", "windows-1252"},
    Alias{"ascii", "windows-1252"},
    Alias{"unicode", "UTF-16LE"},
    Alias{"utf-16", "UTF-16LE"},
};

std::string LowerAscii(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// ICU opens its default converter for an empty name and reads option suffixes after a comma;
// a declared name is neither, so only letters, digits and "-_.:" reach the lookup.
bool IsPlainName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x80 && (std::isalnum(u) || c == '-' || c == '_' || c == '.' || c == ':');
  });
}

std::string IcuNameFor(std::string_view declared) {
  const std::string lower = LowerAscii(declared);
  for (const Alias& alias : kAliases) {
    if (alias.declared == lower) return alias.icuName;
  }
  return std::string(declared);
}

}  // namespace

std::optional<std::u16string> DecodeWithCharset(std::string_view charsetName,
                                                std::string_view bytes) {
  if (!IsPlainName(charsetName)) return std::nullopt;
  const ConverterPtr converter = OpenConverter(IcuNameFor(charsetName).c_str());
  if (!converter) return std::nullopt;
  DecodeUndecodableAsQuestionMark(*converter);
  std::u16string text = DecodeAll(*converter, bytes);
  if (!text.empty() && text.front() == u'\uFEFF') text.erase(0, 1);
  return text;
}

}  // namespace quillmere::platform
