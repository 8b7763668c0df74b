// The command line: any argument vector gives a sorted target list of distinct names that
// holds the built-in ones, and a whole run with nothing running ends with exit code 0.
#include <algorithm>

#include "fuzz_input.h"
#include "handler/handler_run.h"
#include "handler/target_list.h"
#include "log/log_state.h"
#include "platform/host/fake_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args = SplitAtNul(data, size);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(args.size());

  ParseArguments(argc, argv.data());
  AddDefaultExecutables();
  const std::vector<std::string>& targets = TargetList();
  Require(std::is_sorted(targets.begin(), targets.end()));
  Require(std::adjacent_find(targets.begin(), targets.end()) == targets.end());
  for (const char* built_in : {"MongoDBCompass.exe", "chrome.exe", "vexo.exe"}) {
    Require(std::binary_search(targets.begin(), targets.end(), built_in));
  }

  fake::Reset();  // no agent key: the log goes to a logs folder that does not exist
  ProcessLogState() = LogState();
  Require(Main(argc, argv.data()) == 0);
  return 0;
}
