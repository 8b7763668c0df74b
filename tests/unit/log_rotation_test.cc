#include "log/log_rotation.h"

#include <fstream>

#include "host_test.h"
#include "log/log.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::SizeIs;

constexpr size_t kLimit = 3145728;
const fs::path kLogs = "agent/logs";
const fs::path kLog = kLogs / "hvprereqhandler.log";

fs::path Generation(int n) { return kLogs / ("hvprereqhandler" + std::to_string(n) + ".log"); }

void WriteFile(const fs::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary) << content;
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class LogRotationTest : public LoggingTest {
 protected:
  // The read-only opens of the log: the rotation's probes of its size, and the writer's
  // check for a torn last line after each open for appending.
  std::vector<std::string> ReadOpens() const {
    std::vector<std::string> probes;
    for (const std::string& call : fake::TheSystem().Calls(Api::kCreateFileA)) {
      if (call.find(" access=0x80000000 ") != std::string::npos) probes.push_back(call);
    }
    return probes;
  }

  // Writes `count` messages "line 1", "line 2" ...
  void LogLines(int count) {
    for (int i = 1; i <= count; ++i) LogInfo("line %d", i);
  }
};

TEST(PathSplitTest, StemAndExtensionSplitAtTheLastDot) {
  struct Case {
    const char* path;
    const char* stem;
    const char* extension;
  } cases[] = {
      {"C:\\agent\\logs\\hvprereqhandler.log", "C:\\agent\\logs\\hvprereqhandler", "log"},
      {"C:\\agent.v2\\logs\\hvprereqhandler.log", "C:\\agent.v2\\logs\\hvprereqhandler", "log"},
      {"no-dot", "no-dot", ""},
      {"ends.", "ends", ""},
      {".log", "", "log"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetPathStem(c.path), c.stem) << c.path;
    EXPECT_EQ(GetPathExtension(c.path), c.extension) << c.path;
  }
}

TEST_F(LogRotationTest, LogAtTheLimitIsRotatedAtTheFirstLine) {
  const std::string full(kLimit, 'x');
  WriteFile(kLog, full);
  LogInfo("first message");
  EXPECT_EQ(ReadFile(Generation(1)), full);
  EXPECT_FALSE(fs::exists(Generation(2)));
  EXPECT_THAT(CrLfLines(kLog),
              ElementsAre(HasSubstr("] [ INFO ] Log Open : "), EndsWith("first message")));
  // Opened for appending, probed, emptied after the copies, opened again and checked for a
  // torn last line.
  const std::string log = "agent\\logs\\hvprereqhandler.log";
  const std::string read =
      " access=0x80000000 share=7 security=none disposition=3 flags=0x80 "
      "template=none";
  const std::string append =
      " access=0x4 share=3 security=none disposition=4 flags=0x80 template=none";
  EXPECT_THAT(system().Calls(Api::kCreateFileA),
              ElementsAre(log + append, log + read,
                          log + " access=0x40000000 share=3 security=none disposition=5 "
                                "flags=0x80 template=none",
                          log + append, log + read));
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(LogRotationTest, LogBelowTheLimitIsNotProbedAgainBeforeThe501stLine) {
  WriteFile(kLog, std::string(kLimit - 1, 'x'));
  LogLines(499);  // with the opening banner: 500 counted lines, the first of them probed
  EXPECT_FALSE(fs::exists(Generation(1)));
  EXPECT_THAT(ReadOpens(), SizeIs(2));  // the probe and the check for a torn line
  LogInfo("line 500");                  // the 501st counted line
  EXPECT_THAT(ReadOpens(), SizeIs(4));  // the probe, and the check after the reopen
  EXPECT_TRUE(fs::exists(Generation(1)));
  EXPECT_THAT(CrLfLines(kLog), ElementsAre(EndsWith("line 500")));
}

TEST_F(LogRotationTest, EmptyTextIsNotCountedButDroppedLinesAre) {
  fs::remove_all(kLogs);  // every line is dropped
  LogLines(1);
  for (int i = 0; i < 1000; ++i) LogInfo("%s", "");
  LogLines(499);
  EXPECT_THAT(ReadOpens(), SizeIs(1));
  LogLines(1);  // the 501st counted line
  EXPECT_THAT(ReadOpens(), SizeIs(2));
}

TEST_F(LogRotationTest, AllFourGenerationsMoveDownAndTheOldestIsLost) {
  WriteFile(kLog, std::string(kLimit, 'b'));
  for (int n = 1; n <= 4; ++n) WriteFile(Generation(n), "generation " + std::to_string(n));
  LogLines(1);
  EXPECT_EQ(ReadFile(Generation(1)), std::string(kLimit, 'b'));
  EXPECT_EQ(ReadFile(Generation(2)), "generation 1");
  EXPECT_EQ(ReadFile(Generation(3)), "generation 2");
  EXPECT_EQ(ReadFile(Generation(4)), "generation 3");
  EXPECT_THAT(
      system().Calls(Api::kCopyFileA),
      ElementsAre(HasSubstr("hvprereqhandler3.log -> agent\\logs\\hvprereqhandler4.log "
                            "fail_if_exists=0"),
                  HasSubstr("hvprereqhandler2.log -> "), HasSubstr("hvprereqhandler1.log -> "),
                  HasSubstr("hvprereqhandler.log -> agent\\logs\\hvprereqhandler1.log")));
}

TEST_F(LogRotationTest, MissingGenerationThreeLeavesGenerationFourAlone) {
  WriteFile(kLog, std::string(kLimit, 'b'));
  WriteFile(Generation(1), "generation 1");
  WriteFile(Generation(2), "generation 2");
  WriteFile(Generation(4), "generation 4");
  LogLines(1);
  EXPECT_EQ(ReadFile(Generation(4)), "generation 4");
  EXPECT_EQ(ReadFile(Generation(3)), "generation 2");
  EXPECT_EQ(ReadFile(Generation(2)), "generation 1");
  EXPECT_EQ(ReadFile(Generation(1)), std::string(kLimit, 'b'));
}

TEST_F(LogRotationTest, DirectoryInTheChainIsSkippedAndStays) {
  WriteFile(kLog, std::string(kLimit, 'b'));
  WriteFile(Generation(1), "generation 1");
  fs::create_directory(Generation(2));
  LogLines(1);
  EXPECT_TRUE(fs::is_directory(Generation(2)));
  EXPECT_FALSE(fs::exists(Generation(3)));
  EXPECT_EQ(ReadFile(Generation(1)), std::string(kLimit, 'b'));
  EXPECT_THAT(CrLfLines(kLog), SizeIs(2));
}

TEST_F(LogRotationTest, DotInADirectoryNameChangesNoGenerationName) {
  UseInstallDir("agent.v2");
  const fs::path logs = "agent.v2/logs";
  WriteFile(logs / "hvprereqhandler.log", std::string(kLimit, 'b'));
  LogLines(1);
  EXPECT_TRUE(fs::exists(logs / "hvprereqhandler1.log"));
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()),
            2);  // agent, agent.v2
}

TEST_F(LogRotationTest, ClosingBannerAfter500CountedLinesMayRotate) {
  LogLines(499);                              // 500 counted lines with the opening banner
  WriteFile(kLog, std::string(kLimit, 'b'));  // another process filled it meanwhile
  CloseLogAtExit();
  EXPECT_EQ(ReadFile(Generation(1)), std::string(kLimit, 'b'));
  EXPECT_THAT(CrLfLines(kLog), ElementsAre(HasSubstr("] [ INFO ] Log Close : ")));
}

TEST_F(LogRotationTest, FailedCopyOfTheLogKeepsItsLines) {
  const std::string full(kLimit, 'b');
  WriteFile(kLog, full);
  system().Fail(Api::kCopyFileA, ERROR_ACCESS_DENIED);
  LogLines(1);
  EXPECT_FALSE(fs::exists(Generation(1)));
  const std::string kept = ReadFile(kLog);
  EXPECT_EQ(kept.substr(0, kLimit), full);
  EXPECT_THAT(kept.substr(kLimit), EndsWith("line 1\r\n"));
}

TEST_F(LogRotationTest, SizesFrom4GiBOnAreRotated) {
  WriteFile(kLog, "small on disk");
  system().reported_file_size = 0x100000000ll;
  LogLines(1);
  EXPECT_EQ(ReadFile(Generation(1)), "small on disk");
}

TEST_F(LogRotationTest, UnmeasurableLogIsLeftAlone) {
  WriteFile(kLog, std::string(kLimit, 'b'));
  system().FailCall(Api::kCreateFileA, 2, ERROR_SHARING_VIOLATION);  // the probe
  LogLines(1);
  EXPECT_FALSE(fs::exists(Generation(1)));

  ProcessLogState() = LogState();  // a new process
  system().Fail(Api::kGetFileSizeEx, ERROR_INVALID_HANDLE);
  LogLines(1);
  EXPECT_FALSE(fs::exists(Generation(1)));
  EXPECT_EQ(HandlesLeftAtExit(), 0);  // the failed probe's handle too
}

TEST_F(LogRotationTest, RotationDoesNotResetTheCount) {
  WriteFile(kLog, std::string(kLimit, 'b'));
  LogLines(499);  // 500 counted lines; the first rotated
  WriteFile(kLog, std::string(kLimit, 'c'));
  LogLines(1);  // the 501st rotates again
  EXPECT_EQ(ReadFile(Generation(1)), std::string(kLimit, 'c'));
  EXPECT_EQ(ReadFile(Generation(2)), std::string(kLimit, 'b'));
}

}  // namespace
