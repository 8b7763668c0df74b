#include "log/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "log/log_message.h"
#include "log/log_path.h"
#include "log/log_state.h"

namespace {

// Room for the handler's own messages, so that most are formatted once, without an
// allocation; a longer text is measured and formatted again in a buffer of its size.
constexpr size_t kShortMessage = 512;

// Formats the whole text, however long, and logs it.
void LogFormatted(const std::string& level, const char* format, va_list args) {
  char short_text[kShortMessage];
  va_list first;
  va_copy(first, args);
  // The analyzer does not see that va_copy has initialised `first`.
  // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
  const int length = std::vsnprintf(short_text, sizeof short_text, format, first);
  va_end(first);
  if (length < 0) return;
  // The text runs to its first NUL, as a C string does.
  std::string& message = ProcessLogState().message_text;
  if (static_cast<size_t>(length) < sizeof short_text) {
    message.assign(short_text);
  } else {
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    if (std::vsnprintf(text.data(), text.size(), format, args) != length) return;
    message.assign(text.data());
  }
  LogMessage(message, level);
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
