#include "log/log_rotation.h"

#include "log/log_file.h"
#include "log/log_state.h"
#include "platform/scoped_handle.h"
#include "platform/win32.h"

namespace {

constexpr int kRotationCheckInterval = 500;
constexpr LONGLONG kRotationSizeLimit = 3145728;  // 3 MiB
constexpr int kGenerations = 4;

// The size of the file on disk. False when it cannot be read.
bool ReadFileSize(const std::string& path, LONGLONG* size) {
  ScopedHandle file(OpenLogForReading(path));
  if (!file.valid()) return false;
  LARGE_INTEGER file_size = {};
  const BOOL read = GetFileSizeEx(file.get(), &file_size);
  file.Close();
  if (!read) return false;
  *size = file_size.QuadPart;
  return true;
}

// Generation `n` of the log: stem, n, '.', extension; generation 0 is the log itself.
std::string GenerationName(const std::string& stem, int n, const std::string& extension) {
  return stem + (n > 0 ? std::to_string(n) : "") + "." + extension;
}

bool IsCopyableFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Copies generation n to n + 1, oldest first, so that each moves down before the one
// above it overwrites it. A missing source or a failed copy skips that step only. True
// when the log itself was copied to generation 1.
bool CopyGenerationsDown(const std::string& log_path) {
  const std::string stem = GetPathStem(log_path);
  const std::string extension = GetPathExtension(log_path);
  bool log_copied = false;
  for (int n = kGenerations - 1; n >= 0; --n) {
    const std::string source = GenerationName(stem, n, extension);
    if (!IsCopyableFile(source)) continue;
    const std::string destination = GenerationName(stem, n + 1, extension);
    const BOOL copied = CopyFileA(source.c_str(), destination.c_str(), FALSE);
    if (n == 0) log_copied = copied != FALSE;
  }
  return log_copied;
}

}  // namespace

void RotateIfNeeded(ScopedHandle& log_file, const std::string& log_path) {
  int& counter = ProcessLogState().rotation_counter;
  const bool due = counter == 0;
  if (++counter == kRotationCheckInterval) counter = 0;
  if (!due) return;

  LONGLONG size = 0;
  if (!ReadFileSize(log_path, &size) || size < kRotationSizeLimit) return;
  log_file.Close();
  // Emptying the log after a failed copy would lose its lines: they wait for the next check.
  if (!CopyGenerationsDown(log_path)) return;
  EmptyLog(log_path);
}

std::string GetPathStem(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string GetPathExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}
