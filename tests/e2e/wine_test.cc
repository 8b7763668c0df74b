// End-to-end tests of the real 32-bit handler under Wine, in a 64-bit prefix: the registry
// views, process termination, the uptime (through a Linux time namespace around wineserver
// and every Windows process of a test) and the log file on disk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "handler_messages.h"
#include "log_lines.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using namespace expected;

const fs::path kWin32BuildDir = HVPREREQ_WIN32_BUILD_DIR;
const fs::path kE2eDir = HVPREREQ_E2E_DIR;
const fs::path kPrefix = kE2eDir / "prefix";
const fs::path kDriveC = kPrefix / "drive_c";
const char kWine64[] = "/usr/lib/wine/wine64";
const char kAgentKey[] = "HKLM\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent";
const char kPatchKey[] = "HKLM\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent\\Patch";
const char kInternalSettingsKey[] =
    "HKLM\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent\\Patch\\InternalSettings";
constexpr long kMinute = 60;
// A whole log line: time stamp, thread, level and some text.
const char kLinePattern[] =
    R"(\[ [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}:[0-9]{3} \]\[ [0-9]+ \] )"
    R"(\[ (INFO|ERROR) \] .+)";
constexpr long kNoExitCode = -1;  // the program still runs, or never ran

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The exit code that the launcher wrote to `file`, or kNoExitCode when there is none yet.
long ExitCodeIn(const fs::path& file) {
  const std::string text = ReadFile(file);
  return text.empty() ? kNoExitCode : std::stol(text);
}

// Waits up to `seconds` for `file` to appear; true when it has.
bool WaitForFile(const fs::path& file, int seconds) {
  for (int i = 0; i < seconds * 10 && !fs::exists(file); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return fs::exists(file);
}

long ClockSeconds(clockid_t clock) {
  timespec now = {};
  clock_gettime(clock, &now);
  return static_cast<long>(now.tv_sec);
}

// The Windows path of a file below the prefix's drive C.
std::string WindowsPath(const fs::path& below_drive_c) {
  std::string path = "C:\\" + fs::relative(below_drive_c, kDriveC).string();
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class WineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("WINEPREFIX", kPrefix.c_str(), 1);
    setenv("WINEARCH", "win64", 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    // Where 32-bit programs run through qemu-user, a smaller guest address space spares
    // Wine a long search for memory it cannot have; native runs ignore it.
    setenv("QEMU_RESERVED_VA", "0x81000000", 1);
    fs::create_directories(kE2eDir);
    if (!fs::exists(kPrefix / "system.reg")) {
      ASSERT_EQ(
          Shell("timeout 900 " + std::string(kWine64) + " wineboot -i", kE2eDir / "wineboot.out"),
          0)
          << "could not create the Wine prefix";
      Shell("wineserver -w", kE2eDir / "wineboot.out");
    }
  }

  static void TearDownTestSuite() { StopWine(kE2eDir / "teardown.out"); }

  // Ends the wineserver and every Windows process with it.
  static void StopWine(const fs::path& output) { Shell("wineserver -k; wineserver -w", output); }

  // Runs `command` with bash, its output going to `output` (a file: Wine's helper processes
  // inherit it and would hold a pipe open). Returns the exit status.
  static int Shell(const std::string& command, const fs::path& output) {
    const std::string line =
        "bash -c " + Quoted(command) + " >>" + Quoted(output) + " 2>&1 </dev/null";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    work_ = kDriveC / "e2e" / name;
    fs::remove_all(work_);
    fs::create_directories(work_ / "bin");
    for (const fs::path& program :
         {kWin32BuildDir / "hvprereqhandler.exe", kWin32BuildDir / "e2e" / "launcher.exe",
          kWin32BuildDir / "e2e" / "standin.exe"}) {
      ASSERT_TRUE(fs::exists(program)) << program << " is missing: build the win32 preset first";
      fs::copy_file(program, work_ / "bin" / program.filename());
    }
    output_ = work_ / "wine.out";
  }

  void TearDown() override { StopWine(output_); }

  // Starts a Wine session whose clocks say the machine has been up for `uptime_seconds`:
  // ends the previous wineserver, so that the next Wine command starts one inside the new
  // time namespace, and removes the agent key from both registry views.
  void BootWithUptime(long uptime_seconds) {
    StopWine(output_);
    monotonic_offset_ = uptime_seconds - ClockSeconds(CLOCK_MONOTONIC);
    boottime_offset_ = uptime_seconds - ClockSeconds(CLOCK_BOOTTIME);
    for (const char* view : {"/reg:32", "/reg:64"}) {
      Wine({"reg", "delete", "HKLM\\SOFTWARE\\Vantorel", "/f", view});
    }
  }

  // The command that runs a Windows program in the test's time namespace.
  std::string WineCommand(const std::vector<std::string>& args) const {
    std::string command =
        "cd " + Quoted(work_.string()) +
        " && timeout 300 unshare -T --monotonic=" + std::to_string(monotonic_offset_) +
        " --boottime=" + std::to_string(boottime_offset_) + " " + kWine64;
    for (const std::string& arg : args) command += " " + Quoted(arg);
    return command;
  }

  int Wine(const std::vector<std::string>& args) { return Shell(WineCommand(args), output_); }

  void SetRegistry(const std::string& key, const std::string& name, const std::string& type,
                   const std::string& data, const std::string& view) {
    ASSERT_EQ(Wine({"reg", "add", key, "/v", name, "/t", type, "/d", data, "/f", view}), 0)
        << key << "\\" << name;
  }

  // Points HVAgentInstallDir (32-bit view) at `windows_dir`.
  void SetInstallDir(const std::string& windows_dir) {
    SetRegistry(kAgentKey, "HVAgentInstallDir", "REG_SZ", windows_dir, "/reg:32");
  }

  // Starts a copy of the stand-in named `image_name` in the folder `folder` of the test, and
  // waits until it runs. Its exit code later appears in ExitCodeOf(folder, image_name).
  void StartStandIn(const std::string& folder, const std::string& image_name) {
    const fs::path dir = work_ / folder;
    fs::create_directories(dir);
    fs::copy_file(work_ / "bin" / "standin.exe", dir / image_name);
    const fs::path ready = dir / (image_name + ".ready");
    Shell(WineCommand({WindowsPath(work_ / "bin" / "launcher.exe"),
                       WindowsPath(dir / (image_name + ".exit")), WindowsPath(dir / image_name),
                       WindowsPath(ready)}) +
              " &",
          output_);
    ASSERT_TRUE(WaitForFile(ready, 60)) << image_name << " did not start";
  }

  // Starts stand-ins named `image_names` in the folder `folder` all at once, and waits until
  // every one runs.
  void StartStandIns(const std::string& folder, const std::vector<std::string>& image_names) {
    const fs::path dir = work_ / folder;
    fs::create_directories(dir);
    for (const std::string& image_name : image_names) {
      fs::copy_file(work_ / "bin" / "standin.exe", dir / image_name);
      Shell(
          WineCommand({WindowsPath(dir / image_name), WindowsPath(dir / (image_name + ".ready"))}) +
              " &",
          output_);
    }
    for (const std::string& image_name : image_names) {
      ASSERT_TRUE(WaitForFile(dir / (image_name + ".ready"), 120))
          << image_name << " did not start";
    }
  }

  // Starts `runs` handlers at once and waits for all of them; returns their exit codes' low
  // 8 bits (a Linux exit status keeps no more), in start order.
  std::vector<int> RunHandlersAtOnce(int runs) {
    std::string command;
    for (int i = 0; i < runs; ++i) {
      const fs::path status = work_ / ("handler" + std::to_string(i) + ".status");
      command += "{ " + WineCommand({WindowsPath(work_ / "bin" / "hvprereqhandler.exe")}) +
                 "; echo $? >" + Quoted(status.string()) + "; } & ";
    }
    Shell(command + "wait", output_);
    std::vector<int> statuses;
    for (int i = 0; i < runs; ++i) {
      const std::string text = ReadFile(work_ / ("handler" + std::to_string(i) + ".status"));
      statuses.push_back(text.empty() ? -1 : std::stoi(text));
    }
    return statuses;
  }

  // The exit code of a stand-in, waiting up to `wait_seconds` for it; kNoExitCode while it
  // runs.
  long ExitCodeOf(const std::string& folder, const std::string& image_name, int wait_seconds = 20) {
    const fs::path exit_file = work_ / folder / (image_name + ".exit");
    WaitForFile(exit_file, wait_seconds);
    return ExitCodeIn(exit_file);
  }

  // Runs the handler with `args` and returns its full exit code.
  long RunHandler(const std::vector<std::string>& args = {}) {
    std::vector<std::string> command = {WindowsPath(work_ / "bin" / "launcher.exe"),
                                        WindowsPath(work_ / "handler.exit"),
                                        WindowsPath(work_ / "bin" / "hvprereqhandler.exe")};
    command.insert(command.end(), args.begin(), args.end());
    EXPECT_EQ(Wine(command), 0) << "the launcher failed; see " << output_;
    return ExitCodeIn(work_ / "handler.exit");
  }

  // Checks the log's layout (CR LF line ends, the line format, both banners) and returns its
  // messages as "LEVEL message".
  std::vector<std::string> CheckedMessages(const fs::path& log_file) {
    const std::vector<std::string> lines = CrLfLines(log_file);
    EXPECT_GE(lines.size(), 2u);
    EXPECT_THAT(lines, ::testing::Each(::testing::MatchesRegex(kLinePattern)));
    if (lines.size() >= 2) {
      EXPECT_THAT(lines.front(), ::testing::HasSubstr("] [ INFO ] Log Open : "));
      EXPECT_THAT(lines.back(), ::testing::HasSubstr("] [ INFO ] Log Close : "));
    }
    return MessagesOf(lines);
  }

  fs::path work_;
  fs::path output_;
  long monotonic_offset_ = 0;
  long boottime_offset_ = 0;
};

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
  fs::create_directories(work_ / "agent" / "logs");
  SetInstallDir(WindowsPath(work_ / "agent"));
  StartStandIn("apps", "chrome.exe");

  EXPECT_EQ(RunHandler(), 20001);

  EXPECT_EQ(ExitCodeOf("apps", "chrome.exe", 5), kNoExitCode);  // still running
  EXPECT_THAT(CheckedMessages(work_ / "agent" / "logs" / "hvprereqhandler.log"),
              ElementsAre(Running("chrome.exe"), Found("chrome.exe"), kCannotKill));
}

TEST_F(WineTest, StartupWindowPermitsEndingAStandInOfAnyCase) {
  BootWithUptime(10 * kMinute);
  fs::create_directories(work_ / "agent" / "logs");
  SetInstallDir(WindowsPath(work_ / "agent"));
  StartStandIn("apps", "CHROME.EXE");

  EXPECT_EQ(RunHandler({"-E", "CHROME.EXE"}), 0);

  EXPECT_EQ(ExitCodeOf("apps", "CHROME.EXE"), 1);
  EXPECT_THAT(
      CheckedMessages(work_ / "agent" / "logs" / "hvprereqhandler.log"),
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

// The lines of `lines` that each run wrote, by run: lines are grouped by their thread id and
// a group splits at each opening banner, since a later process may be given the id of one
// that has ended. Each line comes back as "LEVEL message", banners as "OPEN" and "CLOSE".
std::vector<std::vector<std::string>> RunsIn(const std::vector<std::string>& lines) {
  std::map<std::string, std::vector<std::vector<std::string>>> runs_by_thread;
  for (const std::string& line : lines) {
    const size_t thread_start = line.find("][ ");
    const size_t thread_end = line.find(" ]", thread_start + 3);
    if (thread_start == std::string::npos || thread_end == std::string::npos) {
      runs_by_thread["torn"].push_back({line});
      continue;
    }
    std::vector<std::vector<std::string>>& runs =
        runs_by_thread[line.substr(thread_start + 3, thread_end - thread_start - 3)];
    std::string message = MessagesOf({line}).empty() ? "" : MessagesOf({line}).front();
    if (line.find("] [ INFO ] Log Open : ") != std::string::npos) {
      runs.emplace_back();
      message = "OPEN";
    } else if (line.find("] [ INFO ] Log Close : ") != std::string::npos) {
      message = "CLOSE";
    }
    if (runs.empty()) runs.emplace_back();
    runs.back().push_back(message);
  }
  std::vector<std::vector<std::string>> runs;
  for (auto& [thread, thread_runs] : runs_by_thread) {
    runs.insert(runs.end(), thread_runs.begin(), thread_runs.end());
  }
  return runs;
}

// What a run that finds `names` running and may not end them writes, as RunsIn gives it.
std::vector<std::string> RefusedRun(const std::vector<std::string>& names) {
  std::vector<std::string> run = {"OPEN"};
  std::string joined;
  for (const std::string& name : names) {
    run.push_back(Running(name));
    joined += (joined.empty() ? "" : ", ") + name;
  }
  run.push_back(Found(joined));
  run.push_back(kCannotKill);
  run.push_back("CLOSE");
  return run;
}

// The stand-ins of the load tests: each run that finds them writes a line for each.
const std::vector<std::string> kLoadStandIns = {"brave.exe",   "chrome.exe", "firefox.exe",
                                                "keybase.exe", "msedge.exe", "mstsc.exe",
                                                "opera.exe",   "vexo.exe"};

class WineLoadTest : public WineTest, public ::testing::WithParamInterface<int> {};

TEST_P(WineLoadTest, RunsAtOnceOnOneLogKeepEveryLineWholeAndInOrder) {
  const int runs = GetParam();
  BootWithUptime(60 * kMinute);  // past the startup window: the stand-ins stay
  const fs::path logs = work_ / "agent" / "logs";
  fs::create_directories(logs);
  SetInstallDir(WindowsPath(work_ / "agent"));
  StartStandIns("apps", kLoadStandIns);

  EXPECT_THAT(RunHandlersAtOnce(runs), ::testing::Each(20001 & 0xFF));

  const std::vector<std::string> lines = CrLfLines(logs / "hvprereqhandler.log");
  EXPECT_THAT(lines, ::testing::Each(::testing::MatchesRegex(kLinePattern)));
  EXPECT_THAT(RunsIn(lines), ::testing::AllOf(::testing::SizeIs(runs),
                                              ::testing::Each(RefusedRun(kLoadStandIns))));
}

INSTANTIATE_TEST_SUITE_P(Runs, WineLoadTest, ::testing::Values(8, 32));

constexpr size_t kRotationLimit = 3145728;

TEST_F(WineTest, LogAtTheLimitIsCopiedDownAndEmptied) {
  BootWithUptime(60 * kMinute);
  const fs::path logs = work_ / "agent" / "logs";
  fs::create_directories(logs);
  SetInstallDir(WindowsPath(work_ / "agent"));
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
  const fs::path logs = work_ / "agent" / "logs";
  fs::create_directories(logs);
  SetInstallDir(WindowsPath(work_ / "agent"));
  const std::string almost_full(kRotationLimit - 1, 'x');
  std::ofstream(logs / "hvprereqhandler.log", std::ios::binary) << almost_full;

  EXPECT_EQ(RunHandler(), 0);

  EXPECT_FALSE(fs::exists(logs / "hvprereqhandler1.log"));
  const std::string log = ReadFile(logs / "hvprereqhandler.log");
  EXPECT_EQ(log.substr(0, almost_full.size()), almost_full);
  EXPECT_THAT(log.substr(almost_full.size()), ::testing::HasSubstr("] [ INFO ] Log Open : "));
}

}  // namespace
