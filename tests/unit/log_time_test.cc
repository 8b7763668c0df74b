#include "log/log_time.h"

#include <cstdlib>
#include <ctime>

#include "host_test.h"

namespace {

class LogTimeTest : public HostTest {
 protected:
  void SetLocalTime(WORD hour, WORD minute, WORD second, WORD millisecond) {
    system().local_time = SYSTEMTIME{2024, 3, 2, 5, hour, minute, second, millisecond};
  }
};

TEST_F(LogTimeTest, TimeOfDayIsZeroPaddedWithAColonBeforeTheMilliseconds) {
  struct Case {
    SYSTEMTIME local;
    const char* text;
  } cases[] = {
      {{2024, 3, 2, 5, 9, 4, 3, 7}, "09:04:03:007"},
      {{2024, 3, 2, 5, 9, 4, 3, 60}, "09:04:03:060"},
      {{2024, 3, 2, 5, 14, 7, 9, 45}, "14:07:09:045"},
      {{2024, 3, 2, 5, 23, 59, 59, 998}, "23:59:59:998"},
      {{2024, 3, 2, 5, 0, 0, 0, 0}, "00:00:00:000"},
  };
  for (const Case& c : cases) {
    system().local_time = c.local;
    EXPECT_EQ(FormatTime(), c.text);
  }
}

TEST_F(LogTimeTest, FailedZoneConversionShowsTheSystemTime) {
  system().system_time = SYSTEMTIME{2024, 3, 2, 5, 8, 30, 0, 5};
  system().Fail(Api::kSystemTimeToTzSpecificLocalTime, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(FormatTime(), "08:30:00:005");
}

// The expected date under TZ=`zone`, from strftime, which shares none of FormatDate's code.
std::string DateIn(const char* zone, std::string* formatted) {
  setenv("TZ", zone, 1);
  tzset();
  const std::time_t now = std::time(nullptr);
  char expected[16];
  std::strftime(expected, sizeof expected, "%Y-%m-%d", std::localtime(&now));
  *formatted = FormatDate();
  return expected;
}

TEST_F(LogTimeTest, DateFollowsTZ) {
  const char* saved = std::getenv("TZ");
  const std::string saved_zone = saved != nullptr ? saved : "";
  for (const char* zone : {"UTC0", "XST-14", "YST12"}) {  // 26 hours apart: dates differ
    std::string formatted;
    const std::string expected = DateIn(zone, &formatted);
    EXPECT_EQ(formatted, expected) << zone;
  }
  if (saved != nullptr) {
    setenv("TZ", saved_zone.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST_F(LogTimeTest, TimestampIsKeptWhileTheTickCountStays) {
  SetLocalTime(9, 4, 3, 7);
  const std::string first = GetTimestampText();
  EXPECT_THAT(first, ::testing::MatchesRegex(R"(\[ [0-9]{4}-[0-9]{2}-[0-9]{2} 09:04:03:007 \])"));
  SetLocalTime(9, 4, 3, 8);
  EXPECT_EQ(GetTimestampText(), first);  // same tick: same text, milliseconds included
  system().tick_count += 1;
  EXPECT_THAT(GetTimestampText(), ::testing::HasSubstr("09:04:03:008 ]"));
}

TEST_F(LogTimeTest, ThreadTextIsTheIdInDecimalAndFollowsTheThread) {
  system().current_thread_id = 5208;
  EXPECT_EQ(GetThreadIdText(), "[ 5208 ]");
  system().current_thread_id = 0xFFFFFFFF;
  EXPECT_EQ(GetThreadIdText(), "[ 4294967295 ]");
  system().current_thread_id = 0;
  EXPECT_EQ(GetThreadIdText(), "[ 0 ]");
}

}  // namespace
