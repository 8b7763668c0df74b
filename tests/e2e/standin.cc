// A stand-in application for the end-to-end tests: copied under a target's image name, it
// creates the file named by its first argument to say that it runs, then waits to be ended.
// With a second argument it first opens that file sharing nothing, and holds it open.
#include "platform/win32.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if (argc >= 3 && CreateFileA(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr) == INVALID_HANDLE_VALUE) {
    return 4;
  }
  HANDLE ready = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 3;
  CloseHandle(ready);
  for (;;) Sleep(INFINITE);
}
