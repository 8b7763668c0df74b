// Reading log files in tests.
#ifndef HVPREREQ_TESTS_SUPPORT_LOG_LINES_H_
#define HVPREREQ_TESTS_SUPPORT_LOG_LINES_H_

#include <string>
#include <vector>

// Each "[ date time ][ thread ] [ LEVEL ] message" line as "LEVEL message", leaving out the
// opening and closing banners.
std::vector<std::string> MessagesOf(const std::vector<std::string>& lines);

#endif  // HVPREREQ_TESTS_SUPPORT_LOG_LINES_H_
