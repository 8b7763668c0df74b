// Runs a program and writes its full 32-bit exit code, in decimal, to a file: a Linux exit
// status keeps only 8 bits of it.
//   launcher.exe EXIT_CODE_FILE PROGRAM [ARGUMENT...]
#include <cstdio>
#include <string>

#include "platform/win32.h"

namespace {

// Quotes an argument so that the C runtime's command-line split gives it back unchanged
// (the tests pass no double quotes or trailing backslashes).
std::string Quoted(const char* argument) { return std::string("\"") + argument + "\""; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string command_line = Quoted(argv[2]);
  for (int i = 3; i < argc; ++i) command_line += " " + Quoted(argv[i]);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return 3;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exit_code = 0;
  const BOOL read = GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hProcess);
  if (!read) return 4;

  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 5;
  std::fprintf(out, "%lu\n", static_cast<unsigned long>(exit_code));
  return std::fclose(out) == 0 ? 0 : 5;
}
