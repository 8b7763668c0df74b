// A stand-in application for the end-to-end tests: copied under a target's image name, it
// creates the file named by its argument to say that it runs, then waits to be ended.
#include "platform/win32.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HANDLE ready = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 3;
  CloseHandle(ready);
  for (;;) Sleep(INFINITE);
}
