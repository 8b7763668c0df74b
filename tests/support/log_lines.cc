#include "log_lines.h"

#include <fstream>
#include <sstream>

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> CrLfLines(const std::filesystem::path& file) {
  const std::string text = ReadFile(file);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', start)) {
    if (lf > start && text[lf - 1] == '\r') {
      lines.push_back(text.substr(start, lf - 1 - start));
    } else {
      lines.push_back(text.substr(start, lf - start) + "<LF without CR>");
    }
    start = lf + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
  return lines;
}

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
