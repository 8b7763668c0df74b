#include "log/log_path.h"

#include "host_test.h"
#include "log/log.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(NormalizePathTest, Paths) {
  struct Case {
    const char* path;
    const char* normalized;
  } cases[] = {
      {"C:\\Program Files (x86)\\Agent\\logs\\x.log",
       "C:\\Program Files (x86)\\Agent\\logs\\x.log"},
      {"C:/Agent//logs\\/x.log", "C:\\Agent\\logs\\x.log"},
      {"C:\\\\logs\\x.log", "C:\\logs\\x.log"},
      {"\\\\server\\share\\Agent\\logs\\x.log", "server\\share\\Agent\\logs\\x.log"},
      {"\\root-relative\\", "root-relative"},
      {"\\logs\\x.log", "logs\\x.log"},
      {"", ""},
      {"\\/\\", ""},
      {"a\\.\\..\\B", "a\\.\\..\\B"},  // only separators are looked at
  };
  for (const Case& c : cases) EXPECT_EQ(NormalizePath(c.path), c.normalized) << c.path;
}

class InstallDirTest : public HostTest {
 protected:
  void SetInstallDir(DWORD type, const std::string& bytes) {
    system().SetValue(View::k32, kAgentKey, "HVAgentInstallDir", type,
                      std::vector<BYTE>(bytes.begin(), bytes.end()));
  }
};

TEST_F(InstallDirTest, StringData) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string dir;
  } cases[] = {
      {"terminated", std::string("C:\\Agent\0", 9), "C:\\Agent"},
      {"unterminated", "C:\\Agent", "C:\\Agent"},
      {"NUL inside", std::string("C:\\Ag\0ent\0", 10), "C:\\Ag"},
      {"only a NUL", std::string("\0", 1), ""},
      {"size 0", "", ""},
      {"blanks kept", std::string(" C:\\Agent \0", 11), " C:\\Agent "},
  };
  for (const Case& c : cases) {
    SetInstallDir(REG_SZ, c.bytes);
    EXPECT_EQ(ReadAgentString(false), ERROR_SUCCESS) << c.what;
    EXPECT_EQ(ProcessLogState().install_dir, c.dir) << c.what;
  }
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(InstallDirTest, ReadsThe32BitView) {
  SetInstallDir(REG_SZ, std::string("C:\\Agent\0", 9));
  ReadAgentString(false);
  EXPECT_THAT(system().Calls(Api::kRegOpenKeyExA),
              ElementsAre(std::string("root=HKLM key=") + kAgentKey + " options=0 access=0x20219"));
  EXPECT_THAT(
      system().Calls(Api::kRegQueryValueExA),
      ElementsAre("name=HVAgentInstallDir no-data size=0", "name=HVAgentInstallDir data size=9"));
}

TEST_F(InstallDirTest, FailuresLeaveItEmpty) {
  ProcessLogState().install_dir = "left over";
  EXPECT_EQ(ReadAgentString(false), ERROR_FILE_NOT_FOUND);  // no key
  EXPECT_EQ(ProcessLogState().install_dir, "");

  system().SetValue(View::k64, kAgentKey, "HVAgentInstallDir", REG_SZ, {'C', ':', 0});
  EXPECT_EQ(ReadAgentString(false), ERROR_FILE_NOT_FOUND);  // only in the 64-bit view

  SetInstallDir(REG_EXPAND_SZ, std::string("%ProgramFiles%\\Agent\0", 22));
  EXPECT_EQ(ReadAgentString(false), ERROR_INVALID_DATATYPE);
  SetInstallDir(REG_BINARY, "C:\\");
  EXPECT_EQ(ReadAgentString(false), ERROR_INVALID_DATATYPE);

  SetInstallDir(REG_SZ, std::string("C:\\Agent\0", 9));
  system().FailCall(Api::kRegQueryValueExA, 2, ERROR_MORE_DATA);  // grew between the reads
  EXPECT_EQ(ReadAgentString(false), ERROR_MORE_DATA);
  EXPECT_EQ(ProcessLogState().install_dir, "");
  system().FailCall(Api::kRegQueryValueExA, 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadAgentString(false), ERROR_ACCESS_DENIED);

  system().open_key_yields_no_handle = true;
  EXPECT_EQ(ReadAgentString(false), ERROR_INVALID_HANDLE);
  EXPECT_EQ(ProcessLogState().install_dir, "");
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(InstallDirTest, LogFilePaths) {
  struct Case {
    const char* install_dir;
    const char* log_path;
  } cases[] = {
      {"C:\\Program Files (x86)\\Agent",
       "C:\\Program Files (x86)\\Agent\\logs\\hvprereqhandler.log"},
      {"C:/Agent/", "C:\\Agent\\logs\\hvprereqhandler.log"},
      {"C:\\", "C:\\logs\\hvprereqhandler.log"},
      {"\\\\server\\share\\Agent", "server\\share\\Agent\\logs\\hvprereqhandler.log"},
  };
  for (const Case& c : cases) {
    ProcessLogState() = LogState();
    system().SetString(View::k32, kAgentKey, "HVAgentInstallDir", c.install_dir);
    EXPECT_EQ(GetLogFilePath(), c.log_path) << c.install_dir;
  }
  ProcessLogState() = LogState();
  fake::Reset();
  EXPECT_EQ(GetLogFilePath(), "logs\\hvprereqhandler.log");
}

TEST_F(InstallDirTest, UnreadableInstallDirIsAskedForOncePerProcess) {
  std::filesystem::create_directory("logs");
  LogInfo("first");
  system().SetString(View::k32, kAgentKey, "HVAgentInstallDir", "agent");  // too late
  LogInfo("second");
  EXPECT_EQ(GetAgentLogDir(), "\\logs\\");
  EXPECT_EQ(system().Calls(Api::kRegOpenKeyExA).size(), 1u);
  EXPECT_EQ(CrLfLines("logs/hvprereqhandler.log").size(), 3u);  // banner and both lines
}

TEST_F(InstallDirTest, InstallDirIsReadAtTheFirstMessageOnly) {
  UseInstallDir("agent");
  EXPECT_THAT(system().Calls(Api::kRegOpenKeyExA), IsEmpty());
  LogInfo("one");
  LogError("two");
  CloseLogAtExit();
  EXPECT_EQ(system().Calls(Api::kRegOpenKeyExA).size(), 1u);
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

}  // namespace
