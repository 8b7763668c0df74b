// Reads back the version resource and the application manifest of a program the way
// Windows tools do, and prints them as NAME=VALUE lines.
//   resource_reader.exe PROGRAM
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

// One string of the version resource's US English, Unicode block, or empty text.
std::string VersionString(const std::vector<char>& info, const char* name) {
  const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ||
      length == 0) {
    return std::string();
  }
  return std::string(value, length - 1);  // the length counts the terminating NUL
}

bool PrintVersion(const char* program) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(program, &ignored);
  if (size == 0) return false;
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(program, 0, size, info.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length)) return false;
  std::printf("FixedFileVersion=%lu.%lu.%lu.%lu\n", HIWORD(fixed->dwFileVersionMS),
              LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
              LOWORD(fixed->dwFileVersionLS));
  std::printf("FixedProductVersion=%lu.%lu.%lu.%lu\n", HIWORD(fixed->dwProductVersionMS),
              LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
              LOWORD(fixed->dwProductVersionLS));
  std::printf("FileType=%lu\n", fixed->dwFileType);
  for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "InternalName",
                           "OriginalFilename", "ProductName", "ProductVersion"}) {
    std::printf("%s=%s\n", name, VersionString(info, name).c_str());
  }
  return true;
}

// The manifest's requested run level, as the system's activation context reads it.
bool PrintRunLevel(const char* program) {
  ACTCTXA context = {};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = program;
  context.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE activation = CreateActCtxA(&context);
  if (activation == INVALID_HANDLE_VALUE) return false;
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION run_level = {};
  const BOOL queried = QueryActCtxW(0, activation, nullptr, RunlevelInformationInActivationContext,
                                    &run_level, sizeof run_level, nullptr);
  ReleaseActCtx(activation);
  if (!queried) return false;
  std::printf("RunLevel=%d\nUiAccess=%lu\n", static_cast<int>(run_level.RunLevel),
              run_level.UiAccess);
  return true;
}

// The manifest's text, as the resource holds it.
bool PrintManifest(const char* program) {
  HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return false;
  bool printed = false;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    if (const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr) {
      std::printf("Manifest=%s\n", std::string(text, size).c_str());
      printed = true;
    }
  }
  FreeLibrary(module);
  return printed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  if (!PrintVersion(argv[1])) return 3;
  if (!PrintRunLevel(argv[1])) return 4;
  return PrintManifest(argv[1]) ? 0 : 5;
}
