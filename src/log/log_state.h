// The log's process-wide state. It is one object of static storage, built before the
// program's entry point runs, so that it outlives the exit-time close, which uses it.
#ifndef HVPREREQ_LOG_LOG_STATE_H_
#define HVPREREQ_LOG_LOG_STATE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "log/log_writer.h"
#include "platform/win32.h"

struct LogState {
  std::string install_dir;        // the agent's install directory; empty until read
  std::string log_dir;            // install directory + "\logs\", set once
  std::string resolved_log_path;  // the log file's path, set at the first message
  std::unique_ptr<LogWriter> writer;

  // The texts of the time stamp and the thread, kept while their keys stay the same.
  ULONGLONG stored_tick = 0;
  std::string timestamp_text;
  std::uint64_t stored_thread_id = ~std::uint64_t{0};  // no thread id has all 64 bits set
  std::string thread_text;

  // The last formatted message; kept so that the next one reuses its memory.
  std::string message_text;

  // Counted lines since the last one on which the log's size was checked, 0 to 499.
  int rotation_counter = 0;
};

LogState& ProcessLogState();

#endif  // HVPREREQ_LOG_LOG_STATE_H_
