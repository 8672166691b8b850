#include "platform/icu_converter.h"

#include <unicode/ucnv_cb.h>

namespace quillmere::platform {
namespace {

void QuestionMarkToUnicode(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* status) {
  if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
  *status = U_ZERO_ERROR;
  const UChar questionMark = u'?';
  ucnv_cbToUWriteUChars(args, &questionMark, 1, 0, status);
}

}  // namespace

ConverterPtr OpenConverter(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(name, &status));
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

void DecodeUndecodableAsQuestionMark(UConverter& converter) {
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(&converter, QuestionMarkToUnicode, nullptr, nullptr, nullptr, &status);
}

std::u16string DecodeAll(UConverter& converter, std::string_view bytes) {
  ucnv_resetToUnicode(&converter);
  std::u16string out;
  // One code unit per byte covers the double-byte code pages; the loop grows the buffer for
  // anything that needs more.
  out.resize(bytes.size() + 16);
  const char* source = bytes.data();
  const char* sourceEnd = source + bytes.size();
  std::size_t written = 0;
  for (;;) {
    UChar* target = reinterpret_cast<UChar*>(out.data()) + written;
    UChar* targetEnd = reinterpret_cast<UChar*>(out.data()) + out.size();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(&converter, &target, targetEnd, &source, sourceEnd, nullptr, true, &status);
    written = static_cast<std::size_t>(target - reinterpret_cast<UChar*>(out.data()));
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(out.size() * 2);
      continue;
    }
    if (U_FAILURE(status)) written = 0;
    break;
  }
  out.resize(written);
  return out;
}

}  // namespace quillmere::platform
