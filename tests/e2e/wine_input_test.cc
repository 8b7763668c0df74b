// Bad input under Wine: registry values of every type and size, and command lines that are
// long, odd or hostile.
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

TEST_F(WineTest, EveryValueTypeAndDataSizeReadsAsDocumented) {
  BootWithUptime(20 * kMinute);
  fs::copy_file(kWin32BuildDir / "e2e" / "registry_matrix.exe", work_ / "bin" / "matrix.exe");
  const fs::path report = work_ / "matrix.out";

  EXPECT_EQ(Shell(WineCommand({WindowsPath(work_ / "bin" / "matrix.exe")}), report), 0)
      << ReadFile(report);

  // Three values, eight types, sizes 0 to 8.
  EXPECT_THAT(ReadFile(report), ::testing::HasSubstr("216 of 216 cases as expected"));
}

// A .reg file line for binary data: hex bytes, continued over lines of 25 bytes.
std::string RegBinary(const std::string& name, const std::vector<unsigned char>& bytes) {
  std::string line = "\"" + name + "\"=hex:";
  char hex[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
    line += hex;
    if (i + 1 < bytes.size()) line += (i % 25 == 24) ? ",\\\r\n  " : ",";
  }
  return line + "\r\n";
}

TEST_F(WineTest, VeryLargeValuesChangeNothing) {
  BootWithUptime(60 * kMinute);
  StartStandIn("apps", "chrome.exe");
  // A 32 KiB install directory, and both settings as 64 KiB binary data that starts like the
  // values that would permit ending applications.
  std::vector<unsigned char> binary(64 * 1024, 0);
  binary[0] = 1;
  const fs::path reg = work_ / "large.reg";
  std::ofstream(reg, std::ios::binary)
      << "Windows Registry Editor Version 5.00\r\n\r\n"
      << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent]\r\n"
      << "\"HVAgentInstallDir\"=\"C:\\\\" << std::string(32 * 1024, 'a') << "\"\r\n\r\n"
      << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent\\Patch]\r\n"
      << RegBinary("alwaysKillApps", binary) << "\r\n"
      << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent\\Patch\\InternalSettings]"
         "\r\n"
      << RegBinary("startupThreshold", binary);
  ASSERT_EQ(Wine({"reg", "import", WindowsPath(reg), "/reg:32"}), 0);

  EXPECT_EQ(RunHandler(), 20001);

  EXPECT_EQ(ExitCodeOf("apps", "chrome.exe", 2), kNoExitCode);
}

TEST_F(WineTest, LongOddAndHostileCommandLinesAreTakenAsNames) {
  BootWithUptime(3 * 60 * kMinute);
  SetRegistry(kPatchKey, "alwaysKillApps", "REG_DWORD", "1", "/reg:32");
  const fs::path logs = UseAgentWithLogs();
  // A printf directive and a byte above 127 (é in the ANSI code page) in running names.
  const std::string percent = "100%s%n%x.exe";
  const std::string accented_utf8 = "caf\xc3\xa9.exe";
  const std::string accented_ansi = "caf\xe9.exe";
  StartStandIn("apps", percent);
  StartStandIn("apps", accented_utf8);
  std::vector<std::string> args = {
      "-e", percent, "-e", accented_utf8, "-e", std::string(300, 'n'), "-e", "say \"hi\" \\\".exe"};
  for (int i = 0; i < 2000; ++i) {
    args.push_back("-e");
    args.push_back("x" + std::to_string(i));
  }

  EXPECT_EQ(RunHandler(args), 0);

  EXPECT_EQ(ExitCodeOf("apps", percent), 1);
  EXPECT_EQ(ExitCodeOf("apps", accented_utf8), 1);
  EXPECT_THAT(
      CheckedMessages(logs / "hvprereqhandler.log"),
      ElementsAre(Running(percent), Running(accented_ansi), Found(percent + ", " + accented_ansi),
                  kAlwaysKill, kKilledAll, kNothingLeft));
}

}  // namespace
}  // namespace e2e
