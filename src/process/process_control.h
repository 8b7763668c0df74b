// Looking for and ending other processes by executable image name. Every call reads the
// process list afresh; the handler's own process is never reported and never ended.
#ifndef HVPREREQ_PROCESS_PROCESS_CONTROL_H_
#define HVPREREQ_PROCESS_PROCESS_CONTROL_H_

#include <string>

#include "platform/win32.h"

// True when a process other than this one has an image file name that matches `name`
// (NamesMatch: no directory part, no trimming). False when the process list cannot be read.
bool IsProcessRunning(const std::string& name);

// True when `name` matches one of the system process names that are never ended.
bool IsProtectedProcess(const std::string& name);

// Ends every process other than this one whose image name matches `name`, with exit code 1,
// without waiting for them to go. Returns ERROR_SUCCESS when all of them were ended or none
// exists; ERROR_INVALID_PARAMETER for an empty name and ERROR_ACCESS_DENIED for a protected
// one, before any process is looked at; the snapshot's error code when the process list
// cannot be read; otherwise the code of the last failed open or terminate. Every matching
// process is attempted, whatever failed before it.
DWORD TerminateProcessesByName(const std::string& name);

#endif  // HVPREREQ_PROCESS_PROCESS_CONTROL_H_
