#include "platform/host/fake_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>

namespace fake {
namespace {

std::string Lowered(const std::string& text) {
  std::string lowered = text;
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lowered;
}

std::string Hex(DWORD value) {
  char text[16];
  static_cast<void>(std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value)));
  return text;
}

struct RegistryValue {
  DWORD type;
  std::vector<BYTE> data;
};
using RegistryKey = std::map<std::string, RegistryValue>;    // by lowered value name
using RegistryKeyId = std::pair<RegistryView, std::string>;  // view and lowered path

// What a handle handed out by the fake stands for.
struct HandleTarget {
  enum class Kind { kSnapshot, kProcess, kRegistryKey, kFile, kMutex };
  explicit HandleTarget(Kind handle_kind) : kind(handle_kind) {}

  Kind kind;
  std::vector<Process> snapshot;  // kSnapshot: the processes running when it was taken
  size_t cursor = 0;              // kSnapshot: the entry Process32Next reads next
  DWORD process_id = 0;           // kProcess
  DWORD access = 0;               // kProcess
  RegistryKeyId key;              // kRegistryKey
  int fd = -1;                    // kFile: the open host file
  std::string path;               // kFile: its Windows path; kMutex: its name
};

struct Failure {
  int call_number;  // 0: every call
  DWORD error;
};

struct State {
  System system;
  std::map<RegistryKeyId, RegistryKey> registry;
  std::map<std::uintptr_t, HandleTarget> handles;
  std::uintptr_t next_handle = 0x100;
  DWORD next_process_id = 1000;
  DWORD last_error = ERROR_SUCCESS;
  std::map<Api, std::vector<std::string>> calls;
  std::map<Api, int> call_counts;
  std::vector<Api> call_sequence;
  int held_mutexes = 0;
  std::map<Api, std::vector<Failure>> failures;
};

// Never destroyed: handles that the process-wide log writer holds are closed during the
// destruction of static objects, and must still find the system.
std::unique_ptr<State>& StatePointer() {
  static auto* state = new std::unique_ptr<State>(std::make_unique<State>());
  return *state;
}

State& S() { return *StatePointer(); }

// Tells whether the `number`-th call of `api` is to fail, and with which error.
bool FailsNow(Api api, int number, DWORD* error) {
  const auto failures = S().failures.find(api);
  if (failures == S().failures.end()) return false;
  const auto failure = std::find_if(
      failures->second.begin(), failures->second.end(),
      [number](const Failure& f) { return f.call_number == 0 || f.call_number == number; });
  if (failure == failures->second.end()) return false;
  *error = failure->error;
  return true;
}

// Counts a call of `api`, records the text that `make_arguments` gives (only while calls are
// recorded, so that a benchmark pays nothing for it) and tells whether the call is to fail,
// and with which error.
template <typename MakeArguments>
bool RecordCall(Api api, MakeArguments make_arguments, DWORD* error) {
  const int number = ++S().call_counts[api];
  if (S().system.record_calls) {
    S().calls[api].push_back(make_arguments());
    S().call_sequence.push_back(api);
  }
  return FailsNow(api, number, error);
}

std::uintptr_t AddHandle(HandleTarget target) {
  const std::uintptr_t handle = S().next_handle;
  S().next_handle += 4;
  S().handles.emplace(handle, std::move(target));
  return handle;
}

HandleTarget* FindHandle(const void* handle, HandleTarget::Kind kind) {
  auto it = S().handles.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == S().handles.end() || it->second.kind != kind) return nullptr;
  return &it->second;
}

std::string Describe(const void* handle) {
  auto it = S().handles.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == S().handles.end()) return "unknown handle";
  const HandleTarget& target = it->second;
  switch (target.kind) {
    case HandleTarget::Kind::kSnapshot:
      return "snapshot";
    case HandleTarget::Kind::kProcess:
      return "process " + std::to_string(target.process_id);
    case HandleTarget::Kind::kRegistryKey:
      return target.key.second;
    case HandleTarget::Kind::kFile:
      return "file " + target.path;
    case HandleTarget::Kind::kMutex:
      return "mutex " + target.path;
  }
  return "";
}

BOOL FailWith(DWORD error) {
  S().last_error = error;
  return FALSE;
}

// Copies the snapshot's current entry into `entry` and advances, as Process32First/Next do.
BOOL ReadSnapshotEntry(Api api, HANDLE snapshot, PROCESSENTRY32* entry, bool first) {
  DWORD error = ERROR_SUCCESS;
  if (RecordCall(
          api, [&] { return std::string("dwSize=" + std::to_string(entry->dwSize)); }, &error))
    return FailWith(error);
  HandleTarget* target = FindHandle(snapshot, HandleTarget::Kind::kSnapshot);
  if (target == nullptr) return FailWith(ERROR_INVALID_HANDLE);
  if (entry->dwSize != sizeof(PROCESSENTRY32)) return FailWith(ERROR_BAD_LENGTH);
  if (first) target->cursor = 0;
  if (target->cursor >= target->snapshot.size()) return FailWith(ERROR_NO_MORE_FILES);
  const Process& process = target->snapshot[target->cursor++];
  std::memset(entry, 0, sizeof *entry);
  entry->dwSize = sizeof *entry;
  entry->th32ProcessID = process.id;
  const size_t length = std::min(process.image_name.size(), sizeof entry->szExeFile - 1);
  std::memcpy(entry->szExeFile, process.image_name.data(), length);
  return TRUE;
}

}  // namespace

DWORD System::AddProcess(const std::string& image_name, DWORD open_error) {
  const DWORD id = S().next_process_id;
  S().next_process_id += 4;
  processes.push_back(Process{id, image_name, open_error, true, 0});
  return id;
}

void System::AddProcessWithId(DWORD id, const std::string& image_name) {
  processes.push_back(Process{id, image_name, ERROR_SUCCESS, true, 0});
}

Process& System::process(DWORD id) {
  const auto found = std::find_if(processes.begin(), processes.end(),
                                  [id](const Process& candidate) { return candidate.id == id; });
  if (found == processes.end()) {
    throw std::out_of_range("no fake process with id " + std::to_string(id));
  }
  return *found;
}

void System::SetValue(RegistryView view, const std::string& key, const std::string& name,
                      DWORD type, const std::vector<BYTE>& data) {
  S().registry[{view, Lowered(key)}][Lowered(name)] = RegistryValue{type, data};
}

void System::SetDword(RegistryView view, const std::string& key, const std::string& name,
                      DWORD value) {
  std::vector<BYTE> data(sizeof value);
  std::memcpy(data.data(), &value, sizeof value);
  SetValue(view, key, name, REG_DWORD, data);
}

void System::SetString(RegistryView view, const std::string& key, const std::string& name,
                       const std::string& text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(view, key, name, REG_SZ, data);
}

void System::AddKey(RegistryView view, const std::string& key) {
  S().registry[{view, Lowered(key)}];
}

void System::Fail(Api api, DWORD error) { S().failures[api].push_back(Failure{0, error}); }

void System::FailCall(Api api, int call_number, DWORD error) {
  const int made = S().call_counts[api];
  S().failures[api].push_back(Failure{made + call_number, error});
}

std::vector<std::string> System::Calls(Api api) const {
  auto it = S().calls.find(api);
  return it == S().calls.end() ? std::vector<std::string>() : it->second;
}

std::vector<Api> System::CallSequence() const { return S().call_sequence; }

int System::HeldMutexCount() const { return S().held_mutexes; }

int System::OpenHandleCount() const { return static_cast<int>(S().handles.size()); }

System& TheSystem() { return S().system; }

void Reset() { StatePointer() = std::make_unique<State>(); }

std::string HostPath(const std::string& windows_path) {
  std::string path = windows_path;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace fake

using fake::Api;
using fake::HandleTarget;
using fake::S;

DWORD GetLastError() { return S().last_error; }

void SetLastError(DWORD error) { S().last_error = error; }

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD process_id) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kCreateToolhelp32Snapshot,
          [&] {
            return std::string("flags=" + std::to_string(flags) +
                               " pid=" + std::to_string(process_id));
          },
          &error)) {
    fake::FailWith(error);
    return INVALID_HANDLE_VALUE;
  }
  if (flags != TH32CS_SNAPPROCESS) {
    fake::FailWith(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  HandleTarget target(HandleTarget::Kind::kSnapshot);
  for (const fake::Process& process : S().system.processes) {
    if (process.running) target.snapshot.push_back(process);
  }
  HANDLE snapshot = reinterpret_cast<HANDLE>(fake::AddHandle(std::move(target)));
  if (S().system.after_snapshot) {
    S().system.after_snapshot(static_cast<int>(S().calls[Api::kCreateToolhelp32Snapshot].size()));
  }
  return snapshot;
}

BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
  return fake::ReadSnapshotEntry(Api::kProcess32First, snapshot, entry, true);
}

BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
  return fake::ReadSnapshotEntry(Api::kProcess32Next, snapshot, entry, false);
}

DWORD GetCurrentProcessId() { return S().system.current_process_id; }

HANDLE OpenProcess(DWORD desired_access, BOOL inherit_handle, DWORD process_id) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kOpenProcess,
          [&] {
            return std::string("access=" + fake::Hex(desired_access) +
                               " inherit=" + std::to_string(inherit_handle) +
                               " pid=" + std::to_string(process_id));
          },
          &error)) {
    fake::FailWith(error);
    return nullptr;
  }
  for (const fake::Process& process : S().system.processes) {
    if (process.id != process_id || !process.running) continue;
    if (process.open_error != ERROR_SUCCESS) {
      fake::FailWith(process.open_error);
      return nullptr;
    }
    HandleTarget target(HandleTarget::Kind::kProcess);
    target.process_id = process_id;
    target.access = desired_access;
    return reinterpret_cast<HANDLE>(fake::AddHandle(std::move(target)));
  }
  fake::FailWith(ERROR_INVALID_PARAMETER);  // what the system answers for an ended process
  return nullptr;
}

BOOL TerminateProcess(HANDLE process, UINT exit_code) {
  HandleTarget* target = fake::FindHandle(process, HandleTarget::Kind::kProcess);
  const std::string subject =
      target != nullptr ? "pid=" + std::to_string(target->process_id) : "unknown handle";
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kTerminateProcess,
          [&] { return std::string(subject + " exit_code=" + std::to_string(exit_code)); },
          &error)) {
    return fake::FailWith(error);
  }
  if (target == nullptr) return fake::FailWith(ERROR_INVALID_HANDLE);
  if ((target->access & PROCESS_TERMINATE) == 0) return fake::FailWith(ERROR_ACCESS_DENIED);
  fake::Process& ended = S().system.process(target->process_id);
  ended.running = false;
  ended.exit_code = exit_code;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  const std::string subject = fake::Describe(handle);
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kCloseHandle, [&] { return std::string(subject); }, &error))
    return fake::FailWith(error);
  auto it = S().handles.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == S().handles.end() || it->second.kind == HandleTarget::Kind::kRegistryKey) {
    return fake::FailWith(ERROR_INVALID_HANDLE);
  }
  if (it->second.kind == HandleTarget::Kind::kFile) ::close(it->second.fd);
  S().handles.erase(it);
  return TRUE;
}

LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM desired, PHKEY result) {
  const std::string root = key == HKEY_LOCAL_MACHINE ? "HKLM" : "other";
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kRegOpenKeyExA,
          [&] {
            return std::string("root=" + root + " key=" + sub_key + " options=" +
                               std::to_string(options) + " access=" + fake::Hex(desired));
          },
          &error)) {
    return static_cast<LONG>(error);
  }
  if (key != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
  const fake::RegistryView view =
      (desired & KEY_WOW64_64KEY) != 0 ? fake::RegistryView::k64 : fake::RegistryView::k32;
  const fake::RegistryKeyId id{view, fake::Lowered(sub_key)};
  if (S().registry.count(id) == 0) return ERROR_FILE_NOT_FOUND;
  if (S().system.open_key_yields_no_handle) {
    *result = nullptr;
    return ERROR_SUCCESS;
  }
  HandleTarget target(HandleTarget::Kind::kRegistryKey);
  target.key = id;
  *result = reinterpret_cast<HKEY>(fake::AddHandle(std::move(target)));
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size) {
  const std::string size_text = data_size != nullptr ? std::to_string(*data_size) : "none";
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kRegQueryValueExA,
          [&] {
            return std::string("name=" + std::string(value_name) +
                               (data != nullptr ? " data" : " no-data") + " size=" + size_text);
          },
          &error)) {
    return static_cast<LONG>(error);
  }
  HandleTarget* target = fake::FindHandle(key, HandleTarget::Kind::kRegistryKey);
  if (target == nullptr) return ERROR_INVALID_HANDLE;
  if (reserved != nullptr || (data != nullptr && data_size == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  const fake::RegistryKey& values = S().registry[target->key];
  auto it = values.find(fake::Lowered(value_name));
  if (it == values.end()) return ERROR_FILE_NOT_FOUND;
  const fake::RegistryValue& value = it->second;
  if (type != nullptr) *type = value.type;
  const auto size = static_cast<DWORD>(value.data.size());
  if (data != nullptr) {
    if (*data_size < size) {
      *data_size = size;
      return ERROR_MORE_DATA;
    }
    std::copy(value.data.begin(), value.data.end(), data);
  }
  if (data_size != nullptr) *data_size = size;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  HandleTarget* target = fake::FindHandle(key, HandleTarget::Kind::kRegistryKey);
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kRegCloseKey, [&] { return std::string(fake::Describe(key)); }, &error)) {
    return static_cast<LONG>(error);
  }
  if (target == nullptr) return ERROR_INVALID_HANDLE;
  S().handles.erase(reinterpret_cast<std::uintptr_t>(key));
  return ERROR_SUCCESS;
}

ULONGLONG GetTickCount64() { return S().system.tick_count; }

void Sleep(DWORD milliseconds) {
  DWORD error = ERROR_SUCCESS;
  fake::RecordCall(
      Api::kSleep, [&] { return std::string(std::to_string(milliseconds)); }, &error);
  if (S().system.on_sleep) S().system.on_sleep(milliseconds);
}

void GetSystemTime(SYSTEMTIME* utc) { *utc = S().system.system_time; }

// The fake's time zone maps every moment to the local time that the test set.
BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME*,
                                     SYSTEMTIME* local) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kSystemTimeToTzSpecificLocalTime,
          [&] { return std::string(zone == nullptr ? "current zone" : "given zone"); }, &error)) {
    return fake::FailWith(error);
  }
  *local = S().system.local_time;
  return TRUE;
}

DWORD GetCurrentThreadId() { return S().system.current_thread_id; }

HANDLE CreateMutexA(SECURITY_ATTRIBUTES* security, BOOL initial_owner, LPCSTR name) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kCreateMutexA,
          [&] {
            return std::string(std::string("security=") + (security == nullptr ? "none" : "given") +
                               " owner=" + std::to_string(initial_owner) +
                               " name=" + (name == nullptr ? "none" : name));
          },
          &error)) {
    fake::FailWith(error);
    return nullptr;
  }
  HandleTarget target(HandleTarget::Kind::kMutex);
  target.path = name == nullptr ? "" : name;
  if (initial_owner) ++S().held_mutexes;
  return reinterpret_cast<HANDLE>(fake::AddHandle(std::move(target)));
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kWaitForSingleObject,
          [&] {
            return std::string(fake::Describe(handle) + " ms=" + std::to_string(milliseconds));
          },
          &error)) {
    fake::FailWith(error);
    return WAIT_FAILED;
  }
  if (fake::FindHandle(handle, HandleTarget::Kind::kMutex) == nullptr) {
    fake::FailWith(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const DWORD result = S().system.wait_result.value_or(WAIT_OBJECT_0);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ++S().held_mutexes;
  return result;
}

BOOL ReleaseMutex(HANDLE mutex) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kReleaseMutex, [&] { return std::string(fake::Describe(mutex)); }, &error)) {
    return fake::FailWith(error);
  }
  if (fake::FindHandle(mutex, HandleTarget::Kind::kMutex) == nullptr) {
    return fake::FailWith(ERROR_INVALID_HANDLE);
  }
  if (S().held_mutexes == 0) return fake::FailWith(ERROR_NOT_OWNER);
  --S().held_mutexes;
  return TRUE;
}

HANDLE CreateFileA(LPCSTR file_name, DWORD desired_access, DWORD share_mode,
                   SECURITY_ATTRIBUTES* security, DWORD creation_disposition,
                   DWORD flags_and_attributes, HANDLE template_file) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kCreateFileA,
          [&] {
            return std::string(std::string(file_name) + " access=" + fake::Hex(desired_access) +
                               " share=" + std::to_string(share_mode) +
                               " security=" + (security == nullptr ? "none" : "given") +
                               " disposition=" + std::to_string(creation_disposition) +
                               " flags=" + fake::Hex(flags_and_attributes) +
                               " template=" + (template_file == nullptr ? "none" : "given"));
          },
          &error)) {
    fake::FailWith(error);
    return INVALID_HANDLE_VALUE;
  }
  // Only the opens that the handler makes: reading a file that exists, appending to a file
  // that is created when missing, and emptying a file that exists.
  int flags = 0;
  if (desired_access == GENERIC_READ && creation_disposition == OPEN_EXISTING) {
    flags = O_RDONLY;
  } else if (desired_access == FILE_APPEND_DATA && creation_disposition == OPEN_ALWAYS) {
    flags = O_WRONLY | O_APPEND | O_CREAT;
  } else if (desired_access == GENERIC_WRITE && creation_disposition == TRUNCATE_EXISTING) {
    flags = O_WRONLY | O_TRUNC;
  } else {
    fake::FailWith(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const int fd = ::open(fake::HostPath(file_name).c_str(), flags, 0644);
  if (fd < 0) {
    fake::FailWith(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  HandleTarget target(HandleTarget::Kind::kFile);
  target.fd = fd;
  target.path = file_name;
  return reinterpret_cast<HANDLE>(fake::AddHandle(std::move(target)));
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  HandleTarget* target = fake::FindHandle(file, HandleTarget::Kind::kFile);
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kGetFileSizeEx, [&] { return std::string(fake::Describe(file)); }, &error)) {
    return fake::FailWith(error);
  }
  if (target == nullptr) return fake::FailWith(ERROR_INVALID_HANDLE);
  struct stat status = {};
  if (::fstat(target->fd, &status) != 0) return fake::FailWith(ERROR_INVALID_HANDLE);
  size->QuadPart = S().system.reported_file_size.value_or(status.st_size);
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* new_position,
                      DWORD move_method) {
  HandleTarget* target = fake::FindHandle(file, HandleTarget::Kind::kFile);
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kSetFilePointerEx,
          [&] {
            return std::string(fake::Describe(file) +
                               " distance=" + std::to_string(distance.QuadPart) +
                               " method=" + std::to_string(move_method));
          },
          &error)) {
    return fake::FailWith(error);
  }
  if (target == nullptr || move_method != FILE_BEGIN)
    return fake::FailWith(ERROR_INVALID_PARAMETER);
  const off_t position = ::lseek(target->fd, static_cast<off_t>(distance.QuadPart), SEEK_SET);
  if (position < 0) return fake::FailWith(ERROR_INVALID_PARAMETER);
  if (new_position != nullptr) new_position->QuadPart = position;
  return TRUE;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read,
              OVERLAPPED* overlapped) {
  HandleTarget* target = fake::FindHandle(file, HandleTarget::Kind::kFile);
  DWORD error = ERROR_SUCCESS;
  *bytes_read = 0;
  if (fake::RecordCall(
          Api::kReadFile,
          [&] {
            return std::string(fake::Describe(file) + " bytes=" + std::to_string(bytes_to_read) +
                               " overlapped=" + (overlapped == nullptr ? "none" : "given"));
          },
          &error)) {
    return fake::FailWith(error);
  }
  if (target == nullptr) return fake::FailWith(ERROR_INVALID_HANDLE);
  const ssize_t read = ::read(target->fd, buffer, bytes_to_read);
  if (read < 0) return fake::FailWith(ERROR_ACCESS_DENIED);
  *bytes_read = static_cast<DWORD>(read);
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes_to_write, LPDWORD bytes_written,
               OVERLAPPED* overlapped) {
  HandleTarget* target = fake::FindHandle(file, HandleTarget::Kind::kFile);
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kWriteFile,
          [&] {
            return std::string(fake::Describe(file) + " bytes=" + std::to_string(bytes_to_write) +
                               " overlapped=" + (overlapped == nullptr ? "none" : "given"));
          },
          &error)) {
    *bytes_written = 0;
    return fake::FailWith(error);
  }
  *bytes_written = 0;
  if (target == nullptr) return fake::FailWith(ERROR_INVALID_HANDLE);
  std::optional<size_t>& free_bytes = S().system.free_disk_bytes;
  const size_t fitting = std::min<size_t>(bytes_to_write, free_bytes.value_or(bytes_to_write));
  const ssize_t written = ::write(target->fd, buffer, fitting);
  if (written < 0) return fake::FailWith(ERROR_ACCESS_DENIED);
  *bytes_written = static_cast<DWORD>(written);
  if (free_bytes) *free_bytes -= static_cast<size_t>(written);
  return static_cast<size_t>(written) < bytes_to_write ? fake::FailWith(ERROR_DISK_FULL) : TRUE;
}

DWORD GetFileAttributesA(LPCSTR file_name) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kGetFileAttributesA, [&] { return std::string(file_name); }, &error)) {
    fake::FailWith(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat status = {};
  if (::stat(fake::HostPath(file_name).c_str(), &status) != 0) {
    fake::FailWith(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  return S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}

BOOL CopyFileA(LPCSTR existing_file_name, LPCSTR new_file_name, BOOL fail_if_exists) {
  DWORD error = ERROR_SUCCESS;
  if (fake::RecordCall(
          Api::kCopyFileA,
          [&] {
            return std::string(std::string(existing_file_name) + " -> " + new_file_name +
                               " fail_if_exists=" + std::to_string(fail_if_exists));
          },
          &error)) {
    return fake::FailWith(error);
  }
  namespace fs = std::filesystem;
  const fs::path destination = fake::HostPath(new_file_name);
  if (fs::is_directory(destination)) return fake::FailWith(ERROR_ACCESS_DENIED);
  std::error_code failure;
  fs::copy_file(fake::HostPath(existing_file_name), destination,
                fail_if_exists ? fs::copy_options::none : fs::copy_options::overwrite_existing,
                failure);
  return failure ? fake::FailWith(ERROR_ACCESS_DENIED) : TRUE;
}
