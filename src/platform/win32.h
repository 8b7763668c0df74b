// The one place that brings in the Win32 API. On Windows it is the system's own headers;
// on the host build it is the project's declarations of the same calls, answered by the
// fake system in host/, so that the handler's code is the same on both builds.
#ifndef HVPREREQ_PLATFORM_WIN32_H_
#define HVPREREQ_PLATFORM_WIN32_H_

#if defined(UNICODE) || defined(_UNICODE)
#error "The handler uses the ANSI forms of the Win32 calls and structures."
#endif

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// tlhelp32.h needs the types of windows.h before it.
#include <tlhelp32.h>
#else
#include "platform/host/win32_api.h"
#endif

#endif  // HVPREREQ_PLATFORM_WIN32_H_
