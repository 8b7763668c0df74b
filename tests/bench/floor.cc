// The least system work that a handler run with nothing to end needs, for the benchmark to
// measure the handler against: 17 walks of the process list (one per built-in name), one
// registry read (the install directory), one open of a log file and three lines written to
// it one write each (the opening banner, the run's one message, the closing banner).
//   floor.exe LOG_FILE
#include <string>

#include "platform/win32.h"

namespace {

constexpr int kProcessListWalks = 17;
constexpr int kLines = 3;

void WalkProcessList() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
  }
  CloseHandle(snapshot);
}

void ReadInstallDir() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vantorel\\Halvarion\\HVAgent", 0,
                    KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
    return;
  }
  char dir[MAX_PATH] = {};
  DWORD size = sizeof dir;
  RegQueryValueExA(key, "HVAgentInstallDir", nullptr, nullptr, reinterpret_cast<BYTE*>(dir),
                   &size);
  RegCloseKey(key);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  for (int i = 0; i < kProcessListWalks; ++i) WalkProcessList();
  ReadInstallDir();
  HANDLE log = CreateFileA(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 3;
  const std::string line =
      "[ 2026-01-01 00:00:00:000 ][ 1 ] [ INFO ] operation : Main; remarks : \"No running "
      "executables found\"; return_value : ERROR_SUCCESS;\r\n";
  for (int i = 0; i < kLines; ++i) {
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  CloseHandle(log);
  return 0;
}
