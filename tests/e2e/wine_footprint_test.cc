// What the handler leaves behind under Wine: nothing in the registry, no file but its log,
// and no process ended but those it was asked to end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "handler_messages.h"
#include "log_lines.h"
#include "wine_fixture.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;
using namespace expected;

class FootprintTest : public WineTest {
 protected:
  // Both registry views of HKEY_LOCAL_MACHINE and the user's hive, as reg export writes them.
  std::vector<std::string> RegistryExports() {
    std::vector<std::string> exports;
    for (const char* view : {"/reg:32", "/reg:64"}) {
      for (const char* root : {"HKLM", "HKCU"}) {
        const fs::path file = work_ / "export.reg";
        fs::remove(file);
        EXPECT_EQ(Wine({"reg", "export", root, WindowsPath(file), view, "/y"}), 0);
        exports.push_back(ReadFile(file));
      }
    }
    return exports;
  }

  // Every file and folder below drive C, but for the test's stand-ins and their files.
  std::set<std::string> DriveCFiles() const {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(kDriveC)) {
      const std::string path = entry.path().string();
      if (path.rfind((work_ / "apps").string(), 0) == 0) continue;
      files.insert(path);
    }
    return files;
  }
};

TEST_F(FootprintTest, RunEndsOnlyWhatItIsAskedToAndLeavesOnlyItsLog) {
  BootWithUptime(3 * 60 * kMinute);
  SetRegistry(kPatchKey, "alwaysKillApps", "REG_DWORD", "1", "/reg:32");
  const fs::path log = UseAgentWithLogs() / "hvprereqhandler.log";
  StartStandIn("apps", "chrome.exe");
  StartStandIn("apps", "caf\xc3\xa9.exe");  // café.exe
  StartStandIn("apps", "svchost.exe");
  const std::vector<std::string> registry_before = RegistryExports();
  const std::set<std::string> files_before = DriveCFiles();

  // CAFÉ.EXE differs from café.exe beyond ASCII case; the handler is on its own list.
  EXPECT_EQ(RunHandler({"-e", "CAF\xc3\x89.EXE", "-e", "hvprereqhandler.exe", "-e", "svchost.exe"}),
            20001);  // its own exit code: it did not end itself

  EXPECT_EQ(ExitCodeOf("apps", "chrome.exe"), 1);
  EXPECT_EQ(ExitCodeOf("apps", "caf\xc3\xa9.exe", 2), kNoExitCode);
  EXPECT_EQ(ExitCodeOf("apps", "svchost.exe", 0), kNoExitCode);
  EXPECT_THAT(
      CheckedMessages(log),
      ElementsAre(Running("chrome.exe"), Running("svchost.exe"), Found("chrome.exe, svchost.exe"),
                  kAlwaysKill, FailedToKill("svchost.exe", 5), Running("svchost.exe"),
                  StillRunning("svchost.exe")));
  std::set<std::string> files_after = DriveCFiles();
  files_after.erase(log.string());
  files_after.erase(HandlerExitFile().string());
  EXPECT_EQ(files_after, files_before);
  EXPECT_EQ(RegistryExports(), registry_before);
}

}  // namespace
}  // namespace e2e
