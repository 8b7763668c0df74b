// The part of the Win32 API that the handler uses, declared for the host build. Types and
// layouts are those of the 32-bit target; the calls are answered by the fake system
// (fake_system.h), which tests set up and inspect.
#ifndef HVPREREQ_PLATFORM_HOST_WIN32_API_H_
#define HVPREREQ_PLATFORM_HOST_WIN32_API_H_

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using ULONGLONG = std::uint64_t;
using CHAR = char;
using HANDLE = void*;
using REGSAM = DWORD;
using LPCSTR = const char*;
using LONGLONG = std::int64_t;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPCVOID = const void*;
using LPVOID = void*;
struct HostRegistryKey;
using HKEY = HostRegistryKey*;
using PHKEY = HKEY*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
constexpr DWORD MAX_PATH = 260;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_BAD_LENGTH = 24;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NOT_OWNER = 288;
constexpr DWORD ERROR_INVALID_DATATYPE = 1804;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_QWORD = 11;

constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_APPEND_DATA = 0x4;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

constexpr DWORD TH32CS_SNAPPROCESS = 0x2;
constexpr DWORD PROCESS_TERMINATE = 0x1;

inline HostRegistryKey* const HKEY_LOCAL_MACHINE =
    reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u));
inline void* const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~static_cast<std::uintptr_t>(0));

struct PROCESSENTRY32 {
  DWORD dwSize;
  DWORD cntUsage;
  DWORD th32ProcessID;
  DWORD th32DefaultHeapID;  // pointer-sized on the 32-bit target
  DWORD th32ModuleID;
  DWORD cntThreads;
  DWORD th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  CHAR szExeFile[MAX_PATH];
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct TIME_ZONE_INFORMATION;
struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;

union LARGE_INTEGER {
  LONGLONG QuadPart;
};

// Errors of the calling thread.
DWORD GetLastError();
void SetLastError(DWORD error);

// Process list and process control.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD process_id);
BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry);
BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry);
DWORD GetCurrentProcessId();
HANDLE OpenProcess(DWORD desired_access, BOOL inherit_handle, DWORD process_id);
BOOL TerminateProcess(HANDLE process, UINT exit_code);
BOOL CloseHandle(HANDLE handle);

// Registry.
LONG RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM desired, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size);
LONG RegCloseKey(HKEY key);

// Clocks, threads and waiting.
ULONGLONG GetTickCount64();
void Sleep(DWORD milliseconds);
void GetSystemTime(SYSTEMTIME* utc);
BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME* utc,
                                     SYSTEMTIME* local);
DWORD GetCurrentThreadId();

// Named mutexes, shared by the processes of the machine.
HANDLE CreateMutexA(SECURITY_ATTRIBUTES* security, BOOL initial_owner, LPCSTR name);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL ReleaseMutex(HANDLE mutex);

// Files, which on the host are real files at the host path of the Windows path.
HANDLE CreateFileA(LPCSTR file_name, DWORD desired_access, DWORD share_mode,
                   SECURITY_ATTRIBUTES* security, DWORD creation_disposition,
                   DWORD flags_and_attributes, HANDLE template_file);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* new_position,
                      DWORD move_method);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read,
              OVERLAPPED* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes_to_write, LPDWORD bytes_written,
               OVERLAPPED* overlapped);
DWORD GetFileAttributesA(LPCSTR file_name);
BOOL CopyFileA(LPCSTR existing_file_name, LPCSTR new_file_name, BOOL fail_if_exists);

#endif  // HVPREREQ_PLATFORM_HOST_WIN32_API_H_
