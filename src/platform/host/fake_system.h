// The host build's system: a process table, a registry, clocks and thread ids that a test
// sets, failures it injects into any call, and a record of every call with its arguments.
// The Win32 calls of win32_api.h act on it; files stay real files.
#ifndef HVPREREQ_PLATFORM_HOST_FAKE_SYSTEM_H_
#define HVPREREQ_PLATFORM_HOST_FAKE_SYSTEM_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace fake {

// The calls that the fake records and can make fail.
enum class Api {
  kCreateToolhelp32Snapshot,
  kProcess32First,
  kProcess32Next,
  kOpenProcess,
  kTerminateProcess,
  kCloseHandle,
  kRegOpenKeyExA,
  kRegQueryValueExA,
  kRegCloseKey,
  kSleep,
  kSystemTimeToTzSpecificLocalTime,
  kCreateFileA,
  kGetFileSizeEx,
  kGetFileAttributesA,
  kCopyFileA,
  kSetFilePointerEx,
  kReadFile,
  kWriteFile,
  kCreateMutexA,
  kWaitForSingleObject,
  kReleaseMutex,
};

// The two registry views of a 64-bit system. A 32-bit program sees k32 unless it asks for
// KEY_WOW64_64KEY.
enum class RegistryView { k32, k64 };

struct Process {
  DWORD id;
  std::string image_name;
  DWORD open_error;  // when non-zero, OpenProcess refuses the process with this code
  bool running;
  UINT exit_code;  // the code TerminateProcess ended it with
};

class System {
 public:
  // What the clock and identity calls answer. Tests change these freely.
  ULONGLONG tick_count = 3600000;
  DWORD current_process_id = 4000;
  DWORD current_thread_id = 5208;
  SYSTEMTIME system_time = {2024, 3, 2, 5, 8, 4, 3, 7};  // UTC, from GetSystemTime
  SYSTEMTIME local_time = {2024, 3, 2, 5, 9, 4, 3, 7};   // what the zone conversion gives
  // When set, GetFileSizeEx reports this size instead of the file's real one.
  std::optional<LONGLONG> reported_file_size;
  // When set, the disk has room for this many more bytes: WriteFile writes what fits and
  // reports ERROR_DISK_FULL when that is less than it was given.
  std::optional<size_t> free_disk_bytes;
  // When set, WaitForSingleObject answers this (WAIT_TIMEOUT, say) instead of taking the
  // mutex.
  std::optional<DWORD> wait_result;
  // Runs after each snapshot has been taken with the snapshot's number (1 for the first), so
  // that a test can end a process that the snapshot still lists.
  std::function<void(int)> after_snapshot;
  // Runs inside Sleep with its argument, so a test can end or start processes meanwhile.
  std::function<void(DWORD)> on_sleep;

  // Adds a running process and returns its id. A non-zero `open_error` makes OpenProcess
  // refuse it with that code.
  DWORD AddProcess(const std::string& image_name, DWORD open_error = ERROR_SUCCESS);
  // Adds a running process with a chosen id, such as the handler's own.
  void AddProcessWithId(DWORD id, const std::string& image_name);
  // The process with `id`; it must exist.
  Process& process(DWORD id);
  // Every process ever added, ended ones included, in the order that snapshots list them.
  std::vector<Process> processes;

  // Creates the key (if missing) and stores a value of any type and size under it. Key
  // paths and value names are compared ignoring ASCII case, as the registry does.
  void SetValue(RegistryView view, const std::string& key, const std::string& name, DWORD type,
                const std::vector<BYTE>& data);
  void SetDword(RegistryView view, const std::string& key, const std::string& name, DWORD value);
  // Stores `text` as REG_SZ data with its terminating NUL.
  void SetString(RegistryView view, const std::string& key, const std::string& name,
                 const std::string& text);
  // Creates an empty key.
  void AddKey(RegistryView view, const std::string& key);

  // Whether calls are recorded for Calls and CallSequence; a benchmark turns it off. Calls
  // are counted, and fail as asked, either way.
  bool record_calls = true;

  // Makes every later call of `api` fail with `error`.
  void Fail(Api api, DWORD error);
  // Makes only the `call_number`-th call of `api` from now on fail (1 is the next one).
  void FailCall(Api api, int call_number, DWORD error);
  // RegOpenKeyExA then reports success but hands back no key.
  bool open_key_yields_no_handle = false;

  // The arguments of every call of `api` so far, in call order, as text.
  std::vector<std::string> Calls(Api api) const;
  // Every recorded call so far, of every api, in call order.
  std::vector<Api> CallSequence() const;
  // How many times mutexes have been taken and not yet released.
  int HeldMutexCount() const;
  // Kernel handles and registry keys handed out and not closed yet.
  int OpenHandleCount() const;
};

// The system that the Win32 calls act on.
System& TheSystem();
// Replaces the system with a new one: no processes, an empty registry, no failures, no
// recorded calls, no open handles.
void Reset();

// The host path of a Windows path: '\' separators become '/'.
std::string HostPath(const std::string& windows_path);

}  // namespace fake

#endif  // HVPREREQ_PLATFORM_HOST_FAKE_SYSTEM_H_
