#include "platform/codepage936.h"

#include <unicode/uchar.h>
#include <unicode/ucnv_cb.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <optional>

#include "platform/icu_converter.h"

namespace quillmere::platform {
namespace {

constexpr char kTableName[] = "windows-936-2000";

// Every code point the table cannot represent becomes '?'. ICU's own substitution would skip
// default-ignorable code points silently; Windows writes its default character for them too.
void QuestionMarkFromUnicode(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                             UChar32, UConverterCallbackReason reason, UErrorCode* status) {
  if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
  *status = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, "?", 1, 0, status);
}

// The converters live as long as the thread, so a call costs no table lookup.
UConverter* Decoder() {
  thread_local ConverterPtr converter = [] {
    ConverterPtr c = OpenConverter(kTableName);
    if (c) DecodeUndecodableAsQuestionMark(*c);
    return c;
  }();
  return converter.get();
}

ConverterPtr OpenEncoder(bool stopOnUnmappable) {
  ConverterPtr c = OpenConverter(kTableName);
  if (!c) return c;
  ucnv_setFallback(c.get(), true);
  UErrorCode status = U_ZERO_ERROR;
  if (stopOnUnmappable) {
    ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  } else {
    ucnv_setFromUCallBack(c.get(), QuestionMarkFromUnicode, nullptr, nullptr, nullptr, &status);
  }
  return c;
}

UConverter* Encoder() {
  thread_local ConverterPtr converter = OpenEncoder(false);
  return converter.get();
}

// An encoder that fails instead of substituting: it tells whether the table has a character.
UConverter* Probe() {
  thread_local ConverterPtr converter = OpenEncoder(true);
  return converter.get();
}

bool CodePageHas(UChar32 codePoint) {
  UConverter* probe = Probe();
  if (probe == nullptr) return false;
  UChar units[2];
  int32_t length = 0;
  U16_APPEND_UNSAFE(units, length, codePoint);
  char bytes[8];
  UErrorCode status = U_ZERO_ERROR;
  ucnv_reset(probe);
  ucnv_fromUChars(probe, bytes, sizeof bytes, units, length, &status);
  return U_SUCCESS(status);
}

bool IsCombiningMark(UChar32 codePoint) {
  // Every combining mark lies at U+0300 or above; the check keeps plain text on a fast path.
  return codePoint >= 0x300 && u_getCombiningClass(codePoint) != 0;
}

UChar32 CodePointAt(std::u16string_view units, std::size_t index, std::size_t& next) {
  UChar32 c;
  auto i = static_cast<int32_t>(index);
  U16_NEXT(units.data(), i, static_cast<int32_t>(units.size()), c);
  next = static_cast<std::size_t>(i);
  return c;
}

// The composite check: a base character followed by combining marks takes each mark into a
// precomposed character while that character exists and the code page can represent it.
// Returns nothing when the text has no such pair, so plain text is not copied.
std::optional<std::u16string> ComposeForCodePage(std::u16string_view units) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status)) return std::nullopt;

  std::optional<std::u16string> out;
  std::size_t copied = 0;  // units before this index are already in `out` (once it exists)
  std::size_t i = 0;
  while (i < units.size()) {
    std::size_t next = 0;
    UChar32 base = CodePointAt(units, i, next);
    std::size_t end = next;
    bool composed = false;
    while (end < units.size()) {
      std::size_t afterMark = 0;
      const UChar32 mark = CodePointAt(units, end, afterMark);
      if (!IsCombiningMark(mark)) break;
      const UChar32 pair = unorm2_composePair(nfc, base, mark);
      if (pair < 0 || !CodePageHas(pair)) break;
      base = pair;
      end = afterMark;
      composed = true;
    }
    if (composed) {
      if (!out) out.emplace();
      out->append(units.substr(copied, i - copied));
      UChar buffer[2];
      int32_t length = 0;
      U16_APPEND_UNSAFE(buffer, length, base);
      out->append(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(length));
      copied = end;
    }
    i = end;
  }
  if (out) out->append(units.substr(copied));
  return out;
}

}  // namespace

std::u16string Cp936ToUtf16(std::string_view bytes) {
  UConverter* decoder = Decoder();
  if (decoder == nullptr || bytes.empty()) return {};
  return DecodeAll(*decoder, bytes);
}

std::string Utf16ToCp936(std::u16string_view units) {
  UConverter* encoder = Encoder();
  if (encoder == nullptr || units.empty()) return {};
  const std::optional<std::u16string> composed = ComposeForCodePage(units);
  const std::u16string_view source = composed ? std::u16string_view(*composed) : units;

  std::string out;
  out.resize(static_cast<std::size_t>(
      UCNV_GET_MAX_BYTES_FOR_STRING(source.size(), ucnv_getMaxCharSize(encoder))));
  ucnv_reset(encoder);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_fromUChars(encoder, out.data(), static_cast<int32_t>(out.size()),
                                         reinterpret_cast<const UChar*>(source.data()),
                                         static_cast<int32_t>(source.size()), &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(length));
  return out;
}

}  // namespace quillmere::platform
