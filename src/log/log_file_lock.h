// The lock that every handler process on the machine takes around each write and rotation
// of the log, so that no line is written between a rotation's copy of the log and its
// emptying, and two processes never rotate at once.
#ifndef HVPREREQ_LOG_LOG_FILE_LOCK_H_
#define HVPREREQ_LOG_LOG_FILE_LOCK_H_

#include "platform/scoped_handle.h"

class LogFileLock {
 public:
  // Creates the machine-wide mutex, or opens it when another process has created it. When
  // neither works (the name is taken by another kind of object, or its owner denies
  // access), the lock is unusable and every Acquire fails at once.
  LogFileLock();

  // Waits for the mutex, for a bounded time. True when this process now holds it, also when
  // its previous holder ended without releasing it. A wait that times out or fails makes
  // the lock unusable for the rest of the process, so that a holder that hangs delays at
  // most one line; the caller then goes on without the lock rather than drop the line.
  bool Acquire();

  // Releases the mutex that Acquire took.
  void Release();

 private:
  ScopedHandle mutex_;
  bool usable_;
};

// Holds a LogFileLock, when it can be taken, for the scope of the object.
class ScopedLogFileLock {
 public:
  explicit ScopedLogFileLock(LogFileLock& lock) : lock_(lock), held_(lock.Acquire()) {}
  ~ScopedLogFileLock() {
    if (held_) lock_.Release();
  }
  ScopedLogFileLock(const ScopedLogFileLock&) = delete;
  ScopedLogFileLock& operator=(const ScopedLogFileLock&) = delete;

 private:
  LogFileLock& lock_;
  const bool held_;
};

#endif  // HVPREREQ_LOG_LOG_FILE_LOCK_H_
