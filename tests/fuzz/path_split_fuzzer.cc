// GetPathStem and GetPathExtension split at the last '.': stem, '.' and extension give the
// path back, and the extension holds no '.'.
#include "fuzz_input.h"
#include "log/log_rotation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const std::string stem = GetPathStem(path);
  const std::string extension = GetPathExtension(path);
  Require(extension.find('.') == std::string::npos);
  if (path.find('.') == std::string::npos) {
    Require(stem == path && extension.empty());
  } else {
    Require(stem + "." + extension == path);
  }
  return 0;
}
