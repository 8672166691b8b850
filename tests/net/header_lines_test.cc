#include "net/header_lines.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/event_pump.h"

namespace quillmere {
namespace {

// Counts the pending-event calls of each test and removes its hook afterwards.
class HeaderLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetPendingEventsHook([this] { ++pendingEventCalls_; });
  }
  void TearDown() override { platform::SetPendingEventsHook(nullptr); }
  int pendingEventCalls_ = 0;
};

struct HeaderCase {
  const char* name;
  Text rawHeaders;
  Text receivedOnEntry;
  Text expectedStatus;
  Text expectedCookies;
  Text expectedRedirect;
  int expectedEventCalls;
};

class HeaderLinesCaseTest : public HeaderLinesTest,
                            public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderLinesCaseTest, TakesStatusCookiesAndRedirect) {
  const HeaderCase& c = GetParam();
  Text status = "before";
  Text cookies = c.receivedOnEntry;
  Text redirect = "untouched";
  ReadHeaderLines(c.rawHeaders, status, cookies, redirect, nullptr, true);
  EXPECT_EQ(status, c.expectedStatus);
  EXPECT_EQ(cookies, c.expectedCookies);
  EXPECT_EQ(redirect, c.expectedRedirect);
  EXPECT_EQ(pendingEventCalls_, c.expectedEventCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeaderLinesCaseTest,
    ::testing::Values(
        HeaderCase{"one_cookie", "HTTP/1.1 200 OK\r\nSet-Cookie: lang=en; path=/\r\n\r\n", "",
                   "200 OK", "lang=en", "untouched", 3},
        HeaderCase{"two_cookies",
                   "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nDate: x\r\n"
                   "Set-Cookie: b=2; HttpOnly\r\n\r\n",
                   "", "200 OK", "a=1; b=2", "untouched", 5},
        HeaderCase{"cookie_without_semicolon", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n", "",
                   "200 OK", "a=1", "untouched", 3},
        HeaderCase{"lower_case_name_takes_no_pair",
                   "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\n\r\n", "", "200 OK", "",
                   "untouched", 3},
        HeaderCase{"no_blank_after_colon_takes_no_pair",
                   "HTTP/1.1 200 OK\r\nSet-Cookie:a=1; path=/\r\n\r\n", "", "200 OK", "",
                   "untouched", 3},
        HeaderCase{"no_cookie_keeps_empty_text", "HTTP/1.0 404 Not Found\r\n\r\n", "",
                   "404 Not Found", "", "untouched", 2},
        HeaderCase{"lower_case_location", "HTTP/1.1 302 Found\r\nlocation: /next\r\n\r\n", "",
                   "302 Found", "", "/next", 3},
        HeaderCase{"location_without_blank_not_taken",
                   "HTTP/1.1 302 Found\r\nLocation:/next\r\n\r\n", "", "302 Found", "", "untouched",
                   3},
        HeaderCase{"later_location_wins",
                   "HTTP/1.1 302 Found\r\nLocation: /a\r\nLocation: /b\r\n\r\n", "", "302 Found",
                   "", "/b", 4},
        HeaderCase{"short_block_has_no_status", "HTTP/1.1", "", "", "", "untouched", 1},
        HeaderCase{"empty_block", "", "", "", "", "untouched", 0},
        // Cookies the caller held on entry stay in front, joined by "; ".
        HeaderCase{"entry_cookies_kept_before_new_pairs",
                   "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\n\r\n", "old=0", "200 OK",
                   "old=0; a=1", "untouched", 3},
        HeaderCase{"entry_cookies_unchanged_without_new_pairs", "HTTP/1.1 200 OK\r\n\r\n", "old=0",
                   "200 OK", "old=0", "untouched", 2}),
    [](const auto& info) { return std::string(info.param.name); });

constexpr char kThemeResponse[] = "HTTP/1.1 200 OK\r\nSet-Cookie: theme=light; path=/\r\n\r\n";

TEST_F(HeaderLinesTest, MergesIntoSuppliedSendCookies) {
  Text status, received, redirect;
  Text sent = "theme=dark; lang=en";
  ReadHeaderLines(kThemeResponse, status, received, redirect, &sent, true);
  EXPECT_EQ(received, "theme=light; lang=en");
  EXPECT_EQ(sent, "theme=light; lang=en");
}

TEST_F(HeaderLinesTest, MergesIntoEmptySuppliedSendCookies) {
  Text status, received, redirect;
  Text sent;
  ReadHeaderLines(kThemeResponse, status, received, redirect, &sent, true);
  EXPECT_EQ(received, "theme=light");
  EXPECT_EQ(sent, "theme=light");
}

TEST_F(HeaderLinesTest, NoMergeWhenSwitchedOff) {
  Text status, received, redirect;
  Text sent = "theme=dark; lang=en";
  ReadHeaderLines(kThemeResponse, status, received, redirect, &sent, false);
  EXPECT_EQ(received, "theme=light");
  EXPECT_EQ(sent, "theme=dark; lang=en");
}

TEST_F(HeaderLinesTest, NoMergeWithoutSendCookies) {
  Text status, received, redirect;
  ReadHeaderLines(kThemeResponse, status, received, redirect, nullptr, true);
  EXPECT_EQ(received, "theme=light");
}

TEST_F(HeaderLinesTest, MergeDropsDeletedPairs) {
  Text status, received, redirect;
  Text sent = "a=1; b=2";
  ReadHeaderLines("HTTP/1.1 200 OK\r\nSet-Cookie: a=deleted; expires=x\r\n\r\n", status, received,
                  redirect, &sent, true);
  EXPECT_EQ(received, " b=2");
  EXPECT_EQ(sent, " b=2");
}

}  // namespace
}  // namespace quillmere
