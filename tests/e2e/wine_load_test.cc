// Many handlers at once on one log under Wine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "handler_messages.h"
#include "log_lines.h"
#include "wine_fixture.h"

namespace e2e {
namespace {

using ::testing::ElementsAre;
using namespace expected;

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
  const fs::path logs = UseAgentWithLogs();
  StartStandIns("apps", kLoadStandIns);

  EXPECT_THAT(RunHandlersAtOnce(runs), ::testing::Each(20001 & 0xFF));

  const std::vector<std::string> lines = CrLfLines(logs / "hvprereqhandler.log");
  EXPECT_THAT(lines, ::testing::Each(::testing::MatchesRegex(kLinePattern)));
  EXPECT_THAT(RunsIn(lines), ::testing::AllOf(::testing::SizeIs(runs),
                                              ::testing::Each(RefusedRun(kLoadStandIns))));
}

INSTANTIATE_TEST_SUITE_P(Runs, WineLoadTest, ::testing::Values(8, 32));

TEST_F(WineTest, RunsAtOnceOnAFullLogRotateItOnceAndLoseNoLine) {
  constexpr int kRuns = 8;
  BootWithUptime(60 * kMinute);
  const fs::path logs = UseAgentWithLogs();
  const std::string old_log = EarlierLog(kRotationLimit);
  std::ofstream(logs / "hvprereqhandler.log", std::ios::binary) << old_log;
  StartStandIns("apps", kLoadStandIns);

  EXPECT_THAT(RunHandlersAtOnce(kRuns), ::testing::Each(20001 & 0xFF));

  EXPECT_TRUE(ReadFile(logs / "hvprereqhandler1.log") == old_log) << "the old log is not kept";
  EXPECT_FALSE(fs::exists(logs / "hvprereqhandler2.log")) << "rotated more than once";
  const std::vector<std::string> lines = CrLfLines(logs / "hvprereqhandler.log");
  EXPECT_THAT(lines, ::testing::Each(::testing::MatchesRegex(kLinePattern)));
  EXPECT_THAT(RunsIn(lines), ::testing::AllOf(::testing::SizeIs(kRuns),
                                              ::testing::Each(RefusedRun(kLoadStandIns))));
}

}  // namespace
}  // namespace e2e
