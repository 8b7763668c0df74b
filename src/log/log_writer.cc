#include "log/log_writer.h"

#include "log/log_rotation.h"
#include "log/log_time.h"
#include "platform/file_stream.h"

namespace {

// Appends to the end of the file, creating it when missing; text mode stores each line
// feed as a carriage return and a line feed.
constexpr std::ios::openmode kAppendMode = std::ios::out | std::ios::app;

}  // namespace

LogWriter::LogWriter(const std::string& log_path) {
  OpenFileStream(stream_, log_path, kAppendMode);
  if (!stream_.is_open()) return;
  log_path_ = log_path;
  WriteLine(kInfoLevel, "Log Open : " + FormatDateTime());
}

void LogWriter::WriteLine(const std::string& level, const std::string& message) {
  if (message.empty()) return;
  RotateIfNeeded(stream_, log_path_);
  if (!stream_.is_open()) {
    if (log_path_.empty()) return;
    OpenFileStream(stream_, log_path_, kAppendMode);
    if (!stream_.is_open()) return;
  }
  const std::string line = GetTimestampText() + GetThreadIdText() + " [ " + level + " ] " + message;
  stream_ << line << '\n';
  stream_.flush();
}

void LogWriter::Close() {
  if (stream_.is_open()) {
    WriteLine(kInfoLevel, "Log Close : " + FormatDateTime());
    stream_.close();
  }
  log_path_.clear();
}
