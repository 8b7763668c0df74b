// The handler's log: one line per call, appended to hvprereqhandler.log in the agent's logs
// folder. Logging never reports a failure and never changes the caller's course.
#ifndef HVPREREQ_LOG_LOG_H_
#define HVPREREQ_LOG_LOG_H_

#define HVPREREQ_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))

// Writes the printf-style formatted text, however long, as one line at level INFO. The
// first line of a process is preceded by the log's opening banner. A format that printf
// rejects logs nothing.
void LogInfo(const char* format, ...) HVPREREQ_PRINTF_FORMAT(1, 2);

// The same at level ERROR.
void LogError(const char* format, ...) HVPREREQ_PRINTF_FORMAT(1, 2);

#endif  // HVPREREQ_LOG_LOG_H_
