// Whether the handler may end the running applications: always when the agent says so,
// otherwise only while the machine is still starting up.
#ifndef HVPREREQ_HANDLER_KILL_PERMISSION_H_
#define HVPREREQ_HANDLER_KILL_PERMISSION_H_

#include "platform/win32.h"

// True when alwaysKillApps reads as exactly 1, or else when the uptime lies within the
// startup window; logs which of the two permitted it. A refusal logs nothing.
bool CanKillRunningExecutables();

// True when `uptime_ms` is at most the startup window: startupThreshold minutes, 15 when it
// is 0 or unreadable, bounded to 5 to 30.
bool IsStartupCycle(ULONGLONG uptime_ms);

#endif  // HVPREREQ_HANDLER_KILL_PERMISSION_H_
