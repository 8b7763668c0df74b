// The fixture of the end-to-end tests, which run the real 32-bit handler under Wine in a
// 64-bit prefix: the registry views, process termination, the uptime (through a Linux time
// namespace around wineserver and every Windows process of a test) and the files on disk.
#ifndef HVPREREQ_TESTS_E2E_WINE_FIXTURE_H_
#define HVPREREQ_TESTS_E2E_WINE_FIXTURE_H_

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

#include "log_lines.h"

namespace e2e {

namespace fs = std::filesystem;

inline const fs::path kWin32BuildDir = HVPREREQ_WIN32_BUILD_DIR;
inline const fs::path kE2eDir = HVPREREQ_E2E_DIR;
inline const fs::path kPrefix = kE2eDir / "prefix";
inline const fs::path kDriveC = kPrefix / "drive_c";
inline const char kWine64[] = "/usr/lib/wine/wine64";
inline const char kAgentKey[] = "HKLM\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent";
inline const char kPatchKey[] = "HKLM\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent\\Patch";
inline const char kInternalSettingsKey[] =
    "HKLM\\SOFTWARE\\Vantorel\\Halvarion\\HVAgent\\Patch\\InternalSettings";
inline constexpr long kMinute = 60;
// A whole log line: time stamp, thread, level and some text.
inline const char kLinePattern[] =
    R"(\[ [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}:[0-9]{3} \]\[ [0-9]+ \] )"
    R"(\[ (INFO|ERROR) \] .+)";
inline constexpr size_t kRotationLimit = 3145728;  // bytes
// The log of earlier runs, exactly `size` bytes (at least 2): whole lines, the last of them
// padded with dashes.
inline std::string EarlierLog(size_t size) {
  const std::string line =
      "[ 2024-01-01 00:00:00:000 ][ 1 ] [ INFO ] operation : Main; an earlier run\r\n";
  std::string log;
  while (log.size() + line.size() + 2 <= size) log += line;
  return log + std::string(size - log.size() - 2, '-') + "\r\n";
}

inline constexpr long kNoExitCode = -1;  // the program still runs, or never ran

inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The exit code that the launcher wrote to `file`, or kNoExitCode when there is none yet.
inline long ExitCodeIn(const fs::path& file) {
  const std::string text = ReadFile(file);
  return text.empty() ? kNoExitCode : std::stol(text);
}

// Waits up to `seconds` for `file` to appear; true when it has.
inline bool WaitForFile(const fs::path& file, int seconds) {
  for (int i = 0; i < seconds * 10 && !fs::exists(file); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return fs::exists(file);
}

inline long ClockSeconds(clockid_t clock) {
  timespec now = {};
  clock_gettime(clock, &now);
  return static_cast<long>(now.tv_sec);
}

// The Windows path of a file below the prefix's drive C.
inline std::string WindowsPath(const fs::path& below_drive_c) {
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
    MakeRemovable();  // should an earlier run have ended before its tear-down
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

  void TearDown() override {
    StopWine(output_);
    MakeRemovable();
  }

  // Tests make files immutable, as a read-only file is to a program that is not root; this
  // makes them ordinary again, so that the test's folder can be removed.
  void MakeRemovable() const {
    if (fs::exists(work_)) {
      Shell("chattr -R -i " + Quoted(work_.string()), work_.parent_path() / "chattr.out");
    }
  }

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

  // An agent installed in the test's folder "agent", with its logs folder; returns that
  // folder.
  fs::path UseAgentWithLogs() {
    const fs::path logs = work_ / "agent" / "logs";
    fs::create_directories(logs);
    SetInstallDir(WindowsPath(work_ / "agent"));
    return logs;
  }

  // Starts a copy of the stand-in named `image_name` in the folder `folder` of the test, and
  // waits until it runs. Its exit code later appears in ExitCodeOf(folder, image_name).
  // With `held_file`, a Windows path, the stand-in holds that file open, sharing nothing.
  void StartStandIn(const std::string& folder, const std::string& image_name,
                    const std::string& held_file = "") {
    const fs::path dir = work_ / folder;
    fs::create_directories(dir);
    fs::copy_file(work_ / "bin" / "standin.exe", dir / image_name);
    const fs::path ready = dir / (image_name + ".ready");
    std::vector<std::string> command = {WindowsPath(work_ / "bin" / "launcher.exe"),
                                        WindowsPath(dir / (image_name + ".exit")),
                                        WindowsPath(dir / image_name), WindowsPath(ready)};
    if (!held_file.empty()) command.push_back(held_file);
    Shell(WineCommand(command) + " &", output_);
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

  // The command that runs the handler with `args` through the launcher, which writes the
  // handler's full exit code to HandlerExitFile().
  std::string HandlerCommand(const std::vector<std::string>& args) const {
    std::vector<std::string> command = {WindowsPath(work_ / "bin" / "launcher.exe"),
                                        WindowsPath(HandlerExitFile()),
                                        WindowsPath(work_ / "bin" / "hvprereqhandler.exe")};
    command.insert(command.end(), args.begin(), args.end());
    return WineCommand(command);
  }

  fs::path HandlerExitFile() const { return work_ / "handler.exit"; }

  // Runs the handler with `args` and returns its full exit code.
  long RunHandler(const std::vector<std::string>& args = {}) {
    fs::remove(HandlerExitFile());
    EXPECT_EQ(Shell(HandlerCommand(args), output_), 0) << "the launcher failed; see " << output_;
    return ExitCodeIn(HandlerExitFile());
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

}  // namespace e2e

#endif  // HVPREREQ_TESTS_E2E_WINE_FIXTURE_H_
