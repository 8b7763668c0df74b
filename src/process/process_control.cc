#include "process/process_control.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

#include "platform/scoped_handle.h"
#include "process/name_match.h"

namespace {

// The size of the ANSI process entry of the 32-bit system, which Process32First checks.
constexpr DWORD kProcessEntrySize = 296;
static_assert(sizeof(PROCESSENTRY32) == kProcessEntrySize,
              "PROCESSENTRY32 must have the 32-bit system's layout");

// TH32CS_SNAPPROCESS lists every process whatever id is given; 0 says so.
constexpr DWORD kAllProcesses = 0;
constexpr UINT kTerminatedExitCode = 1;

constexpr const char* kProtectedNames[] = {
    "System",       "Idle",         "smss.exe",      "csrss.exe",
    "wininit.exe",  "services.exe", "lsass.exe",     "svchost.exe",
    "winlogon.exe", "spoolsv.exe",  "taskhostw.exe", "fontdrvhost.exe",
    "audiodg.exe",  "ntoskrnl.exe",
};

// Calls visit(process id) for each process other than this one whose image name matches
// `name`, in snapshot order, until visit returns false. Returns the error code of
// CreateToolhelp32Snapshot when the snapshot cannot be taken, else ERROR_SUCCESS (also when
// it has no readable entry).
template <typename Visit>
DWORD ForEachOtherProcessNamed(const std::string& name, Visit visit) {
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, kAllProcesses));
  if (!snapshot.valid()) return GetLastError();
  const DWORD own_id = GetCurrentProcessId();
  PROCESSENTRY32 entry = {};
  entry.dwSize = kProcessEntrySize;
  for (BOOL more = Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    const std::string_view image(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile));
    if (entry.th32ProcessID == own_id || !NamesMatch(image, name)) continue;
    if (!visit(entry.th32ProcessID)) break;
  }
  return ERROR_SUCCESS;
}

}  // namespace

bool IsProcessRunning(const std::string& name) {
  bool found = false;
  ForEachOtherProcessNamed(name, [&found](DWORD) {
    found = true;
    return false;
  });
  return found;
}

bool IsProtectedProcess(const std::string& name) {
  return std::any_of(
      std::begin(kProtectedNames), std::end(kProtectedNames),
      [&name](const char* protected_name) { return NamesMatch(name, protected_name); });
}

DWORD TerminateProcessesByName(const std::string& name) {
  if (name.empty()) return ERROR_INVALID_PARAMETER;
  if (IsProtectedProcess(name)) return ERROR_ACCESS_DENIED;
  DWORD result = ERROR_SUCCESS;
  const DWORD listing = ForEachOtherProcessNamed(name, [&result](DWORD id) {
    ScopedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
    // The error is read before the handle is closed, which would overwrite it.
    if (!process.valid() || !TerminateProcess(process.get(), kTerminatedExitCode)) {
      result = GetLastError();
    }
    return true;
  });
  // Nothing was ended when the process list could not be read, which is no success.
  return listing != ERROR_SUCCESS ? listing : result;
}
