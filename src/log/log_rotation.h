// Bounding the log by size: once it has reached 3 MiB it is copied down four numbered
// generations beside it (hvprereqhandler1.log newest to hvprereqhandler4.log oldest) and
// emptied.
#ifndef HVPREREQ_LOG_LOG_ROTATION_H_
#define HVPREREQ_LOG_LOG_ROTATION_H_

#include <string>

#include "platform/scoped_handle.h"

// Runs before every line with text that the writer is asked for, whether or not the line
// then reaches the file. On the 1st, 501st, 1001st ... such line of the process it measures
// the file at `log_path`; when it has reached the limit, closes `log_file`, copies the
// generations down and empties the file, unless the copy of the file itself failed, which
// keeps its lines for the next check. `log_file` is left as it was when nothing was
// rotated and closed otherwise. The caller holds the log file lock. Reports nothing.
void RotateIfNeeded(ScopedHandle& log_file, const std::string& log_path);

// The text before the last '.' of `path`, or all of it when it has none.
std::string GetPathStem(const std::string& path);

// The text after the last '.' of `path`, or empty text when it has none.
std::string GetPathExtension(const std::string& path);

#endif  // HVPREREQ_LOG_LOG_ROTATION_H_
