#include "host_test.h"

#include <fstream>

#include "log_lines.h"

std::vector<std::string> HostTest::ReadLines(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> HostTest::LoggedMessages() const {
  return MessagesOf(ReadLines(log_file_));
}
