#include "host_test.h"

#include <fstream>

std::vector<std::string> HostTest::ReadLines(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> HostTest::LoggedMessages() const {
  std::vector<std::string> messages;
  for (const std::string& line : ReadLines(log_file_)) {
    // "[ date time ][ thread ] [ LEVEL ] message"
    const size_t level_start = line.find("] [ ") + 4;
    const size_t level_end = line.find(" ] ", level_start);
    const std::string level = line.substr(level_start, level_end - level_start);
    const std::string message = line.substr(level_end + 3);
    if (message.rfind("Log Open : ", 0) == 0 || message.rfind("Log Close : ", 0) == 0) continue;
    messages.push_back(level + " " + message);
  }
  return messages;
}
