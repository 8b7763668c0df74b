// The handler's decisions and its log under Wine, one run at a time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "handler_messages.h"
#include "log_lines.h"
#include "wine_fixture.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;
using namespace expected;

TEST_F(WineTest, AlwaysKillEndsTheStandInAndSparesProtectedProcesses) {
  BootWithUptime(3 * 60 * kMinute);
  SetRegistry(kPatchKey, "alwaysKillApps", "REG_DWORD", "1", "/reg:32");
  fs::create_directories(work_ / "hv agent" / "logs");
  // Forward slashes, a doubled and a trailing separator: the log path comes out clean.
  SetInstallDir(WindowsPath(work_) + "/hv agent//");
  StartStandIn("apps", "chrome.exe");

  EXPECT_EQ(RunHandler({"-e", "svchost.exe", "-e", "services.exe"}), 20001);

  EXPECT_EQ(ExitCodeOf("apps", "chrome.exe"), 1);
  EXPECT_THAT(CheckedMessages(work_ / "hv agent" / "logs" / "hvprereqhandler.log"),
              ElementsAre(Running("chrome.exe"), Running("services.exe"), Running("svchost.exe"),
                          Found("chrome.exe, services.exe, svchost.exe"), kAlwaysKill,
                          FailedToKill("services.exe", 5), Running("services.exe"),
                          Running("svchost.exe"), StillRunning("services.exe, svchost.exe")));
}

TEST_F(WineTest, SettingsOnlyIn64BitViewDoNotCountAndTheThresholdShortensTheWindow) {
  BootWithUptime(10 * kMinute);  // inside the default window of 15 minutes
  SetRegistry(kPatchKey, "alwaysKillApps", "REG_DWORD", "1", "/reg:64");
  SetRegistry(kInternalSettingsKey, "startupThreshold", "REG_DWORD", "5", "/reg:32");
  const fs::path logs = UseAgentWithLogs();
  StartStandIn("apps", "chrome.exe");

  EXPECT_EQ(RunHandler(), 20001);

  EXPECT_EQ(ExitCodeOf("apps", "chrome.exe", 5), kNoExitCode);  // still running
  EXPECT_THAT(CheckedMessages(logs / "hvprereqhandler.log"),
              ElementsAre(Running("chrome.exe"), Found("chrome.exe"), kCannotKill));
}

TEST_F(WineTest, StartupWindowPermitsEndingAStandInOfAnyCase) {
  BootWithUptime(10 * kMinute);
  const fs::path logs = UseAgentWithLogs();
  StartStandIn("apps", "CHROME.EXE");

  EXPECT_EQ(RunHandler({"-E", "CHROME.EXE"}), 0);

  EXPECT_EQ(ExitCodeOf("apps", "CHROME.EXE"), 1);
  EXPECT_THAT(
      CheckedMessages(logs / "hvprereqhandler.log"),
      ElementsAre(Running("CHROME.EXE"), Running("chrome.exe"), Found("CHROME.EXE, chrome.exe"),
                  kStartupCycle, kKilledAll, kNothingLeft));
}

TEST_F(WineTest, UnreadableInstallDirLogsBelowTheCurrentDirectory) {
  BootWithUptime(60 * kMinute);
  SetRegistry(kAgentKey, "HVAgentInstallDir", "REG_EXPAND_SZ", "C:\\agent", "/reg:32");
  fs::create_directories(work_ / "logs");  // the handler's current directory is work_

  EXPECT_EQ(RunHandler(), 0);

  EXPECT_THAT(CheckedMessages(work_ / "logs" / "hvprereqhandler.log"),
              ElementsAre(kNothingRunning));
}

TEST_F(WineTest, MissingLogsFolderLeavesNothingBehind) {
  BootWithUptime(60 * kMinute);
  fs::create_directories(work_ / "agent");
  SetInstallDir(WindowsPath(work_ / "agent"));
  StartStandIn("apps", "firefox.exe");

  EXPECT_EQ(RunHandler(), 20001);

  EXPECT_TRUE(fs::is_empty(work_ / "agent"));
  EXPECT_EQ(ExitCodeOf("apps", "firefox.exe", 2), kNoExitCode);
}

TEST_F(WineTest, LogAtTheLimitIsCopiedDownAndEmptied) {
  BootWithUptime(60 * kMinute);
  const fs::path logs = UseAgentWithLogs();
  const std::string full(kRotationLimit, 'x');
  std::ofstream(logs / "hvprereqhandler.log", std::ios::binary) << full;
  std::ofstream(logs / "hvprereqhandler1.log", std::ios::binary) << "generation 1";
  fs::create_directory(logs / "hvprereqhandler2.log");  // its copy fails; it stays
  std::ofstream(logs / "hvprereqhandler4.log", std::ios::binary) << "generation 4";

  EXPECT_EQ(RunHandler(), 0);

  EXPECT_EQ(ReadFile(logs / "hvprereqhandler1.log"), full);
  EXPECT_TRUE(fs::is_directory(logs / "hvprereqhandler2.log"));
  EXPECT_FALSE(fs::exists(logs / "hvprereqhandler3.log"));
  EXPECT_EQ(ReadFile(logs / "hvprereqhandler4.log"), "generation 4");
  EXPECT_THAT(CheckedMessages(logs / "hvprereqhandler.log"), ElementsAre(kNothingRunning));
}

TEST_F(WineTest, LogBelowTheLimitIsAppendedTo) {
  BootWithUptime(60 * kMinute);
  const fs::path logs = UseAgentWithLogs();
  const std::string almost_full(kRotationLimit - 1, 'x');
  std::ofstream(logs / "hvprereqhandler.log", std::ios::binary) << almost_full;

  EXPECT_EQ(RunHandler(), 0);

  EXPECT_FALSE(fs::exists(logs / "hvprereqhandler1.log"));
  const std::string log = ReadFile(logs / "hvprereqhandler.log");
  EXPECT_EQ(log.substr(0, almost_full.size()), almost_full);
  EXPECT_THAT(log.substr(almost_full.size()), ::testing::HasSubstr("] [ INFO ] Log Open : "));
}

}  // namespace
}  // namespace e2e
