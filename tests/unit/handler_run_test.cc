#include "handler/handler_run.h"

#include <functional>

#include "handler_messages.h"
#include "host_test.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace expected;

class HandlerRunTest : public LoggingTest {
 protected:
  int Run(std::vector<std::string> args = {}) {
    args.insert(args.begin(), "C:\\agent\\hvprereqhandler.exe");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    return Main(static_cast<int>(argv.size()), argv.data());
  }
  void AlwaysKill() { system().SetDword(View::k32, kPatchKey, "alwaysKillApps", 1); }
};

TEST_F(HandlerRunTest, NothingRunning) {
  system().AddProcess("explorer.exe");
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(LoggedMessages(), ElementsAre(kNothingRunning));
  // One snapshot per built-in name, asked in the order of the list.
  EXPECT_EQ(system().Calls(Api::kCreateToolhelp32Snapshot).size(), 17u);
  EXPECT_THAT(system().Calls(Api::kSleep), IsEmpty());
}

TEST_F(HandlerRunTest, RunningButNotPermitted) {
  const DWORD chrome = system().AddProcess("chrome.exe");
  system().AddProcess("firefox.exe");
  system().tick_count = 15 * 60000 + 1;
  EXPECT_EQ(Run(), kExitApplicationInUse);
  EXPECT_THAT(LoggedMessages(), ElementsAre(Running("chrome.exe"), Running("firefox.exe"),
                                            Found("chrome.exe, firefox.exe"), kCannotKill));
  EXPECT_TRUE(system().process(chrome).running);
  EXPECT_THAT(system().Calls(Api::kOpenProcess), IsEmpty());
}

TEST_F(HandlerRunTest, AlwaysKillEndsEverythingAfterOnePause) {
  const DWORD chrome = system().AddProcess("chrome.exe");
  const DWORD second_chrome = system().AddProcess("chrome.exe");
  const DWORD teams = system().AddProcess("Teams.exe");
  AlwaysKill();
  system().tick_count = 48ull * 3600 * 1000;
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(LoggedMessages(),
              ElementsAre(Running("Teams.exe"), Running("chrome.exe"),
                          Found("Teams.exe, chrome.exe"), kAlwaysKill, kKilledAll, kNothingLeft));
  for (DWORD id : {chrome, second_chrome, teams}) {
    EXPECT_FALSE(system().process(id).running);
    EXPECT_EQ(system().process(id).exit_code, 1u);
  }
  EXPECT_THAT(system().Calls(Api::kSleep), ElementsAre("3000"));
  // First pass 17, one per name killed, second pass 17.
  EXPECT_EQ(system().Calls(Api::kCreateToolhelp32Snapshot).size(), 17u + 2u + 17u);
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(HandlerRunTest, StartupCyclePermits) {
  system().AddProcess("msedge.exe");
  system().tick_count = 2 * 60000;
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(LoggedMessages(), ElementsAre(Running("msedge.exe"), Found("msedge.exe"),
                                            kStartupCycle, kKilledAll, kNothingLeft));
}

TEST_F(HandlerRunTest, UpperCaseOptionReportsAndKillsBothNamesCapitalsFirst) {
  const DWORD chrome = system().AddProcess("chrome.exe");
  AlwaysKill();
  EXPECT_EQ(Run({"-e", "CHROME.EXE"}), 0);
  EXPECT_THAT(LoggedMessages(),
              ElementsAre(Running("CHROME.EXE"), Running("chrome.exe"),
                          Found("CHROME.EXE, chrome.exe"), kAlwaysKill, kKilledAll, kNothingLeft));
  EXPECT_FALSE(system().process(chrome).running);
  // CHROME.EXE ends the process; chrome.exe then finds nothing, which is success.
  EXPECT_EQ(system().Calls(Api::kTerminateProcess).size(), 1u);
}

TEST_F(HandlerRunTest, ProtectedNameStopsTheKillPassAndStaysRunning) {
  system().AddProcess("svchost.exe");
  const DWORD thunderbird = system().AddProcess("thunderbird.exe");
  const DWORD chrome = system().AddProcess("chrome.exe");
  AlwaysKill();
  EXPECT_EQ(Run({"-e", "svchost.exe"}), kExitApplicationInUse);
  EXPECT_THAT(
      LoggedMessages(),
      ElementsAre(Running("chrome.exe"), Running("svchost.exe"), Running("thunderbird.exe"),
                  Found("chrome.exe, svchost.exe, thunderbird.exe"), kAlwaysKill,
                  FailedToKill("svchost.exe", 5), Running("svchost.exe"),
                  Running("thunderbird.exe"), StillRunning("svchost.exe, thunderbird.exe")));
  EXPECT_FALSE(system().process(chrome).running);
  EXPECT_TRUE(system().process(thunderbird).running);  // after the failure: not attempted
}

TEST_F(HandlerRunTest, FailedKillOfAProcessThatEndsByItself) {
  const DWORD chrome = system().AddProcess("chrome.exe", ERROR_ACCESS_DENIED);
  system().on_sleep = [this, chrome](DWORD) { system().process(chrome).running = false; };
  AlwaysKill();
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(LoggedMessages(), ElementsAre(Running("chrome.exe"), Found("chrome.exe"), kAlwaysKill,
                                            FailedToKill("chrome.exe", 5), kNothingLeft));
}

TEST_F(HandlerRunTest, SecondLookReportsOnlyWhatItFinds) {
  system().AddProcess("brave.exe");
  system().AddProcess("opera.exe");
  system().on_sleep = [this](DWORD) { system().AddProcess("opera.exe"); };  // restarted
  AlwaysKill();
  EXPECT_EQ(Run(), kExitApplicationInUse);
  EXPECT_THAT(LoggedMessages(), ElementsAre(Running("brave.exe"), Running("opera.exe"),
                                            Found("brave.exe, opera.exe"), kAlwaysKill, kKilledAll,
                                            Running("opera.exe"), StillRunning("opera.exe")));
}

TEST_F(HandlerRunTest, SecondLookCoversTheWholeTargetList) {
  system().AddProcess("brave.exe");
  system().on_sleep = [this](DWORD) { system().AddProcess("vexo.exe"); };  // new meanwhile
  AlwaysKill();
  EXPECT_EQ(Run(), kExitApplicationInUse);
  EXPECT_EQ(LoggedMessages().back(), StillRunning("vexo.exe"));
}

TEST_F(HandlerRunTest, UnreadableProcessListCountsAsNothingRunning) {
  system().AddProcess("chrome.exe");
  system().Fail(Api::kCreateToolhelp32Snapshot, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(LoggedMessages(), ElementsAre(kNothingRunning));
}

TEST_F(HandlerRunTest, ProcessListLostBeforeTheKillPassIsReportedAsAFailure) {
  const DWORD chrome = system().AddProcess("chrome.exe");
  AlwaysKill();
  // The first pass reads the list 17 times; the kill pass's read fails, the second pass's
  // reads work again and still find chrome.exe.
  system().FailCall(Api::kCreateToolhelp32Snapshot, 18, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Run(), kExitApplicationInUse);
  EXPECT_THAT(LoggedMessages(), ElementsAre(Running("chrome.exe"), Found("chrome.exe"), kAlwaysKill,
                                            FailedToKill("chrome.exe", 8), Running("chrome.exe"),
                                            StillRunning("chrome.exe")));
  EXPECT_TRUE(system().process(chrome).running);
}

// Faults of the termination of chrome.exe, the one running target, with alwaysKillApps 1.
// The first pass takes snapshots 1 to 17, the kill pass number 18.
TEST_F(HandlerRunTest, TerminationFaultsGiveTheirMessagesAndTheSecondLookDecides) {
  struct Case {
    const char* what;
    std::function<void(fake::System&, DWORD chrome)> arrange;
    std::vector<std::string> messages_after_kill;
    int exit_code;
  } cases[] = {
      {"TerminateProcess fails",
       [](fake::System& s, DWORD) { s.Fail(Api::kTerminateProcess, ERROR_ACCESS_DENIED); },
       {FailedToKill("chrome.exe", 5), Running("chrome.exe"), StillRunning("chrome.exe")},
       kExitApplicationInUse},
      {"OpenProcess fails",
       [](fake::System& s, DWORD) { s.Fail(Api::kOpenProcess, ERROR_ACCESS_DENIED); },
       {FailedToKill("chrome.exe", 5), Running("chrome.exe"), StillRunning("chrome.exe")},
       kExitApplicationInUse},
      {"ended between the snapshot and OpenProcess",
       [](fake::System& s, DWORD chrome) {
         s.after_snapshot = [&s, chrome](int n) {
           if (n == 18) s.process(chrome).running = false;
         };
       },
       {FailedToKill("chrome.exe", ERROR_INVALID_PARAMETER), kNothingLeft},
       0},
      {"ended before the kill pass",
       [](fake::System& s, DWORD chrome) {
         s.after_snapshot = [&s, chrome](int n) {
           if (n == 17) s.process(chrome).running = false;
         };
       },
       {kKilledAll, kNothingLeft},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartNewProcess();
    std::filesystem::remove_all("agent");
    UseInstallDir("agent");
    AlwaysKill();
    const DWORD chrome = system().AddProcess("chrome.exe");
    c.arrange(system(), chrome);
    EXPECT_EQ(Run(), c.exit_code);
    std::vector<std::string> expected = {Running("chrome.exe"), Found("chrome.exe"), kAlwaysKill};
    expected.insert(expected.end(), c.messages_after_kill.begin(), c.messages_after_kill.end());
    EXPECT_THAT(LoggedMessages(), ::testing::ContainerEq(expected));
    EXPECT_EQ(HandlesLeftAtExit(), 0);
  }
}

TEST_F(HandlerRunTest, ExitCodeDoesNotDependOnTheLog) {
  std::filesystem::remove_all("agent/logs");
  system().AddProcess("chrome.exe");
  system().tick_count = 40 * 60000;
  EXPECT_EQ(Run(), kExitApplicationInUse);
  EXPECT_FALSE(std::filesystem::exists("agent/logs"));
}

TEST(JoinNamesTest, Joins) {
  EXPECT_EQ(JoinNames({}), "");
  EXPECT_EQ(JoinNames({"chrome.exe"}), "chrome.exe");
  EXPECT_EQ(JoinNames({"a.exe", "b.exe", "c.exe"}), "a.exe, b.exe, c.exe");
  EXPECT_EQ(JoinNames({"", "a.exe"}), ", a.exe");  // an empty name keeps its place
}

}  // namespace
