// The agent's settings that permit ending applications, read from the registry.
#ifndef HVPREREQ_HANDLER_AGENT_SETTINGS_H_
#define HVPREREQ_HANDLER_AGENT_SETTINGS_H_

#include <string>

#include "log/agent_key.h"
#include "platform/win32.h"

inline const std::string kPatchKeyPath = kAgentKeyPath + "\\Patch";
inline const std::string kInternalSettingsKeyPath = kPatchKeyPath + "\\InternalSettings";
inline const std::string kAlwaysKillAppsValue = "alwaysKillApps";
inline const std::string kStartupThresholdValue = "startupThreshold";

// Reads the REG_DWORD `value_name` of `sub_key` under `root` into `value`, in the 32-bit
// registry view or, when `use_64bit_view` is set, the 64-bit one. Data shorter than 4 bytes
// fills the low bytes. `value` is written only on success. Returns ERROR_SUCCESS,
// ERROR_INVALID_PARAMETER for an empty sub-key, ERROR_INVALID_HANDLE when the open yields no
// key, ERROR_INVALID_DATATYPE for another type, or the registry's own error (ERROR_MORE_DATA
// for data longer than 4 bytes).
DWORD ReadAgentDword(HKEY root, const std::string& sub_key, const std::string& value_name,
                     bool use_64bit_view, DWORD& value);

#endif  // HVPREREQ_HANDLER_AGENT_SETTINGS_H_
