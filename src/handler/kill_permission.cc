#include "handler/kill_permission.h"

#include "handler/agent_settings.h"
#include "log/log.h"

namespace {

constexpr DWORD kAlwaysKill = 1;
constexpr DWORD kDefaultStartupMinutes = 15;
constexpr DWORD kShortestStartupMinutes = 5;
constexpr DWORD kLongestStartupMinutes = 30;
constexpr ULONGLONG kMillisecondsPerMinute = 60000;

DWORD StartupMinutes(DWORD threshold) {
  if (threshold == 0) return kDefaultStartupMinutes;
  if (threshold < kShortestStartupMinutes) return kShortestStartupMinutes;
  if (threshold > kLongestStartupMinutes) return kLongestStartupMinutes;
  return threshold;
}

}  // namespace

bool CanKillRunningExecutables() {
  DWORD always_kill = 0;  // stays 0 when the value cannot be read
  ReadAgentDword(HKEY_LOCAL_MACHINE, kPatchKeyPath, kAlwaysKillAppsValue, false, always_kill);
  if (always_kill == kAlwaysKill) {
    LogInfo(
        "operation : CanKillRunningExecutables; remarks : \"Always kill apps is configured\"; "
        "return_value : TRUE;");
    return true;
  }
  if (IsStartupCycle(GetTickCount64())) {
    LogInfo(
        "operation : CanKillRunningExecutables; remarks : \"Startup cycle detected, allowing "
        "to kill apps\"; return_value : TRUE;");
    return true;
  }
  return false;
}

bool IsStartupCycle(ULONGLONG uptime_ms) {
  DWORD threshold = 0;  // stays 0, the default window, when the value cannot be read
  ReadAgentDword(HKEY_LOCAL_MACHINE, kInternalSettingsKeyPath, kStartupThresholdValue, false,
                 threshold);
  return uptime_ms <= StartupMinutes(threshold) * kMillisecondsPerMinute;
}
