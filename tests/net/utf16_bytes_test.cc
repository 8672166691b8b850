#include "net/utf16_bytes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillmere {
namespace {

struct ToCase {
  const char* name;
  Text text;
  std::optional<bool> dropTerminator;
  Bytes expected;
};

class ToUtf16BytesTest : public ::testing::TestWithParam<ToCase> {};

TEST_P(ToUtf16BytesTest, GivesLittleEndianUnits) {
  EXPECT_EQ(ToUtf16Bytes(GetParam().text, GetParam().dropTerminator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToUtf16BytesTest,
    ::testing::Values(ToCase{"ascii_with_terminator", "ab", std::nullopt, Bytes("a\0b\0\0\0", 6)},
                      ToCase{"terminator_kept_when_false", "ab", false, Bytes("a\0b\0\0\0", 6)},
                      ToCase{"terminator_dropped", "ab", true, Bytes("a\0b\0", 4)},
                      ToCase{"chinese", "\xD6\xD0", std::nullopt, Bytes("\x2D\x4E\0\0", 4)},
                      ToCase{"empty_has_no_terminator", "", std::nullopt, Bytes()},
                      ToCase{"empty_dropping_terminator", "", true, Bytes()},
                      ToCase{"undecodable_byte_is_question_mark", "\x81", true, Bytes("?\0", 2)}),
    [](const auto& info) { return std::string(info.param.name); });

struct FromCase {
  const char* name;
  Bytes bytes;
  Text expected;
};

class FromUtf16BytesTest : public ::testing::TestWithParam<FromCase> {};

TEST_P(FromUtf16BytesTest, GivesProgramText) {
  EXPECT_EQ(FromUtf16Bytes(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FromUtf16BytesTest,
    ::testing::Values(FromCase{"stops_at_zero_unit", Bytes("a\0b\0\0\0c\0", 8), "ab"},
                      FromCase{"odd_byte_not_used", Bytes("a\0b", 3), "a"},
                      FromCase{"empty", Bytes(), ""},
                      FromCase{"chinese", Bytes("\x2D\x4E", 2), "\xD6\xD0"},
                      FromCase{"unmappable_is_question_mark", Bytes("\x01\x0E", 2), "?"},
                      FromCase{"composite_check", Bytes("e\0\x01\x03", 4), "\xA8\xA6"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf16BytesRoundTripTest, ProgramTextSurvives) {
  const Text text = "Set-Cookie: \xD6\xD0\xCE\xC4=1; path=/";
  EXPECT_EQ(FromUtf16Bytes(ToUtf16Bytes(text)), text);
  EXPECT_EQ(FromUtf16Bytes(ToUtf16Bytes(text, true)), text);
}

}  // namespace
}  // namespace quillmere
