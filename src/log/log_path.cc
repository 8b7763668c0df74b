#include "log/log_path.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "log/agent_key.h"
#include "log/log_state.h"
#include "platform/scoped_handle.h"

namespace {

const char kInstallDirValue[] = "HVAgentInstallDir";
const char kLogFolder[] = "\\logs\\";
const char kLogFileName[] = "hvprereqhandler.log";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

DWORD ReadAgentString(bool use_64bit_view) {
  std::string& install_dir = ProcessLogState().install_dir;
  install_dir.clear();
  ScopedRegKey key;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAgentKeyPath.c_str(), 0,
                                    AgentKeyAccess(use_64bit_view), key.receive());
  if (opened != ERROR_SUCCESS) return static_cast<DWORD>(opened);
  if (!key.valid()) return ERROR_INVALID_HANDLE;
  DWORD type = REG_NONE;
  DWORD size = 0;
  const LONG sized = RegQueryValueExA(key.get(), kInstallDirValue, nullptr, &type, nullptr, &size);
  if (sized != ERROR_SUCCESS) return static_cast<DWORD>(sized);
  if (type != REG_SZ) return ERROR_INVALID_DATATYPE;
  // Data of size 0 holds no text: the install directory stays empty.
  if (size == 0) return ERROR_SUCCESS;
  std::vector<char> data(size, '\0');
  const LONG read = RegQueryValueExA(key.get(), kInstallDirValue, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(data.data()), &size);
  key.Close();
  if (read != ERROR_SUCCESS) return static_cast<DWORD>(read);
  // REG_SZ data normally ends in a NUL, but nothing enforces it: the text runs to the first
  // NUL, or to the end of the data when it has none, so an unterminated path keeps its last
  // character and a NUL inside it ends it here rather than inside every file call.
  install_dir.assign(data.data(), strnlen(data.data(), std::min<size_t>(size, data.size())));
  return ERROR_SUCCESS;
}

std::string GetAgentInstallDir() {
  if (ProcessLogState().install_dir.empty()) ReadAgentString(false);
  return ProcessLogState().install_dir;
}

std::string GetAgentLogDir() {
  std::string& log_dir = ProcessLogState().log_dir;
  if (log_dir.empty()) log_dir = GetAgentInstallDir() + kLogFolder;
  return log_dir;
}

std::string GetLogFilePath() { return NormalizePath(GetAgentLogDir() + kLogFileName); }

std::string NormalizePath(const std::string& path) {
  std::string normalized;
  size_t piece_start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    if (i > piece_start) {
      if (!normalized.empty()) normalized += '\\';
      normalized.append(path, piece_start, i - piece_start);
    }
    piece_start = i + 1;
  }
  return normalized;
}
