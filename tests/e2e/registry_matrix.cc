// Reads the agent's three registry values, stored with every value type and with 0 to 8
// bytes of data, through the handler's own code on the real registry (32-bit view), and
// prints each case that reads otherwise than expected. Exits with the number of such cases.
//   registry_matrix.exe
// The machine must have been up for 20 minutes: past the default startup window of 15
// minutes, within the 30 minutes that a startupThreshold of 30 gives.
#include <cstdio>
#include <string>
#include <vector>

#include "handler/agent_settings.h"
#include "handler/kill_permission.h"
#include "log/log_path.h"
#include "log/log_state.h"
#include "platform/scoped_handle.h"
#include "platform/win32.h"

namespace {

constexpr DWORD kTypes[] = {REG_NONE,     REG_SZ,    REG_EXPAND_SZ,
                            REG_BINARY,   REG_DWORD, REG_DWORD_BIG_ENDIAN,
                            REG_MULTI_SZ, REG_QWORD};
constexpr size_t kMaxSize = 8;

// Stores `data` as `name` of type `type` under `key` (32-bit view), after removing both of
// the agent's settings values, so that each case sees one value only.
bool Store(const std::string& key, const char* name, DWORD type, const BYTE* data, size_t size) {
  ScopedRegKey opened;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, opened.receive(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(opened.get(), name, 0, type, data, static_cast<DWORD>(size)) ==
         ERROR_SUCCESS;
}

void Remove(const std::string& key, const char* name) {
  ScopedRegKey opened;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                    opened.receive()) == ERROR_SUCCESS) {
    RegDeleteValueA(opened.get(), name);
  }
}

int g_failures = 0;
int g_cases = 0;

void Check(bool as_expected, const char* value, DWORD type, size_t size, const std::string& got) {
  ++g_cases;
  if (as_expected) return;
  ++g_failures;
  std::printf("%s type %lu size %u: %s\n", value, static_cast<unsigned long>(type),
              static_cast<unsigned>(size), got.c_str());
}

// A setting permits ending applications at 20 minutes of uptime exactly when it reads as a
// REG_DWORD of 1 to 4 bytes: alwaysKillApps as 1, startupThreshold as 30.
void CheckSetting(const std::string& key, const char* name, BYTE low_byte) {
  const BYTE data[kMaxSize] = {low_byte, 0, 0, 0, 0x55, 0x55, 0x55, 0x55};
  for (DWORD type : kTypes) {
    for (size_t size = 0; size <= kMaxSize; ++size) {
      Remove(kPatchKeyPath, kAlwaysKillAppsValue.c_str());
      Remove(kInternalSettingsKeyPath, kStartupThresholdValue.c_str());
      if (!Store(key, name, type, data, size)) {
        Check(false, name, type, size, "could not be stored");
        continue;
      }
      const bool expected = type == REG_DWORD && size >= 1 && size <= 4;
      const bool permitted = CanKillRunningExecutables();
      Check(permitted == expected, name, type, size,
            permitted ? "permits ending" : "does not permit ending");
    }
  }
  Remove(key, name);
}

// HVAgentInstallDir counts only as REG_SZ, up to its first NUL or the end of its data.
void CheckInstallDir() {
  const char data[kMaxSize + 1] = "C:\\ab\0cd";
  for (DWORD type : kTypes) {
    for (size_t size = 0; size <= kMaxSize; ++size) {
      if (!Store(kAgentKeyPath, "HVAgentInstallDir", type, reinterpret_cast<const BYTE*>(data),
                 size)) {
        Check(false, "HVAgentInstallDir", type, size, "could not be stored");
        continue;
      }
      ProcessLogState() = LogState();
      ReadAgentString(false);
      const std::string expected =
          type == REG_SZ ? std::string(data, size < 5 ? size : 5) : std::string();
      const std::string got = ProcessLogState().install_dir;
      Check(got == expected, "HVAgentInstallDir", type, size, "read as \"" + got + "\"");
    }
  }
  Remove(kAgentKeyPath, "HVAgentInstallDir");
}

}  // namespace

int main() {
  CheckSetting(kPatchKeyPath, kAlwaysKillAppsValue.c_str(), 1);
  CheckSetting(kInternalSettingsKeyPath, kStartupThresholdValue.c_str(), 30);
  CheckInstallDir();
  std::printf("%d of %d cases as expected\n", g_cases - g_failures, g_cases);
  return g_failures;
}
