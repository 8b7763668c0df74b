#include "log/log_writer.h"

#include "log/log_file.h"
#include "log/log_rotation.h"
#include "log/log_time.h"

namespace {

// Lines end in a carriage return and a line feed, as in a text-mode file.
constexpr char kLineEnd[] = "\r\n";

// Appends `text` to `line` as a text-mode file stores it: each line feed, also one inside a
// message, becomes a carriage return and a line feed.
void AppendStoredText(const std::string& text, std::string& line) {
  size_t start = 0;
  for (size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
    line.append(text, start, lf - start);
    line += kLineEnd;
    start = lf + 1;
  }
  line.append(text, start);
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
  line_.clear();  // keeps the memory of the last line for this one
  // After a write that the disk took only in part, in this process or an earlier one, the
  // line starts on a line of its own instead of finishing the torn one.
  if (may_end_mid_line_ && LogEndsMidLine(log_path_)) line_ += kLineEnd;
  line_ += GetTimestampText();
  line_ += GetThreadIdText();
  line_ += " [ ";
  line_ += level;
  line_ += " ] ";
  AppendStoredText(message, line_);
  line_ += kLineEnd;
  may_end_mid_line_ = !AppendToLog(file_.get(), line_);
}

void LogWriter::Close() {
  if (file_.valid()) {
    WriteLine(kInfoLevel, "Log Close : " + FormatDateTime());
    file_.Close();
  }
  log_path_.clear();
}
