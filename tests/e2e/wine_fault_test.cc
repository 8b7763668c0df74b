// The handler under Wine on a machine in poor shape: a full disk, a log it may not write,
// generations it may not replace, and an end from outside in the middle of a run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "handler_messages.h"
#include "log_lines.h"
#include "wine_fixture.h"

namespace e2e {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using namespace expected;

// Lines that earlier runs left in the log.
const std::string kEarlierLines =
    "[ 2024-01-01 00:00:00:000 ][ 1 ] [ INFO ] operation : Main; an earlier run\r\n"
    "[ 2024-01-01 00:00:00:000 ][ 1 ] [ INFO ] Log Close : 2024-01-01 00:00:00:000\r\n";

// Makes `file` read-only also for Wine running as root, which writes to any file that Unix
// permissions protect: an immutable file can be opened for reading only.
void MakeReadOnly(const fs::path& file) {
  ASSERT_EQ(std::system(("chattr +i '" + file.string() + "'").c_str()), 0);
}

// A small tmpfs of the test's own, seen by Wine as drive T:.
class FullDiskTest : public WineTest {
 protected:
  void SetUp() override {
    WineTest::SetUp();
    disk_ = work_ / "disk";
    fs::create_directories(disk_);
    ASSERT_EQ(mount("tmpfs", disk_.c_str(), "tmpfs", 0, "size=256k"), 0) << "mount failed";
    fs::remove(DriveLink());
    fs::create_directory_symlink(disk_, DriveLink());
  }

  void TearDown() override {
    WineTest::TearDown();  // ends Wine first: it may hold files on the disk open
    fs::remove(DriveLink());
    umount(disk_.c_str());
  }

  static fs::path DriveLink() { return kPrefix / "dosdevices" / "t:"; }

  // Fills every free block of the disk.
  void FillDisk() {
    Shell("dd if=/dev/zero of=" + Quoted((disk_ / "filler").string()) + " bs=4096", output_);
  }

  fs::path disk_;
};

TEST_F(FullDiskTest, RunDecidesAsUsualAndTheNextRunWritesWholeLines) {
  BootWithUptime(3 * 60 * kMinute);
  SetRegistry(kPatchKey, "alwaysKillApps", "REG_DWORD", "1", "/reg:32");
  SetRegistry(kAgentKey, "HVAgentInstallDir", "REG_SZ", "T:\\agent", "/reg:32");
  const fs::path log = disk_ / "agent" / "logs" / "hvprereqhandler.log";
  fs::create_directories(log.parent_path());
  // Earlier lines filling all but 96 bytes of the log's last block: room for the opening
  // banner and the start of the next line, so that the disk fills in the middle of a line.
  const std::string earlier = EarlierLog(4000);
  std::ofstream(log, std::ios::binary) << earlier;
  FillDisk();
  StartStandIn("apps", "chrome.exe");

  EXPECT_EQ(RunHandler(), 0);
  EXPECT_EQ(ExitCodeOf("apps", "chrome.exe"), 1);

  fs::remove(disk_ / "filler");
  EXPECT_EQ(RunHandler(), 0);  // nothing runs any more

  const std::string text = ReadFile(log);
  ASSERT_EQ(text.substr(0, earlier.size()), earlier);
  const std::vector<std::string> lines = CrLfLines(log);
  ASSERT_GE(lines.size(), 3u);
  const std::vector<std::string> second_run(lines.end() - 3, lines.end());
  EXPECT_THAT(second_run, Each(MatchesRegex(kLinePattern)));
  EXPECT_THAT(MessagesOf(second_run), ElementsAre(kNothingRunning));
}

// A log the handler cannot write to: the run goes on as usual and leaves the file as it was.
struct UnwritableLog {
  const char* name;
  // Makes the log at the given Linux path unwritable; returns the Windows path of a file
  // for a stand-in to hold open, sharing nothing, or empty text.
  std::function<std::string(const fs::path&)> arrange;
};

class UnwritableLogTest : public WineTest, public ::testing::WithParamInterface<UnwritableLog> {};

TEST_P(UnwritableLogTest, RunGoesOnAndTheLogStaysAsItWas) {
  BootWithUptime(60 * kMinute);
  const fs::path logs = UseAgentWithLogs();
  const fs::path log = logs / "hvprereqhandler.log";
  std::ofstream(log, std::ios::binary) << kEarlierLines;
  const std::string held = GetParam().arrange(log);
  if (!held.empty()) StartStandIn("locker", "locker.exe", held);
  StartStandIn("apps", "opera.exe");

  EXPECT_EQ(RunHandler(), 20001);

  EXPECT_EQ(ExitCodeOf("apps", "opera.exe", 2), kNoExitCode);
  StopWine(output_);  // the locker lets go of the log
  if (fs::is_regular_file(logs)) {
    EXPECT_EQ(ReadFile(logs), kEarlierLines);
  } else {
    EXPECT_EQ(ReadFile(log), kEarlierLines);
    EXPECT_EQ(std::distance(fs::directory_iterator(logs), fs::directory_iterator()), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnwritableLogTest,
    ::testing::Values(UnwritableLog{"ReadOnly",
                                    [](const fs::path& log) {
                                      MakeReadOnly(log);
                                      return std::string();
                                    }},
                      UnwritableLog{"LockedByAnother",
                                    [](const fs::path& log) { return WindowsPath(log); }},
                      UnwritableLog{"LogsFolderIsAFile",
                                    [](const fs::path& log) {
                                      const fs::path logs = log.parent_path();
                                      fs::remove_all(logs);
                                      std::ofstream(logs, std::ios::binary) << kEarlierLines;
                                      return std::string();
                                    }}),
    [](const ::testing::TestParamInfo<UnwritableLog>& info) { return info.param.name; });

// A generation the rotation cannot replace: the log is kept, not emptied, and the run's
// lines follow its old ones.
class StuckGenerationTest : public WineTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(StuckGenerationTest, LogAtTheLimitKeepsItsLines) {
  BootWithUptime(60 * kMinute);
  const fs::path logs = UseAgentWithLogs();
  const std::string full(kRotationLimit, 'x');
  std::ofstream(logs / "hvprereqhandler.log", std::ios::binary) << full;
  const fs::path generation = logs / "hvprereqhandler1.log";
  if (std::string(GetParam()) == "ReadOnly") {
    std::ofstream(generation, std::ios::binary) << "generation 1";
    MakeReadOnly(generation);
  } else {
    fs::create_directory(generation);
  }

  EXPECT_EQ(RunHandler(), 0);

  const std::string log = ReadFile(logs / "hvprereqhandler.log");
  EXPECT_TRUE(log.substr(0, full.size()) == full) << "the log's old lines are lost";
  EXPECT_THAT(MessagesOf(CrLfLines(logs / "hvprereqhandler.log")),
              ::testing::Contains(kNothingRunning));
  if (fs::is_regular_file(generation)) {
    EXPECT_EQ(ReadFile(generation), "generation 1");
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, StuckGenerationTest, ::testing::Values("ReadOnly", "Directory"));

TEST_F(WineTest, HandlerEndedDuringThePauseLeavesEveryEarlierLine) {
  BootWithUptime(3 * 60 * kMinute);
  SetRegistry(kPatchKey, "alwaysKillApps", "REG_DWORD", "1", "/reg:32");
  const fs::path log = UseAgentWithLogs() / "hvprereqhandler.log";

  // services.exe cannot be ended, so the handler pauses for 3000 ms before it looks again.
  Shell(HandlerCommand({"-e", "services.exe"}) + " &", output_);
  bool paused = false;
  for (int i = 0; i < 600 && !paused; ++i) {
    paused = ReadFile(log).find("Failed to kill process services.exe") != std::string::npos;
    if (!paused) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(paused) << "the handler did not reach its pause";
  // The handler's own Unix process is the one whose program, right after Wine's loader, is
  // the handler: the launcher's names it only as an argument.
  EXPECT_EQ(Shell(R"(pkill -KILL -f 'wine[^ ]* [^ ]*\\hvprereqhandler\.exe')", output_), 0);
  ASSERT_TRUE(WaitForFile(HandlerExitFile(), 60));

  // Ended before its second look: a finished run would have exited with 20001. (Wine gives
  // a process whose Unix process was killed the exit code 0.)
  EXPECT_NE(ExitCodeIn(HandlerExitFile()), 20001);
  const std::vector<std::string> lines = CrLfLines(log);
  EXPECT_THAT(lines, Each(MatchesRegex(kLinePattern)));
  EXPECT_THAT(lines.front(), ::testing::HasSubstr("] [ INFO ] Log Open : "));
  EXPECT_THAT(MessagesOf(lines), ElementsAre(Running("services.exe"), Found("services.exe"),
                                             kAlwaysKill, FailedToKill("services.exe", 5)));
  EXPECT_THAT(lines.back(), ::testing::Not(::testing::HasSubstr("Log Close")));
}

}  // namespace
}  // namespace e2e
