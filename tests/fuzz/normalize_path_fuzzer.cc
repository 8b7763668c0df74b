// NormalizePath: one backslash between pieces, none at either end, no forward slash, the
// same bytes otherwise, and a second pass changes nothing.
#include "fuzz_input.h"
#include "log/log_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const std::string normalized = NormalizePath(path);
  Require(normalized.find('/') == std::string::npos);
  Require(normalized.find("\\\\") == std::string::npos);
  Require(normalized.empty() || (normalized.front() != '\\' && normalized.back() != '\\'));
  Require(NormalizePath(normalized) == normalized);
  std::string kept_bytes;
  for (char c : path) {
    if (c != '\\' && c != '/') kept_bytes += c;
  }
  std::string normalized_bytes;
  for (char c : normalized) {
    if (c != '\\') normalized_bytes += c;
  }
  Require(normalized_bytes == kept_bytes);
  return 0;
}
