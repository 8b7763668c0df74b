// The writer of the log file: one open handle, one line per call, each handed to the system
// in one write.
#ifndef HVPREREQ_LOG_LOG_WRITER_H_
#define HVPREREQ_LOG_LOG_WRITER_H_

#include <string>

#include "log/log_file_lock.h"
#include "platform/scoped_handle.h"

inline const std::string kInfoLevel = "INFO";
inline const std::string kErrorLevel = "ERROR";

class LogWriter {
 public:
  // Opens the file at `log_path` for appending (creating it, but not its folder) and, when
  // that succeeds, keeps the path and writes the opening banner. When it fails the writer
  // keeps no path and drops every line.
  explicit LogWriter(const std::string& log_path);

  // Writes "timestamp thread [ level ] message", a carriage return and a line feed, in one
  // write, holding the log file lock; when the file ends in the middle of a torn line, a
  // line end first. The log may first be rotated, and is opened again when it is closed.
  // Empty text writes nothing; a line that cannot be written is dropped without a trace.
  void WriteLine(const std::string& level, const std::string& message);

  // Writes the closing banner when the file is open, closes it and forgets the path, so
  // that no later line reaches the file.
  void Close();

 private:
  LogFileLock lock_;
  ScopedHandle file_;
  std::string log_path_;
  // Whether the file may end in the middle of a line: after each open, and after a write
  // that failed.
  bool may_end_mid_line_ = true;
  // The bytes of the last line; kept so that the next one reuses their memory.
  std::string line_;
};

#endif  // HVPREREQ_LOG_LOG_WRITER_H_
