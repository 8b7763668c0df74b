// The base of every unit test: a fresh fake system, a fresh log state and a scratch folder
// as the current directory, so that relative log paths land in it.
#ifndef HVPREREQ_TESTS_UNIT_HOST_TEST_H_
#define HVPREREQ_TESTS_UNIT_HOST_TEST_H_

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "log/log.h"
#include "log/log_message.h"
#include "log/log_state.h"
#include "log_lines.h"
#include "platform/host/fake_system.h"

class HostTest : public ::testing::Test {
 protected:
  using Api = fake::Api;
  using View = fake::RegistryView;

  void SetUp() override {
    StartNewProcess();
    original_dir_ = std::filesystem::current_path();
    scratch_ = std::filesystem::temp_directory_path() /
               ("hvprereq-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(scratch_);
    std::filesystem::current_path(scratch_);
  }

  void TearDown() override {
    CloseLogAtExit();
    ProcessLogState() = LogState();
    std::filesystem::current_path(original_dir_);
    std::filesystem::remove_all(scratch_);
  }

  fake::System& system() { return fake::TheSystem(); }

  // As if the handler started again on a fresh machine: the log's process-wide state is
  // gone (its writer closing what it held) and the system is new.
  static void StartNewProcess() {
    ProcessLogState() = LogState();
    fake::Reset();
  }

  // The handles still open once the log has been closed and its writer destroyed, as at
  // process exit: the writer keeps the log and its lock open between lines.
  int HandlesLeftAtExit() {
    CloseLogAtExit();
    ProcessLogState().writer.reset();
    return system().OpenHandleCount();
  }

  // Points HVAgentInstallDir (32-bit view) at `dir` and creates its logs folder.
  void UseInstallDir(const std::string& dir) {
    system().SetString(View::k32, kAgentKey, "HVAgentInstallDir", dir);
    std::filesystem::create_directories(std::filesystem::path(dir) / "logs");
    log_file_ = std::filesystem::path(dir) / "logs" / "hvprereqhandler.log";
  }

  // The log lines in the install directory set by UseInstallDir, each as "LEVEL message",
  // without the banners.
  std::vector<std::string> LoggedMessages() const;

  static constexpr const char* kAgentKey = "SOFTWARE\\Vantorel\\Halvarion\\HVAgent";
  static constexpr const char* kPatchKey = "SOFTWARE\\Vantorel\\Halvarion\\HVAgent\\Patch";
  static constexpr const char* kInternalSettingsKey =
      "SOFTWARE\\Vantorel\\Halvarion\\HVAgent\\Patch\\InternalSettings";

 private:
  std::filesystem::path original_dir_;
  std::filesystem::path scratch_;
  std::filesystem::path log_file_;
};

// A HostTest whose agent has an install directory with a logs folder.
class LoggingTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    UseInstallDir("agent");
  }
};

#endif  // HVPREREQ_TESTS_UNIT_HOST_TEST_H_
