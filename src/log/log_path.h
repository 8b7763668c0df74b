// Where the log file lives: hvprereqhandler.log in the logs folder of the agent's install
// directory, which is read from the agent key once per process.
#ifndef HVPREREQ_LOG_LOG_PATH_H_
#define HVPREREQ_LOG_LOG_PATH_H_

#include <string>

#include "platform/win32.h"

// Reads HVAgentInstallDir (REG_SZ) from the agent key into the install directory, which is
// emptied first and stays empty after any failure. The text ends at the data's first NUL,
// or with its last byte when it has none. Returns a Win32 status.
DWORD ReadAgentString(bool use_64bit_view);

// The install directory, read from the 32-bit registry view while it is still empty.
std::string GetAgentInstallDir();

// The install directory followed by "\logs\", fixed at the first call, even when the
// install directory could not be read.
std::string GetAgentLogDir();

// The normalised path of hvprereqhandler.log in the log directory.
std::string GetLogFilePath();

// Splits `path` at every '\' and '/', drops the empty pieces and joins the rest with '\':
// one backslash between pieces, none leading or trailing.
std::string NormalizePath(const std::string& path);

#endif  // HVPREREQ_LOG_LOG_PATH_H_
