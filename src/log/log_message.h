// The step between the printf-style entry points and the log writer, and the writer's end.
#ifndef HVPREREQ_LOG_LOG_MESSAGE_H_
#define HVPREREQ_LOG_LOG_MESSAGE_H_

#include <string>

// Writes `message` as one line at `level`. The first call of a process resolves the log
// path, creates the writer (which writes the opening banner) and registers CloseLogAtExit
// with the process's exit processing.
void LogMessage(const std::string& message, const std::string& level);

// The exit-time close: writes the closing banner and closes the log, when a writer exists.
void CloseLogAtExit();

#endif  // HVPREREQ_LOG_LOG_MESSAGE_H_
