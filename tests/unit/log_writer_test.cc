#include "log/log_writer.h"

#include <fstream>
#include <functional>

#include "host_test.h"
#include "log/log.h"

namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::SizeIs;
using ::testing::StartsWith;

const char kLogFile[] = "agent/logs/hvprereqhandler.log";
const char kDate[] = "[0-9]{4}-[0-9]{2}-[0-9]{2}";

class LogWriterTest : public LoggingTest {
 protected:
  void SetUp() override {
    LoggingTest::SetUp();
    system().current_thread_id = 5208;
    system().local_time = SYSTEMTIME{2024, 3, 2, 5, 9, 4, 3, 7};
  }
  std::vector<std::string> Lines() const { return CrLfLines(kLogFile); }
};

TEST_F(LogWriterTest, ARunBetweenItsBanners) {
  LogInfo("operation : Main; remarks : \"%s\"; return_value : %d;", "No running", 0);
  system().local_time.wMilliseconds = 9;  // the tick count stays: the time stamp too
  CloseLogAtExit();
  const std::string stamp = std::string(R"(\[ )") + kDate + R"( 09:04:03:007 \]\[ 5208 \] )";
  EXPECT_THAT(
      Lines(),
      ElementsAre(MatchesRegex(stamp + R"(\[ INFO \] Log Open : )" + kDate + " 09:04:03:007"),
                  MatchesRegex(stamp + R"(\[ INFO \] operation : Main; remarks : "No )"
                                       R"(running"; return_value : 0;)"),
                  MatchesRegex(stamp + R"(\[ INFO \] Log Close : )" + kDate + " 09:04:03:009")));
}

TEST_F(LogWriterTest, LevelsAndTimeStampsPerLine) {
  LogInfo("one");
  system().tick_count += 16;
  system().local_time.wMilliseconds = 60;
  LogError("two");
  EXPECT_THAT(Lines(),
              ElementsAre(::testing::_, MatchesRegex(R"(.* 09:04:03:007 \].* \[ INFO \] one)"),
                          MatchesRegex(R"(.* 09:04:03:060 \].* \[ ERROR \] two)")));
}

TEST_F(LogWriterTest, NoLogCallLeavesTheFileAlone) {
  CloseLogAtExit();
  EXPECT_FALSE(std::filesystem::exists(kLogFile));
  EXPECT_THAT(system().Calls(Api::kRegOpenKeyExA), IsEmpty());
}

TEST_F(LogWriterTest, EmptyMessageWritesNoLineButOpensTheLog) {
  LogInfo("%s", "");
  EXPECT_THAT(Lines(), ElementsAre(::testing::HasSubstr("Log Open : ")));
  LogInfo("%s", "");
  EXPECT_THAT(Lines(), SizeIs(1));
}

TEST_F(LogWriterTest, RejectedFormatLogsNothingAtAll) {
  // A wide character that the C locale cannot convert makes printf fail.
  LogInfo("%ls", L"\u00e9");
  EXPECT_FALSE(std::filesystem::exists(kLogFile));
  EXPECT_FALSE(ProcessLogState().writer);
}

TEST_F(LogWriterTest, MessagesAreWrittenWholeAndUnescaped) {
  const std::string long_text(100000, 'x');
  LogInfo("%s", long_text.c_str());
  LogInfo("first\nsecond %% 100");
  const std::vector<std::string> lines = Lines();
  ASSERT_THAT(lines, SizeIs(4));
  EXPECT_THAT(lines[1], ::testing::EndsWith("] " + long_text));
  EXPECT_THAT(lines[2], ::testing::EndsWith("[ INFO ] first"));
  EXPECT_EQ(lines[3], "second % 100");
}

TEST_F(LogWriterTest, AppendsToEarlierRuns) {
  { std::ofstream(kLogFile, std::ios::binary) << "an earlier run\r\n"; }
  LogInfo("this run");
  EXPECT_THAT(Lines(), ElementsAre("an earlier run", ::testing::HasSubstr("Log Open"),
                                   ::testing::EndsWith("this run")));
}

TEST_F(LogWriterTest, EachLineIsOnDiskAtOnce) {
  LogInfo("flushed");
  EXPECT_THAT(Lines(), ElementsAre(::testing::_, ::testing::EndsWith("flushed")));
}

TEST_F(LogWriterTest, MissingLogsFolderDropsEveryLineAndCreatesNothing) {
  std::filesystem::remove_all("agent/logs");
  LogInfo("dropped");
  LogError("dropped too");
  CloseLogAtExit();
  EXPECT_FALSE(std::filesystem::exists("agent/logs"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("agent"),
                          std::filesystem::directory_iterator()),
            0);
}

TEST_F(LogWriterTest, ThreadTextFollowsTheCallingThread) {
  LogInfo("one");
  system().current_thread_id = 77;
  LogInfo("two");
  EXPECT_THAT(Lines().back(), MatchesRegex(R"(.*\]\[ 77 \] \[ INFO \] two)"));
}

TEST_F(LogWriterTest, NothingIsWrittenAfterTheClose) {
  LogInfo("before");
  CloseLogAtExit();
  LogInfo("after");
  CloseLogAtExit();
  const std::vector<std::string> lines = Lines();
  ASSERT_THAT(lines, SizeIs(3));
  EXPECT_THAT(lines.back(), ::testing::HasSubstr("] [ INFO ] Log Close : "));
}

TEST_F(LogWriterTest, UnreadableInstallDirLogsBelowTheCurrentDirectory) {
  fake::Reset();  // no agent key
  std::filesystem::create_directory("logs");
  LogInfo("relative");
  EXPECT_THAT(CrLfLines("logs/hvprereqhandler.log"),
              ElementsAre(StartsWith("["), ::testing::EndsWith("relative")));
}

}  // namespace

// Each line: the lock taken, the line in one write, the lock released. The rotation's probe
// and the check for a torn last line, both at the first line, fall inside the lock too.
TEST_F(LogWriterTest, EveryLineIsOneWriteInsideTheLock) {
  LogInfo("one");
  LogInfo("two");
  std::vector<Api> file_and_lock_calls;
  for (Api api : system().CallSequence()) {
    if (api == Api::kWaitForSingleObject || api == Api::kReleaseMutex || api == Api::kWriteFile ||
        api == Api::kGetFileSizeEx) {
      file_and_lock_calls.push_back(api);
    }
  }
  const Api kWait = Api::kWaitForSingleObject, kWrite = Api::kWriteFile,
            kRelease = Api::kReleaseMutex;
  EXPECT_THAT(file_and_lock_calls,
              ElementsAre(kWait, Api::kGetFileSizeEx, Api::kGetFileSizeEx, kWrite, kRelease, kWait,
                          kWrite, kRelease, kWait, kWrite, kRelease));
  EXPECT_THAT(system().Calls(Api::kCreateMutexA),
              ElementsAre("security=none owner=0 name=Global\\hvprereqhandler.log"));
  EXPECT_THAT(system().Calls(Api::kWaitForSingleObject),
              ::testing::Each("mutex Global\\hvprereqhandler.log ms=5000"));
  EXPECT_THAT(system().Calls(Api::kWriteFile).at(1),
              ::testing::MatchesRegex(R"(file agent\\logs\\hvprereqhandler.log bytes=[0-9]+ )"
                                      R"(overlapped=none)"));
  EXPECT_EQ(system().HeldMutexCount(), 0);
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

// Without the lock a line still gets written: losing it would be worse than the rare race
// the lock prevents. A wait that times out is not repeated for later lines.
TEST_F(LogWriterTest, LinesAreWrittenWhenTheLockCannotBeHad) {
  struct Case {
    const char* what;
    std::function<void(fake::System&)> arrange;
    size_t waits;
  } cases[] = {
      {"mutex not created", [](fake::System& s) { s.Fail(Api::kCreateMutexA, 5); }, 0},
      {"wait times out", [](fake::System& s) { s.wait_result = WAIT_TIMEOUT; }, 1},
      {"wait fails", [](fake::System& s) { s.Fail(Api::kWaitForSingleObject, 6); }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(kLogFile);
    StartNewProcess();
    UseInstallDir("agent");
    c.arrange(system());
    LogInfo("one");
    LogInfo("two");
    CloseLogAtExit();
    EXPECT_THAT(Lines(), ElementsAre(::testing::HasSubstr("Log Open"), EndsWith("one"),
                                     EndsWith("two"), ::testing::HasSubstr("Log Close")));
    EXPECT_THAT(system().Calls(Api::kWaitForSingleObject), SizeIs(c.waits));
    EXPECT_THAT(system().Calls(Api::kReleaseMutex), IsEmpty());
  }
}

TEST_F(LogWriterTest, LockLeftByAnEndedHolderIsTakenAndReleased) {
  system().wait_result = WAIT_ABANDONED;
  LogInfo("one");
  LogInfo("two");
  EXPECT_THAT(system().Calls(Api::kWaitForSingleObject), SizeIs(3));
  EXPECT_THAT(system().Calls(Api::kReleaseMutex), SizeIs(3));
  EXPECT_EQ(system().HeldMutexCount(), 0);
}

// A write that fails costs that line only.
TEST_F(LogWriterTest, FailedWriteDropsOnlyItsOwnLine) {
  system().FailCall(Api::kWriteFile, 2, ERROR_DISK_FULL);
  LogInfo("lost");
  LogInfo("kept");
  EXPECT_THAT(Lines(), ElementsAre(::testing::HasSubstr("Log Open"), EndsWith("kept")));
}

// A line that the disk took only in part, here or in an earlier process, is left as it is;
// the next line starts on a line of its own.
TEST_F(LogWriterTest, LineAfterATornOneStartsOnItsOwnLine) {
  { std::ofstream(kLogFile, std::ios::binary) << "[ 2024-03-05 09:0"; }  // an earlier run
  LogInfo("one");
  system().free_disk_bytes = 10;
  LogInfo("torn");
  system().free_disk_bytes.reset();  // room again
  LogInfo("three");
  LogInfo("four");
  EXPECT_THAT(Lines(),
              ElementsAre("[ 2024-03-05 09:0", ::testing::HasSubstr("] [ INFO ] Log Open : "),
                          EndsWith("] [ INFO ] one"), MatchesRegex(R"(\[ [0-9]{4}-[0-9]{2}-)"),
                          EndsWith("] [ INFO ] three"), EndsWith("] [ INFO ] four")));
  // Checked after the open and after the failed write only.
  EXPECT_THAT(system().Calls(Api::kReadFile), SizeIs(2));
}
