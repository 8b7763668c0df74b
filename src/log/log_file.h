// The calls on the log file itself, shared by the writer and the rotation.
#ifndef HVPREREQ_LOG_LOG_FILE_H_
#define HVPREREQ_LOG_LOG_FILE_H_

#include <string>

#include "platform/win32.h"

// Opens the file at `path` for appending, creating it (but not its folder) when missing.
// Every write through the handle goes to the file's end at that moment, in one piece, also
// while other processes append to it. Others may read and write the file meanwhile, but not
// delete or rename it. INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE OpenLogForAppending(const std::string& path);

// Opens the existing file at `path` for reading, through a handle that lets every other
// holder go on reading, writing and deleting. INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE OpenLogForReading(const std::string& path);

// Writes `bytes` with one call. True when all of them were written.
bool AppendToLog(HANDLE log_file, const std::string& bytes);

// True when the file at `path` ends in the middle of a line: it is not empty and its last
// byte is not a line feed. That is left behind by a write that the disk could take only
// part of. False also when the file cannot be read.
bool LogEndsMidLine(const std::string& path);

// Empties the existing file at `path`; a missing file stays missing. True when emptied.
bool EmptyLog(const std::string& path);

#endif  // HVPREREQ_LOG_LOG_FILE_H_
