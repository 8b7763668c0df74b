#include "process/process_control.h"

#include "host_test.h"
#include "process/name_match.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ProcessControlTest : public HostTest {};

TEST(NamesMatchTest, FoldsOnlyAsciiLetters) {
  struct Case {
    const char* a;
    const char* b;
    bool match;
  } cases[] = {
      {"chrome.exe", "Chrome.EXE", true},
      {"CHROME.EXE", "chrome.exe", true},
      {"chrome", "chrome.exe", false},
      {"C:\\Apps\\chrome.exe", "chrome.exe", false},
      {" chrome.exe", "chrome.exe", false},
      {"chrome.exe ", "chrome.exe", false},
      {"\xC4pp.exe", "\xE4pp.exe", false},  // Latin-1 capital and small A with diaeresis
      {"\xC4pp.exe", "\xC4pp.exe", true},
      {"[.exe", "{.exe", false},  // '[' and '{' sit 32 apart like letters, but are no letters
      {"", "", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NamesMatch(c.a, c.b), c.match) << c.a << " / " << c.b;
  }
}

TEST_F(ProcessControlTest, RunningMatchesImageNamesIgnoringAsciiCase) {
  system().AddProcess("Chrome.EXE");
  EXPECT_TRUE(IsProcessRunning("chrome.exe"));
  EXPECT_FALSE(IsProcessRunning("chrome"));
  EXPECT_FALSE(IsProcessRunning("firefox.exe"));
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ProcessControlTest, RunningTakesOneSnapshotAndStopsAtTheFirstMatch) {
  system().AddProcess("a.exe");
  system().AddProcess("chrome.exe");
  system().AddProcess("z.exe");
  EXPECT_TRUE(IsProcessRunning("chrome.exe"));
  EXPECT_THAT(system().Calls(Api::kCreateToolhelp32Snapshot), ElementsAre("flags=2 pid=0"));
  EXPECT_THAT(system().Calls(Api::kProcess32First), ElementsAre("dwSize=296"));
  EXPECT_EQ(system().Calls(Api::kProcess32Next).size(), 1u);
  EXPECT_THAT(system().Calls(Api::kCloseHandle), ElementsAre("snapshot"));
}

TEST_F(ProcessControlTest, OwnProcessIsNeitherReportedNorEnded) {
  system().AddProcessWithId(system().current_process_id, "hvprereqhandler.exe");
  EXPECT_FALSE(IsProcessRunning("hvprereqhandler.exe"));
  EXPECT_EQ(TerminateProcessesByName("hvprereqhandler.exe"), ERROR_SUCCESS);
  EXPECT_THAT(system().Calls(Api::kOpenProcess), IsEmpty());

  const DWORD second_instance = system().AddProcess("hvprereqhandler.exe");
  EXPECT_TRUE(IsProcessRunning("hvprereqhandler.exe"));
  EXPECT_EQ(TerminateProcessesByName("hvprereqhandler.exe"), ERROR_SUCCESS);
  EXPECT_FALSE(system().process(second_instance).running);
  EXPECT_TRUE(system().process(system().current_process_id).running);
}

TEST_F(ProcessControlTest, UnreadableProcessListMeansNothingRuns) {
  system().AddProcess("chrome.exe");
  system().Fail(Api::kCreateToolhelp32Snapshot, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(IsProcessRunning("chrome.exe"));
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ProcessControlTest, FailedFirstEntryClosesTheSnapshot) {
  system().AddProcess("chrome.exe");
  system().Fail(Api::kProcess32First, ERROR_NO_MORE_FILES);
  EXPECT_FALSE(IsProcessRunning("chrome.exe"));
  EXPECT_EQ(TerminateProcessesByName("chrome.exe"), ERROR_SUCCESS);
  EXPECT_THAT(system().Calls(Api::kCloseHandle), ElementsAre("snapshot", "snapshot"));
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ProcessControlTest, EmptyNameIsComparedButNeverEnded) {
  EXPECT_FALSE(IsProcessRunning(""));
  const DWORD nameless = system().AddProcess("");
  EXPECT_TRUE(IsProcessRunning(""));
  EXPECT_EQ(TerminateProcessesByName(""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(system().Calls(Api::kCreateToolhelp32Snapshot).size(), 2u);  // the two checks only
  EXPECT_TRUE(system().process(nameless).running);
}

TEST_F(ProcessControlTest, ProtectedNamesInAnyCaseAreRefusedWithoutSnapshot) {
  const DWORD svchost = system().AddProcess("svchost.exe");
  for (const char* name :
       {"System", "SYSTEM", "Idle", "smss.exe", "csrss.exe", "wininit.exe", "services.exe",
        "lsass.exe", "svchost.exe", "SVCHOST.EXE", "winlogon.exe", "spoolsv.exe", "taskhostw.exe",
        "fontdrvhost.exe", "audiodg.exe", "ntoskrnl.exe"}) {
    EXPECT_TRUE(IsProtectedProcess(name)) << name;
    EXPECT_EQ(TerminateProcessesByName(name), ERROR_ACCESS_DENIED) << name;
  }
  EXPECT_THAT(system().Calls(Api::kCreateToolhelp32Snapshot), IsEmpty());
  EXPECT_THAT(system().Calls(Api::kOpenProcess), IsEmpty());
  EXPECT_TRUE(system().process(svchost).running);
  // The detection side does not consult the protected names.
  EXPECT_TRUE(IsProcessRunning("svchost.exe"));
}

TEST_F(ProcessControlTest, NearProtectedNamesAreNotProtected) {
  for (const char* name :
       {"svchost", "C:\\Windows\\System32\\svchost.exe", " System", "Systems", "chrome.exe"}) {
    EXPECT_FALSE(IsProtectedProcess(name)) << name;
  }
  EXPECT_EQ(TerminateProcessesByName("C:\\Windows\\System32\\svchost.exe"), ERROR_SUCCESS);
}

TEST_F(ProcessControlTest, EndsEveryMatchWithExitCodeOneAndClosesEachHandle) {
  const DWORD first = system().AddProcess("chrome.exe");
  const DWORD other = system().AddProcess("firefox.exe");
  const DWORD second = system().AddProcess("CHROME.exe");
  EXPECT_EQ(TerminateProcessesByName("chrome.exe"), ERROR_SUCCESS);
  EXPECT_FALSE(system().process(first).running);
  EXPECT_FALSE(system().process(second).running);
  EXPECT_EQ(system().process(first).exit_code, 1u);
  EXPECT_TRUE(system().process(other).running);
  EXPECT_THAT(system().Calls(Api::kOpenProcess),
              ElementsAre("access=0x1 inherit=0 pid=" + std::to_string(first),
                          "access=0x1 inherit=0 pid=" + std::to_string(second)));
  EXPECT_THAT(system().Calls(Api::kTerminateProcess),
              ElementsAre("pid=" + std::to_string(first) + " exit_code=1",
                          "pid=" + std::to_string(second) + " exit_code=1"));
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ProcessControlTest, NoMatchingProcessIsSuccess) {
  system().AddProcess("firefox.exe");
  EXPECT_EQ(TerminateProcessesByName("chrome.exe"), ERROR_SUCCESS);
  EXPECT_THAT(system().Calls(Api::kOpenProcess), IsEmpty());
}

TEST_F(ProcessControlTest, AccessDeniedFirstStillEndsTheSecond) {
  const DWORD refusing = system().AddProcess("chrome.exe", ERROR_ACCESS_DENIED);
  const DWORD second = system().AddProcess("chrome.exe");
  EXPECT_EQ(TerminateProcessesByName("chrome.exe"), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(system().process(refusing).running);
  EXPECT_FALSE(system().process(second).running);
  EXPECT_EQ(system().process(second).exit_code, 1u);
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ProcessControlTest, LastFailureWinsAndLaterSuccessDoesNotReset) {
  system().AddProcess("chrome.exe", ERROR_ACCESS_DENIED);
  system().AddProcess("chrome.exe");
  system().AddProcess("chrome.exe");
  system().AddProcess("chrome.exe");
  system().FailCall(Api::kTerminateProcess, 1, 31);  // the second process's terminate
  EXPECT_EQ(TerminateProcessesByName("chrome.exe"), 31u);
  EXPECT_EQ(system().Calls(Api::kTerminateProcess).size(), 3u);
  EXPECT_EQ(system().Calls(Api::kCloseHandle).size(), 4u);  // three processes and the snapshot
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ProcessControlTest, OpenFailureCodeIsReturned) {
  system().AddProcess("chrome.exe");
  system().Fail(Api::kOpenProcess, ERROR_INVALID_PARAMETER);  // the process ended meanwhile
  EXPECT_EQ(TerminateProcessesByName("chrome.exe"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ProcessControlTest, UnreadableProcessListIsNoSuccessForTermination) {
  system().AddProcess("chrome.exe");
  system().Fail(Api::kCreateToolhelp32Snapshot, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(TerminateProcessesByName("chrome.exe"), ERROR_NOT_ENOUGH_MEMORY);
}

}  // namespace
