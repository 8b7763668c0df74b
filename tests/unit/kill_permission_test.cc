#include "handler/kill_permission.h"

#include "handler_messages.h"
#include "host_test.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class KillPermissionTest : public LoggingTest {};

TEST_F(KillPermissionTest, AlwaysKillAppsOneNeedsNoUptime) {
  system().SetDword(View::k32, kPatchKey, "alwaysKillApps", 1);
  system().tick_count = 24ull * 3600 * 1000;
  EXPECT_TRUE(CanKillRunningExecutables());
  EXPECT_THAT(LoggedMessages(), ElementsAre(expected::kAlwaysKill));
  // startupThreshold is not read.
  for (const std::string& call : system().Calls(Api::kRegOpenKeyExA)) {
    EXPECT_THAT(call, ::testing::Not(::testing::HasSubstr("InternalSettings")));
  }
}

TEST_F(KillPermissionTest, OtherAlwaysKillAppsValuesLeaveItToTheUptime) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
  } cases[] = {
      {"two", REG_DWORD, {2, 0, 0, 0}},
      {"one as text", REG_SZ, {'1', 0}},
      {"one as qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"one with the top bit", REG_DWORD, {1, 0, 0, 0x80}},
  };
  system().tick_count = 15 * 60000 + 1;  // just past the default window
  for (const Case& c : cases) {
    system().SetValue(View::k32, kPatchKey, "alwaysKillApps", c.type, c.data);
    EXPECT_FALSE(CanKillRunningExecutables()) << c.what;
  }
  EXPECT_THAT(LoggedMessages(), IsEmpty());  // a refusal logs nothing
}

TEST_F(KillPermissionTest, AlwaysKillAppsOnlyInThe64BitViewDoesNotCount) {
  system().SetDword(View::k64, kPatchKey, "alwaysKillApps", 1);
  system().tick_count = 40 * 60000;
  EXPECT_FALSE(CanKillRunningExecutables());
}

TEST_F(KillPermissionTest, UptimeWithinTheWindowPermits) {
  system().tick_count = 15 * 60000;
  EXPECT_TRUE(CanKillRunningExecutables());
  EXPECT_THAT(LoggedMessages(), ElementsAre(expected::kStartupCycle));
  // alwaysKillApps, startupThreshold, then the log's own read of the install directory.
  EXPECT_THAT(system().Calls(Api::kRegOpenKeyExA).at(1),
              ::testing::HasSubstr("InternalSettings options=0 access=0x20219"));
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(KillPermissionTest, StartupWindowLimits) {
  struct Case {
    const char* what;
    bool set;
    DWORD threshold;
    ULONGLONG window_ms;
  } cases[] = {
      {"missing", false, 0, 900000},
      {"zero", true, 0, 900000},
      {"one", true, 1, 300000},
      {"four", true, 4, 300000},
      {"five", true, 5, 300000},
      {"twenty", true, 20, 1200000},
      {"thirty", true, 30, 1800000},
      {"thirty-one", true, 31, 1800000},
      {"top bit", true, 0x80000000, 1800000},
      {"all bits", true, 0xFFFFFFFF, 1800000},
  };
  for (const Case& c : cases) {
    fake::Reset();
    if (c.set) system().SetDword(View::k32, kInternalSettingsKey, "startupThreshold", c.threshold);
    EXPECT_TRUE(IsStartupCycle(c.window_ms)) << c.what << ": equal to the window";
    EXPECT_FALSE(IsStartupCycle(c.window_ms + 1)) << c.what << ": one millisecond past it";
  }
}

TEST_F(KillPermissionTest, UnreadableThresholdMeansTheDefaultWindow) {
  system().SetValue(View::k32, kInternalSettingsKey, "startupThreshold", REG_SZ, {'3', '0', 0});
  EXPECT_TRUE(IsStartupCycle(900000));
  EXPECT_FALSE(IsStartupCycle(900001));
  system().SetDword(View::k32, kInternalSettingsKey, "startupThreshold", 30);
  system().Fail(Api::kRegOpenKeyExA, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(IsStartupCycle(900001));
}

TEST_F(KillPermissionTest, UptimesBeyond32Bits) {
  EXPECT_FALSE(IsStartupCycle(0x100000000ull));
  EXPECT_FALSE(IsStartupCycle(~0ull));
  EXPECT_TRUE(IsStartupCycle(0));
}

}  // namespace
