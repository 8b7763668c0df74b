#include "log/log_time.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "log/log_state.h"
#include "platform/win32.h"

namespace {

// The text of a printf format of numbers; every text made here fits the buffer.
template <typename... Numbers>
std::string Formatted(const char* format, Numbers... numbers) {
  char text[64];
  const int length = std::snprintf(text, sizeof text, format, numbers...);
  return length < 0 ? std::string() : std::string(text, static_cast<size_t>(length));
}

}  // namespace

std::string FormatDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local = {};
  // A time the C library cannot convert leaves the fields zero rather than failing the line.
  // The handler has one thread, so the library's shared result is safe to use.
  // NOLINTNEXTLINE(concurrency-mt-unsafe)
  if (const std::tm* converted = std::localtime(&now)) local = *converted;
  // The year unpadded, month and day with a "0" in front below 10.
  return Formatted("%d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string FormatTime() {
  SYSTEMTIME utc = {};
  GetSystemTime(&utc);
  // Should the conversion fail, the line shows the UTC time rather than uninitialised fields.
  SYSTEMTIME local = utc;
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  // Hour, minute and second in two digits, milliseconds in three: HH:MM:SS:mmm.
  return Formatted("%02u:%02u:%02u:%03u", unsigned{local.wHour}, unsigned{local.wMinute},
                   unsigned{local.wSecond}, unsigned{local.wMilliseconds});
}

std::string FormatDateTime() {
  const std::string time = FormatTime();
  const std::string date = FormatDate();
  return date + " " + time;
}

const std::string& GetTimestampText() {
  LogState& state = ProcessLogState();
  const ULONGLONG tick = GetTickCount64();
  if (tick != state.stored_tick || state.timestamp_text.empty()) {
    state.stored_tick = tick;
    state.timestamp_text = "[ " + FormatDateTime() + " ]";
  }
  return state.timestamp_text;
}

const std::string& GetThreadIdText() {
  LogState& state = ProcessLogState();
  const std::uint64_t thread_id = GetCurrentThreadId();
  if (thread_id != state.stored_thread_id) {
    state.stored_thread_id = thread_id;
    state.thread_text = "[ " + std::to_string(thread_id) + " ]";
  }
  return state.thread_text;
}
