#include "host_test.h"

#include "log_lines.h"

std::vector<std::string> HostTest::LoggedMessages() const {
  return MessagesOf(CrLfLines(log_file_));
}
