// The process-wide list of executable image names that the handler looks for: the names
// given with -e and the built-in ones, sorted by byte value, each distinct name once.
#ifndef HVPREREQ_HANDLER_TARGET_LIST_H_
#define HVPREREQ_HANDLER_TARGET_LIST_H_

#include <string>
#include <vector>

// Empties the target list and appends the value after each "-e" (ASCII case ignored) in
// `argv`, byte for byte. Element 0 is read like any other; a value is never read as an
// option; a trailing "-e" is ignored and every other argument is passed over. No command
// line is invalid.
void ParseArguments(int argc, char** argv);

// Appends the built-in names, sorts the list by unsigned byte value (a prefix first) and
// removes repeated entries. Names that differ only in letter case both stay.
void AddDefaultExecutables();

// The target list, as the two calls above left it.
const std::vector<std::string>& TargetList();

#endif  // HVPREREQ_HANDLER_TARGET_LIST_H_
