// Reading log files in tests.
#ifndef HVPREREQ_TESTS_SUPPORT_LOG_LINES_H_
#define HVPREREQ_TESTS_SUPPORT_LOG_LINES_H_

#include <filesystem>
#include <string>
#include <vector>

// The bytes of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

// The lines of a file whose lines end in CR LF, without their line ends. A line feed
// without its carriage return comes back as a line ending in "<LF without CR>", and bytes
// after the last line end as a line ending in "<no line end>".
std::vector<std::string> CrLfLines(const std::filesystem::path& file);

// Each "[ date time ][ thread ] [ LEVEL ] message" line as "LEVEL message", leaving out the
// opening and closing banners.
std::vector<std::string> MessagesOf(const std::vector<std::string>& lines);

#endif  // HVPREREQ_TESTS_SUPPORT_LOG_LINES_H_
