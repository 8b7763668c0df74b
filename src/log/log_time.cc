#include "log/log_time.h"

#include <cstdint>
#include <ctime>

#include "log/log_state.h"
#include "platform/win32.h"

namespace {

// `value` in decimal, with "0" in front until it has `width` digits.
std::string ZeroPadded(unsigned value, size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace

std::string FormatDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local = {};
  // A time the C library cannot convert leaves the fields zero rather than failing the line.
  // The handler has one thread, so the library's shared result is safe to use.
  // NOLINTNEXTLINE(concurrency-mt-unsafe)
  if (const std::tm* converted = std::localtime(&now)) local = *converted;
  return std::to_string(local.tm_year + 1900) + "-" + ZeroPadded(local.tm_mon + 1, 2) + "-" +
         ZeroPadded(local.tm_mday, 2);
}

std::string FormatTime() {
  SYSTEMTIME utc = {};
  GetSystemTime(&utc);
  // Should the conversion fail, the line shows the UTC time rather than uninitialised fields.
  SYSTEMTIME local = utc;
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  return ZeroPadded(local.wHour, 2) + ":" + ZeroPadded(local.wMinute, 2) + ":" +
         ZeroPadded(local.wSecond, 2) + ":" + ZeroPadded(local.wMilliseconds, 3);
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
