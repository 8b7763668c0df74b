// Runs a program and writes its full 32-bit exit code, in decimal, to a file: a Linux exit
// status keeps only 8 bits of it.
//   launcher.exe EXIT_CODE_FILE PROGRAM [ARGUMENT...]
#include <cstdio>
#include <string>

#include "platform/win32.h"

namespace {

// Quotes an argument so that the C runtime's command-line split gives it back unchanged:
// inside the quotes, a double quote is escaped with a backslash, and the backslashes right
// before a double quote (or the closing one) are doubled.
std::string Quoted(const char* argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (const char* c = argument; *c != '\0'; ++c) {
    if (*c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(*c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += *c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

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
