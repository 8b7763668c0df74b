#include "handler/agent_settings.h"

#include "platform/scoped_handle.h"

DWORD ReadAgentDword(HKEY root, const std::string& sub_key, const std::string& value_name,
                     bool use_64bit_view, DWORD& value) {
  if (sub_key.empty()) return ERROR_INVALID_PARAMETER;
  ScopedRegKey key;
  const LONG opened =
      RegOpenKeyExA(root, sub_key.c_str(), 0, AgentKeyAccess(use_64bit_view), key.receive());
  if (opened != ERROR_SUCCESS) return static_cast<DWORD>(opened);
  if (!key.valid()) return ERROR_INVALID_HANDLE;
  DWORD data = 0;
  DWORD size = sizeof data;
  DWORD type = REG_NONE;
  const LONG queried = RegQueryValueExA(key.get(), value_name.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(&data), &size);
  key.Close();
  if (queried != ERROR_SUCCESS) return static_cast<DWORD>(queried);
  if (type != REG_DWORD) return ERROR_INVALID_DATATYPE;
  value = data;
  return ERROR_SUCCESS;
}
