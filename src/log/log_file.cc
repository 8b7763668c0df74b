#include "log/log_file.h"

#include "platform/scoped_handle.h"

namespace {

constexpr DWORD kLogShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;

}  // namespace

HANDLE OpenLogForAppending(const std::string& path) {
  // Append access alone, without write access, is what makes the system place each write at
  // the end of the file as one operation.
  return CreateFileA(path.c_str(), FILE_APPEND_DATA, kLogShareMode, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenLogForReading(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool AppendToLog(HANDLE log_file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(log_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
             FALSE &&
         written == bytes.size();
}

bool LogEndsMidLine(const std::string& path) {
  ScopedHandle file(OpenLogForReading(path));
  LARGE_INTEGER size = {};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) return false;
  LARGE_INTEGER last = {};
  last.QuadPart = size.QuadPart - 1;
  char last_byte = '\n';
  DWORD read = 0;
  return SetFilePointerEx(file.get(), last, nullptr, FILE_BEGIN) &&
         ReadFile(file.get(), &last_byte, 1, &read, nullptr) && read == 1 && last_byte != '\n';
}

bool EmptyLog(const std::string& path) {
  ScopedHandle emptied(CreateFileA(path.c_str(), GENERIC_WRITE, kLogShareMode, nullptr,
                                   TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return emptied.valid();
}
