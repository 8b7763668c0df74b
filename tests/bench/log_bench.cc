// Host benchmarks of the log's own cost, each beside the plainest way of doing the same
// system work, with the ratio of the two:
// - a log line (format, compose, write) against fprintf and fflush of the same bytes to the
//   same file;
// - a rotation of a 3 MiB log with four generations against copying the same files with
//   the system's copy and emptying the log.
// The fake system stands in for Windows and records no calls; files are real.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "log/log.h"
#include "log/log_file.h"
#include "log/log_message.h"
#include "log/log_rotation.h"
#include "log/log_state.h"
#include "platform/host/fake_system.h"
#include "platform/scoped_handle.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDir =
    fs::temp_directory_path() / ("hvprereq-bench-" + std::to_string(::getpid()));
const fs::path kLog = kDir / "logs" / "hvprereqhandler.log";
constexpr size_t kRotationSize = 3145728;
const char kFormat[] = "operation : CheckIfExecutablesRunning; remarks : \"Executable %s is "
                       "running\"; return_value : TRUE;";

// A fresh system without an agent key, so that the log is logs\hvprereqhandler.log below
// the current directory, kDir.
void StartProcess() {
  fake::Reset();
  fake::TheSystem().record_calls = false;
  ProcessLogState() = LogState();
  fs::remove_all(kDir);
  fs::create_directories(kLog.parent_path());
  fs::current_path(kDir);
}

void BM_LogLine(benchmark::State& state) {
  StartProcess();
  LogInfo(kFormat, "chrome.exe");  // opens the log and writes the opening banner
  for (auto _ : state) {
    if (state.range(0) != 0) ++fake::TheSystem().tick_count;  // a time stamp to format
    LogInfo(kFormat, "chrome.exe");
    // Keeps the file below the rotation limit, so that only the line's own work is timed.
    ProcessLogState().rotation_counter = 1;
  }
  CloseLogAtExit();
}
// 0: lines within one tick of the clock, which share their time stamp, as most lines of a
// run do; 1: a new time stamp for every line.
BENCHMARK(BM_LogLine)->Arg(0)->Arg(1);

void BM_PlainLine(benchmark::State& state) {
  StartProcess();
  std::FILE* file = std::fopen(kLog.c_str(), "ab");
  const std::string stamp = "[ 2026-12-11 14:07:09:045 ][ 5208 ] [ INFO ] ";
  for (auto _ : state) {
    std::fprintf(file, "%s", stamp.c_str());
    std::fprintf(file, kFormat, "chrome.exe");
    std::fprintf(file, "\r\n");
    std::fflush(file);
  }
  std::fclose(file);
}
BENCHMARK(BM_PlainLine);

void WriteFiles() {
  std::ofstream(kLog, std::ios::binary) << std::string(kRotationSize, 'x');
  for (int n = 1; n <= 4; ++n) {
    std::ofstream(kDir / "logs" / ("hvprereqhandler" + std::to_string(n) + ".log"),
                  std::ios::binary)
        << std::string(kRotationSize, static_cast<char>('0' + n));
  }
}

void BM_Rotation(benchmark::State& state) {
  StartProcess();
  const std::string log_path = "logs\\hvprereqhandler.log";
  for (auto _ : state) {
    state.PauseTiming();
    WriteFiles();
    ScopedHandle log_file(OpenLogForAppending(log_path));
    ProcessLogState().rotation_counter = 0;
    state.ResumeTiming();
    RotateIfNeeded(log_file, log_path);
  }
}
BENCHMARK(BM_Rotation)->Unit(benchmark::kMillisecond);

void BM_PlainCopies(benchmark::State& state) {
  StartProcess();
  const fs::path logs = kDir / "logs";
  for (auto _ : state) {
    state.PauseTiming();
    WriteFiles();
    state.ResumeTiming();
    for (int n = 3; n >= 0; --n) {
      const fs::path source =
          logs / (n == 0 ? std::string("hvprereqhandler.log")
                         : "hvprereqhandler" + std::to_string(n) + ".log");
      fs::copy_file(source, logs / ("hvprereqhandler" + std::to_string(n + 1) + ".log"),
                    fs::copy_options::overwrite_existing);
    }
    fs::resize_file(kLog, 0);
  }
}
BENCHMARK(BM_PlainCopies)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's real time per iteration, to print the ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // A single run, or the median of repetitions.
    for (const Run& run : runs) {
      if (run.aggregate_name.empty() || run.aggregate_name == "median") {
        seconds_[run.run_name.str()] = run.GetAdjustedRealTime();
      }
    }
  }
  double Ratio(const std::string& measured, const std::string& plain) {
    return seconds_[measured] / seconds_[plain];
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  // Without TZ, glibc's localtime looks at /etc/localtime again on every call, a file system
  // call that Windows' C runtime does not make; a fixed zone keeps that out of the figures.
  setenv("TZ", "UTC0", 1);
  tzset();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("log line / plain write and flush: %.2f (goal at most 1.20)\n",
              reporter.Ratio("BM_LogLine/0", "BM_PlainLine"));
  std::printf("log line with a new time stamp / plain write and flush: %.2f\n",
              reporter.Ratio("BM_LogLine/1", "BM_PlainLine"));
  std::printf("rotation / plain copies: %.2f (goal at most 1.20)\n",
              reporter.Ratio("BM_Rotation", "BM_PlainCopies"));
  benchmark::Shutdown();
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(kDir);
  return 0;
}
