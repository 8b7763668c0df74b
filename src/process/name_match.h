// Comparison of executable names and option words, ignoring the case of ASCII letters.
#ifndef HVPREREQ_PROCESS_NAME_MATCH_H_
#define HVPREREQ_PROCESS_NAME_MATCH_H_

#include <string_view>

// True when both names have the same length and equal bytes once A to Z are folded to a
// to z. No other byte is folded, so the result never depends on a locale or code page.
bool NamesMatch(std::string_view a, std::string_view b);

#endif  // HVPREREQ_PROCESS_NAME_MATCH_H_
