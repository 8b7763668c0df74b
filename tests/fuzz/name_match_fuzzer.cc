// NamesMatch: symmetric, and true exactly when the names are equal once the ASCII capitals
// alone are folded, byte by byte.
#include "fuzz_input.h"
#include "process/name_match.h"

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> pieces = SplitAtNul(data, size);
  const std::string& a = pieces[0];
  const std::string b = pieces.size() > 1 ? pieces[1] : a;
  bool folded_equal = a.size() == b.size();
  for (std::size_t i = 0; folded_equal && i < a.size(); ++i) {
    folded_equal = FoldAscii(a[i]) == FoldAscii(b[i]);
  }
  Require(NamesMatch(a, b) == folded_equal);
  Require(NamesMatch(b, a) == folded_equal);
  Require(NamesMatch(a, a));
  return 0;
}
