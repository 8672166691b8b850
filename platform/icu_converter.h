#pragma once

#include <unicode/ucnv.h>

#include <memory>
#include <string>
#include <string_view>

namespace quillmere::platform {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
// An open ICU converter, closed when it goes out of scope.
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Opens the converter of that ICU name; null when ICU does not know the name.
ConverterPtr OpenConverter(const char* name);

// Makes `converter` decode every byte sequence it cannot map to '?' (U+003F) instead of
// ICU's U+FFFD or U+001A, as Windows does.
void DecodeUndecodableAsQuestionMark(UConverter& converter);

// Decodes all of `bytes` with `converter` (reset first), flushing at the end. Whatever the
// converter's to-Unicode callback writes for undecodable bytes stays in the result.
std::u16string DecodeAll(UConverter& converter, std::string_view bytes);

}  // namespace quillmere::platform
