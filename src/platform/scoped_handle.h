// Owners of system handles, so that every handle is closed on every path.
#ifndef HVPREREQ_PLATFORM_SCOPED_HANDLE_H_
#define HVPREREQ_PLATFORM_SCOPED_HANDLE_H_

#include "platform/win32.h"

// Owns a kernel handle (a process snapshot, a process, a file or a mutex) and closes it with
// CloseHandle. Both NULL and INVALID_HANDLE_VALUE mean "no handle": the calls that make these
// handles report failure with one or the other.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

  // Closes the handle now; later calls and the destructor do nothing.
  void Close() {
    if (valid()) CloseHandle(handle_);
    handle_ = nullptr;
  }

  // Closes the handle held, if any, and takes ownership of `handle`.
  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }

 private:
  HANDLE handle_;
};

// Owns an open registry key and closes it with RegCloseKey.
class ScopedRegKey {
 public:
  ScopedRegKey() = default;
  ~ScopedRegKey() { Close(); }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;

  // Where RegOpenKeyExA stores the key it opens. Only for a ScopedRegKey that holds none.
  PHKEY receive() { return &key_; }
  bool valid() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

  // Closes the key now; later calls and the destructor do nothing.
  void Close() {
    if (valid()) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

#endif  // HVPREREQ_PLATFORM_SCOPED_HANDLE_H_
