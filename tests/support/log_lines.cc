#include "log_lines.h"

std::vector<std::string> MessagesOf(const std::vector<std::string>& lines) {
  std::vector<std::string> messages;
  for (const std::string& line : lines) {
    const size_t level_start = line.find("] [ ");
    const size_t level_end = line.find(" ] ", level_start + 4);
    if (level_start == std::string::npos || level_end == std::string::npos) {
      messages.push_back("unparsed: " + line);
      continue;
    }
    const std::string level = line.substr(level_start + 4, level_end - level_start - 4);
    const std::string message = line.substr(level_end + 3);
    if (message.rfind("Log Open : ", 0) == 0 || message.rfind("Log Close : ", 0) == 0) continue;
    messages.push_back(level + " " + message);
  }
  return messages;
}
