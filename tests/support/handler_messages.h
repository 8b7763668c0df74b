// The handler's log messages as the tests expect them, each as "LEVEL message" (see
// MessagesOf). Written out here on their own, not taken from the handler's code.
#ifndef HVPREREQ_TESTS_SUPPORT_HANDLER_MESSAGES_H_
#define HVPREREQ_TESTS_SUPPORT_HANDLER_MESSAGES_H_

#include <string>

namespace expected {

inline std::string Running(const std::string& name) {
  return "INFO operation : CheckIfExecutablesRunning; remarks : \"Executable " + name +
         " is running\"; return_value : TRUE;";
}
inline const std::string kNothingRunning =
    "INFO operation : Main; remarks : \"No running executables found\"; return_value : "
    "ERROR_SUCCESS;";
inline std::string Found(const std::string& joined) {
  return "INFO operation : Main; running_executbles : \"" + joined +
         "\"; remarks : \"Running executables found\";";
}
inline const std::string kAlwaysKill =
    "INFO operation : CanKillRunningExecutables; remarks : \"Always kill apps is configured\"; "
    "return_value : TRUE;";
inline const std::string kStartupCycle =
    "INFO operation : CanKillRunningExecutables; remarks : \"Startup cycle detected, allowing to "
    "kill apps\"; return_value : TRUE;";
inline const std::string kCannotKill =
    "ERROR operation : Main; remarks : \"Running executables found, but cannot kill them\"; "
    "return_value : ERROR_APPLICATION_IN_USE;";
inline std::string FailedToKill(const std::string& name, int code) {
  return "ERROR operation : KillRunningExecutables; remarks : \"Failed to kill process " + name +
         "\"; return_value : " + std::to_string(code) + ";";
}
inline const std::string kKilledAll =
    "INFO operation : KillRunningExecutables; remarks : \"All running executables killed "
    "successfully\"; return_value : TRUE;";
inline const std::string kNothingLeft =
    "INFO operation : Main; remarks : \"All running executables killed successfully\"; "
    "return_value : ERROR_SUCCESS;";
inline std::string StillRunning(const std::string& joined) {
  return "ERROR operation : Main; running_executables : \"" + joined +
         "\"; remarks : \"Some executables are still running after kill attempt\"; "
         "return_value : ERROR_APPLICATION_IN_USE;";
}

}  // namespace expected

#endif  // HVPREREQ_TESTS_SUPPORT_HANDLER_MESSAGES_H_
