#include "platform/charset_stream.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillmere::platform {
namespace {

struct CharsetCase {
  const char* name;
  std::string charset;
  std::string bytes;
  std::optional<std::u16string> expected;
};

class CharsetStreamTest : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(CharsetStreamTest, DecodesOrRefuses) {
  EXPECT_EQ(DecodeWithCharset(GetParam().charset, GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CharsetStreamTest,
    ::testing::Values(
        CharsetCase{"utf8_chinese", "utf-8", "<p>\xE4\xB8\xAD\xE6\x96\x87</p>", u"<p>中文</p>"},
        CharsetCase{"utf8_capitals_and_bom", "UTF-8",
                    "\xEF\xBB\xBF"
                    "ab",
                    u"ab"},
        CharsetCase{"utf8_bom_only_at_start", "utf-8", "a\xEF\xBB\xBF", u"a\uFEFF"},
        CharsetCase{"gb2312_capitals_opens_code_page_936", "GB2312", "\xD6\xD0\x80", u"中€"},
        CharsetCase{"gbk_user_defined_area", "GBK", "\xFE\xFE", u"\uE4C5"},
        CharsetCase{"gb18030_four_bytes", "gb18030", "\x81\x30\x81\x30", u"\u0080"},
        CharsetCase{"big5", "big5", "\xA4\xA4\xA4\xE5", u"中文"},
        CharsetCase{"big5_capitals", "BIG5", "\xA4\xA4", u"中"},
        CharsetCase{"shift_jis", "shift_jis", "\x93\xFA\x96\x7B", u"日本"},
        CharsetCase{"euc_kr", "euc-kr", "\xC7\xD1", u"한"},
        CharsetCase{"latin1_is_windows_1252", "latin1", "\xE9\x80", u"é€"},
        CharsetCase{"iso_8859_1_capitals", "ISO-8859-1", "caf\xE9", u"café"},
        CharsetCase{"utf16_little_endian_with_bom", "utf-16",
                    std::string("\xFF\xFE"
                                "a\0b\0",
                                6),
                    u"ab"},
        CharsetCase{"unicode_name", "Unicode", std::string("\x2D\x4E", 2), u"中"},
        CharsetCase{"icu_lookup_for_other_names", "windows-1251", "\xCF", u"П"},
        CharsetCase{"undecodable_utf8_is_question_mark", "utf-8",
                    "a\xFF"
                    "b",
                    u"a?b"},
        CharsetCase{"empty_body", "utf-8", "", u""},
        CharsetCase{"unknown_name_refused", "x-no-such-charset", "abc", std::nullopt},
        CharsetCase{"empty_name_refused", "", "abc", std::nullopt},
        CharsetCase{"name_with_options_refused", "utf-8,swaplfnl", "abc", std::nullopt},
        CharsetCase{"name_with_blank_refused", "utf 8", "abc", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere::platform
