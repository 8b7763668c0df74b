#include "handler/handler_run.h"

#include "handler/kill_permission.h"
#include "handler/target_list.h"
#include "log/log.h"
#include "platform/win32.h"
#include "process/process_control.h"

namespace {

// Time given to ended processes to go before the list is read again.
constexpr DWORD kPauseAfterKillMs = 3000;

}  // namespace

int Main(int argc, char** argv) {
  ParseArguments(argc, argv);
  AddDefaultExecutables();

  std::vector<std::string> running;
  CheckIfExecutablesRunning(running);
  if (running.empty()) {
    LogInfo(
        "operation : Main; remarks : \"No running executables found\"; "
        "return_value : ERROR_SUCCESS;");
    return ERROR_SUCCESS;
  }
  LogInfo("operation : Main; running_executbles : \"%s\"; remarks : \"Running executables found\";",
          JoinNames(running).c_str());
  if (!CanKillRunningExecutables()) {
    LogError(
        "operation : Main; remarks : \"Running executables found, but cannot kill them\"; "
        "return_value : ERROR_APPLICATION_IN_USE;");
    return kExitApplicationInUse;
  }

  KillRunningExecutables(running);  // the second look decides, whatever this reports
  Sleep(kPauseAfterKillMs);

  running.clear();
  CheckIfExecutablesRunning(running);
  if (running.empty()) {
    LogInfo(
        "operation : Main; remarks : \"All running executables killed successfully\"; "
        "return_value : ERROR_SUCCESS;");
    return ERROR_SUCCESS;
  }
  LogError(
      "operation : Main; running_executables : \"%s\"; remarks : \"Some executables are still "
      "running after kill attempt\"; return_value : ERROR_APPLICATION_IN_USE;",
      JoinNames(running).c_str());
  return kExitApplicationInUse;
}

void CheckIfExecutablesRunning(std::vector<std::string>& running) {
  for (const std::string& name : TargetList()) {
    if (!IsProcessRunning(name)) continue;
    LogInfo(
        "operation : CheckIfExecutablesRunning; remarks : \"Executable %s is running\"; "
        "return_value : TRUE;",
        name.c_str());
    running.push_back(name);
  }
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) joined += ", ";
    joined += names[i];
  }
  return joined;
}

bool KillRunningExecutables(const std::vector<std::string>& running) {
  for (const std::string& name : running) {
    const DWORD status = TerminateProcessesByName(name);
    if (status != ERROR_SUCCESS) {
      LogError(
          "operation : KillRunningExecutables; remarks : \"Failed to kill process %s\"; "
          "return_value : %d;",
          name.c_str(), static_cast<int>(status));
      return false;
    }
  }
  LogInfo(
      "operation : KillRunningExecutables; remarks : \"All running executables killed "
      "successfully\"; return_value : TRUE;");
  return true;
}
