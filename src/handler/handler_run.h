// One run of the handler: look for the target applications, end them when permitted,
// look again, and say through the exit code whether any is left.
#ifndef HVPREREQ_HANDLER_HANDLER_RUN_H_
#define HVPREREQ_HANDLER_HANDLER_RUN_H_

#include <string>
#include <vector>

// The run's exit code when target applications are left running.
constexpr int kExitApplicationInUse = 20001;

// The whole run, from the command line to the exit code: 0 when no target application is
// running (none was, or none is left after ending them), kExitApplicationInUse when some
// run and may not be ended, or still run 3000 ms after they were ended.
int Main(int argc, char** argv);

// Appends to `running` each name of the target list that a process runs under, in list
// order, logging each one.
void CheckIfExecutablesRunning(std::vector<std::string>& running);

// The names separated by ", ": "a, b, c"; one name alone; empty text for none.
std::string JoinNames(const std::vector<std::string>& names);

// Ends the processes of each name in order and logs the outcome. Stops at the first name
// that cannot be ended; true when every name was ended.
bool KillRunningExecutables(const std::vector<std::string>& running);

#endif  // HVPREREQ_HANDLER_HANDLER_RUN_H_
