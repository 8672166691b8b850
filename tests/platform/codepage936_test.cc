#include "platform/codepage936.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmere::platform {
namespace {

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::u16string expected;
};

class Cp936DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Cp936DecodeTest, DecodesLikeWindows) {
  EXPECT_EQ(Cp936ToUtf16(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Cp936DecodeTest,
    ::testing::Values(DecodeCase{"ascii", "ab", u"ab"}, DecodeCase{"empty", "", u""},
                      DecodeCase{"chinese", "\xD6\xD0\xCE\xC4", u"中文"},
                      DecodeCase{"euro_sign_at_0x80", "\x80", u"\u20AC"},
                      DecodeCase{"zero_byte_converts", std::string("a\0b", 3),
                                 std::u16string(u"a\0b", 3)},
                      DecodeCase{"lone_lead_byte_at_end", "a\x81", u"a?"},
                      DecodeCase{"lead_byte_before_invalid_trail", "\x81\x7F", u"?\x7F"},
                      // A blank cannot be a second byte: the lead byte alone is '?'.
                      DecodeCase{"lead_byte_before_blank", "\xD6 ", u"? "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp936DecodeTest, NeverGivesReplacementCharacter) {
  std::string everyPair;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 0x00; trail <= 0xFF; ++trail) {
      everyPair += static_cast<char>(lead);
      everyPair += static_cast<char>(trail);
      everyPair += ' ';
    }
  }
  EXPECT_EQ(Cp936ToUtf16(everyPair).find(u'\uFFFD'), std::u16string::npos);
}

struct EncodeCase {
  const char* name;
  std::u16string units;
  std::string expected;
};

class Cp936EncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Cp936EncodeTest, EncodesLikeWindows) {
  EXPECT_EQ(Utf16ToCp936(GetParam().units), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Cp936EncodeTest,
    ::testing::Values(
        EncodeCase{"ascii", u"ab", "ab"}, EncodeCase{"empty", u"", ""},
        EncodeCase{"chinese", u"中文", "\xD6\xD0\xCE\xC4"},
        EncodeCase{"euro_sign", u"\u20AC", "\x80"},
        EncodeCase{"precomposed_pinyin", u"\u00E9", "\xA8\xA6"},
        EncodeCase{"thai_is_unmappable", u"x\u0E01y", "x?y"},
        EncodeCase{"zero_width_space_is_unmappable", u"a\u200Bb", "a?b"},
        EncodeCase{"lone_high_surrogate", std::u16string(u"a") + char16_t(0xD800) + u"b", "a?b"},
        EncodeCase{"lone_low_surrogate", std::u16string(u"a") + char16_t(0xDC00) + u"b", "a?b"},
        // Composite check: e + combining acute is é, which the code page holds.
        EncodeCase{"base_and_mark_compose", u"e\u0301", "\xA8\xA6"},
        EncodeCase{"base_and_mark_compose_in_text", u"ne\u0301e",
                   "n\xA8\xA6"
                   "e"},
        EncodeCase{"grave_a_composes", u"\u4E2Da\u0300", "\xD6\xD0\xA8\xA4"},
        // x + acute has no precomposed character: both stay, the mark as '?'.
        EncodeCase{"no_precomposed_character", u"x\u0301", "x?"},
        // o + tilde is õ, which the code page lacks: both stay.
        EncodeCase{"precomposed_not_in_code_page", u"o\u0303", "o?"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp936RoundTripTest, EveryDoubleByteCharacterSurvives) {
  // Every valid GBK pair decodes to one code unit and encodes back to the same two bytes.
  int checked = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string units = Cp936ToUtf16(pair);
      if (units == u"?" || units.size() != 1) continue;
      ++checked;
      ASSERT_EQ(Utf16ToCp936(units), pair) << std::hex << lead << " " << trail;
    }
  }
  EXPECT_GT(checked, 21000);
}

}  // namespace
}  // namespace quillmere::platform
