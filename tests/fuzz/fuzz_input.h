// Helpers of the fuzz targets: splitting an input into strings, and checking a property.
#ifndef HVPREREQ_TESTS_FUZZ_FUZZ_INPUT_H_
#define HVPREREQ_TESTS_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The input cut at each NUL byte into pieces; n NUL bytes give n + 1 pieces.
inline std::vector<std::string> SplitAtNul(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> pieces(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      pieces.emplace_back();
    } else {
      pieces.back() += static_cast<char>(data[i]);
    }
  }
  return pieces;
}

// Ends the run as a crash, which the fuzzer reports with the input, when `holds` is false.
inline void Require(bool holds) {
  if (!holds) std::abort();
}

#endif  // HVPREREQ_TESTS_FUZZ_FUZZ_INPUT_H_
