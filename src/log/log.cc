#include "log/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "log/log_message.h"
#include "log/log_path.h"
#include "log/log_state.h"

namespace {

// Formats the whole text, however long, in a buffer of exactly its size, and logs it.
void LogFormatted(const std::string& level, const char* format, va_list args) {
  va_list measuring;
  va_copy(measuring, args);
  // The analyzer does not see that va_copy has initialised `measuring`.
  // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length < 0) return;
  std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
  if (std::vsnprintf(text.data(), text.size(), format, args) != length) return;
  LogMessage(text.data(), level);
}

}  // namespace

// The printf-style entry points are the log's interface to every caller.
void LogInfo(const char* format, ...) {  // NOLINT(cert-dcl50-cpp)
  va_list args;
  va_start(args, format);
  LogFormatted(kInfoLevel, format, args);
  va_end(args);
}

void LogError(const char* format, ...) {  // NOLINT(cert-dcl50-cpp)
  va_list args;
  va_start(args, format);
  LogFormatted(kErrorLevel, format, args);
  va_end(args);
}

void LogMessage(const std::string& message, const std::string& level) {
  LogState& state = ProcessLogState();
  if (state.resolved_log_path.empty()) state.resolved_log_path = GetLogFilePath();
  if (!state.writer) {
    state.writer = std::make_unique<LogWriter>(state.resolved_log_path);
    // Should the registration fail, only the closing banner is missing.
    static_cast<void>(std::atexit(CloseLogAtExit));
  }
  state.writer->WriteLine(level, message);
}

void CloseLogAtExit() {
  LogState& state = ProcessLogState();
  if (state.writer) state.writer->Close();
}
