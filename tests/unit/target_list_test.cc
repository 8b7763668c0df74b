#include "handler/target_list.h"

#include "host_test.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::vector<std::string> kBuiltIns = {
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

// Builds the target list from `args`, as the handler does.
std::vector<std::string> TargetsFor(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  ParseArguments(static_cast<int>(argv.size()), argv.data());
  AddDefaultExecutables();
  return TargetList();
}

// The names that `args` add to the built-in ones.
std::vector<std::string> AddedBy(std::vector<std::string> args) {
  std::vector<std::string> added;
  for (const std::string& name : TargetsFor(std::move(args))) {
    if (std::find(kBuiltIns.begin(), kBuiltIns.end(), name) == kBuiltIns.end()) {
      added.push_back(name);
    }
  }
  return added;
}

TEST(TargetListTest, WithoutOptionsHoldsTheBuiltInNamesInByteOrder) {
  EXPECT_THAT(TargetsFor({"C:\\agent\\hvprereqhandler.exe"}), ElementsAreArray(kBuiltIns));
  EXPECT_THAT(TargetsFor({}), ElementsAreArray(kBuiltIns));
}

TEST(TargetListTest, OptionValuesTakeTheirPlaceByByteOrder) {
  const std::vector<std::string> targets =
      TargetsFor({"handler.exe", "-e", "notepad.exe", "-e", "CHROME.EXE"});
  ASSERT_EQ(targets.size(), 19u);
  EXPECT_EQ(targets.front(), "CHROME.EXE");  // capitals sort before every small letter
  auto notepad = std::find(targets.begin(), targets.end(), "notepad.exe");
  ASSERT_NE(notepad, targets.end());
  EXPECT_EQ(*(notepad - 1), "myApps.exe");
  EXPECT_EQ(*(notepad + 1), "obs64.exe");
}

TEST(TargetListTest, CommandLines) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> added;
  } cases[] = {
      {{"h.exe", "-e", "app.exe", "-e", "app.exe"}, {"app.exe"}},     // repeated value
      {{"h.exe", "-e", "chrome.exe"}, {}},                            // a built-in name
      {{"h.exe", "-E", "app.exe"}, {"app.exe"}},                      // option in capitals
      {{"h.exe", "-e"}, {}},                                          // trailing option
      {{"h.exe", "-e", "-e", "app.exe"}, {"-e"}},                     // a value is never an option
      {{"-e", "app.exe"}, {"app.exe"}},                               // element 0 is read too
      {{"h.exe", "-e", ""}, {""}},                                    // an empty name
      {{"h.exe", "app.exe", "/e", "--e", "-ee", "e"}, {}},            // other arguments
      {{"h.exe", "-e", " spaced name.exe "}, {" spaced name.exe "}},  // kept byte for byte
      {{"h.exe", "-e", "b.exe", "-e", "a.exe"}, {"a.exe", "b.exe"}},
      {{"h.exe", "-e", "a.exe", "-e", "b.exe"}, {"a.exe", "b.exe"}},
      {{"h.exe", "-e", "App.exe", "-e", "app.exe"}, {"App.exe", "app.exe"}},  // case differs
  };
  for (const Case& c : cases) {
    EXPECT_THAT(AddedBy(c.args), ElementsAreArray(c.added)) << ::testing::PrintToString(c.args);
  }
}

TEST(TargetListTest, EmptyNameSortsFirstAndHighBytesLast) {
  const std::vector<std::string> targets = TargetsFor({"-e", "\xE9t\xE9.exe", "-e", ""});
  EXPECT_EQ(targets.front(), "");
  EXPECT_EQ(targets.back(), "\xE9t\xE9.exe");  // bytes above 127 compare as unsigned
}

TEST(TargetListTest, EachParseStartsAfresh) {
  TargetsFor({"-e", "first.exe"});
  EXPECT_THAT(AddedBy({"-e", "second.exe"}), ElementsAre("second.exe"));
}

}  // namespace
