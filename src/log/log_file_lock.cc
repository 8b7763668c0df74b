#include "log/log_file_lock.h"

namespace {

// One name for the whole machine, across sessions: every handler logs to the agent's one
// log, and a name derived from the path would miss two spellings of the same file.
constexpr char kMutexName[] = "Global\\hvprereqhandler.log";

// Far longer than a rotation, which copies four generations of 3 MiB.
constexpr DWORD kWaitMilliseconds = 5000;

}  // namespace

LogFileLock::LogFileLock()
    : mutex_(CreateMutexA(nullptr, FALSE, kMutexName)), usable_(mutex_.valid()) {}

bool LogFileLock::Acquire() {
  if (!usable_) return false;
  const DWORD result = WaitForSingleObject(mutex_.get(), kWaitMilliseconds);
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return true;
  usable_ = false;
  return false;
}

void LogFileLock::Release() { ReleaseMutex(mutex_.get()); }
