// Message formatting: any text, passed as an argument of the handler's kind of format,
// reaches the log as one line that holds it unchanged (each line feed stored as CR LF), and
// the joined names keep every name in order.
#include <unistd.h>

#include <filesystem>
#include <numeric>
#include <fstream>
#include <sstream>

#include "fuzz_input.h"
#include "handler/handler_run.h"
#include "log/log.h"
#include "log/log_message.h"
#include "log/log_state.h"
#include "platform/host/fake_system.h"

namespace {

std::string StoredText(const std::string& text) {
  std::string stored;
  for (char c : text) {
    if (c == '\n') stored += '\r';
    stored += c;
  }
  return stored;
}

// A scratch folder of the process's own, the current directory, with a logs folder for the
// relative log path that an empty registry gives.
const std::filesystem::path& ScratchLog() {
  static const std::filesystem::path log = [] {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("hvprereq-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "logs");
    std::filesystem::current_path(dir);
    return dir / "logs" / "hvprereqhandler.log";
  }();
  return log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> names = SplitAtNul(data, size);
  const std::string joined = JoinNames(names);
  const std::size_t length =
      std::accumulate(names.begin(), names.end(), 2 * (names.size() - 1),
                      [](std::size_t sum, const std::string& name) { return sum + name.size(); });
  Require(joined.size() == length);
  Require(joined.compare(0, names[0].size(), names[0]) == 0);

  const std::filesystem::path& log = ScratchLog();
  std::filesystem::remove(log);
  fake::Reset();
  ProcessLogState() = LogState();
  LogError("operation : Main; running_executables : \"%s\"; return_value : %d;", joined.c_str(),
           20001);
  CloseLogAtExit();
  std::ifstream in(log, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const std::string expected = " [ ERROR ] operation : Main; running_executables : \"" +
                               StoredText(joined) + "\"; return_value : 20001;\r\n";
  Require(text.str().find(expected) != std::string::npos);
  return 0;
}
