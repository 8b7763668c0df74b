#include "handler/target_list.h"

#include <algorithm>

#include "process/name_match.h"

namespace {

constexpr const char* kBuiltInNames[] = {
    "MongoDBCompass.exe",
    "MyAppsController.exe",
    "MyAppsHostController.exe",
    "Teams.exe",
    "brave.exe",
    "chrome.exe",
    "firefox.exe",
    "keybase.exe",
    "msedge.exe",
    "msedgewebview.exe",
    "msedgewebview2.exe",
    "mstsc.exe",
    "myApps.exe",
    "obs64.exe",
    "opera.exe",
    "thunderbird.exe",
    "vexo.exe",
};

const char kExecutableOption[] = "-e";

std::vector<std::string> g_targets;

}  // namespace

void ParseArguments(int argc, char** argv) {
  g_targets.clear();
  for (int i = 0; i < argc; ++i) {
    if (!NamesMatch(argv[i], kExecutableOption)) continue;
    if (i + 1 == argc) break;
    g_targets.emplace_back(argv[++i]);
  }
}

void AddDefaultExecutables() {
  g_targets.insert(g_targets.end(), std::begin(kBuiltInNames), std::end(kBuiltInNames));
  // std::string compares its chars as unsigned bytes (char_traits<char>::lt), whatever the
  // signedness of char, and a prefix sorts first.
  std::sort(g_targets.begin(), g_targets.end());
  g_targets.erase(std::unique(g_targets.begin(), g_targets.end()), g_targets.end());
}

const std::vector<std::string>& TargetList() { return g_targets; }
