// The agent's registry key, which holds its install directory and, below it, the settings
// that permit ending applications. It is always read, never written.
#ifndef HVPREREQ_LOG_AGENT_KEY_H_
#define HVPREREQ_LOG_AGENT_KEY_H_

#include <string>

#include "platform/win32.h"

inline const std::string kAgentKeyPath = "SOFTWARE\\Vantorel\\Halvarion\\HVAgent";

// The access with which the agent key and its sub-keys are opened: reading, in the 32-bit
// registry view unless `use_64bit_view` asks for the 64-bit one.
inline REGSAM AgentKeyAccess(bool use_64bit_view) {
  return KEY_READ | (use_64bit_view ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
}

#endif  // HVPREREQ_LOG_AGENT_KEY_H_
