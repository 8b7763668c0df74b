#include "log/log_writer.h"

#include "log/log_file.h"
#include "log/log_rotation.h"
#include "log/log_time.h"

namespace {

// The bytes of `line` and its line end as a text-mode file stores them: each line feed,
// also one inside a message, becomes a carriage return and a line feed.
std::string AsStoredText(const std::string& line) {
  std::string stored;
  stored.reserve(line.size() + 2);
  for (char c : line) {
    if (c == '\n') stored += '\r';
    stored += c;
  }
  return stored + "\r\n";
}

}  // namespace

LogWriter::LogWriter(const std::string& log_path) : file_(OpenLogForAppending(log_path)) {
  if (!file_.valid()) return;
  log_path_ = log_path;
  WriteLine(kInfoLevel, "Log Open : " + FormatDateTime());
}

void LogWriter::WriteLine(const std::string& level, const std::string& message) {
  if (message.empty()) return;
  ScopedLogFileLock locked(lock_);
  RotateIfNeeded(file_, log_path_);
  if (!file_.valid()) {
    if (log_path_.empty()) return;
    file_.Reset(OpenLogForAppending(log_path_));
    if (!file_.valid()) return;
    may_end_mid_line_ = true;
  }
  // The whole line in one write, so that it reaches the file whole among other processes'
  // lines. A line that cannot be written is dropped; the next one is tried all the same.
  std::string bytes =
      AsStoredText(GetTimestampText() + GetThreadIdText() + " [ " + level + " ] " + message);
  // After a write that the disk took only in part, in this process or an earlier one, the
  // line starts on a line of its own instead of finishing the torn one.
  if (may_end_mid_line_ && LogEndsMidLine(log_path_)) bytes = "\r\n" + bytes;
  may_end_mid_line_ = !AppendToLog(file_.get(), bytes);
}

void LogWriter::Close() {
  if (file_.valid()) {
    WriteLine(kInfoLevel, "Log Close : " + FormatDateTime());
    file_.Close();
  }
  log_path_.clear();
}
