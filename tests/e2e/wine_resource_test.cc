// The handler's version resource and manifest, read back from the built program under Wine
// with the calls that Windows tools use.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "log_lines.h"
#include "wine_fixture.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;

// The NAME=VALUE lines of the reader's report; the manifest's value runs to the end.
std::map<std::string, std::string> ReportFields(const std::string& report) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    if (name == "Manifest") {
      fields[name] = report.substr(report.find("Manifest=") + 9);
      break;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    fields[name] = line.substr(equals + 1);
  }
  return fields;
}

TEST_F(WineTest, VersionResourceAndManifestReadBack) {
  fs::copy_file(kWin32BuildDir / "e2e" / "resource_reader.exe", work_ / "bin" / "reader.exe");
  const fs::path report = work_ / "resources.out";

  ASSERT_EQ(Shell(WineCommand({WindowsPath(work_ / "bin" / "reader.exe"),
                               WindowsPath(work_ / "bin" / "hvprereqhandler.exe")}),
                  report),
            0)
      << ReadFile(report);

  std::map<std::string, std::string> fields = ReportFields(ReadFile(report));
  const std::string version = HVPREREQ_VERSION;
  EXPECT_EQ(fields["FixedFileVersion"], version + ".0");
  EXPECT_EQ(fields["FixedProductVersion"], version + ".0");
  EXPECT_EQ(fields["FileType"], "1");  // VFT_APP
  EXPECT_EQ(fields["FileVersion"], version);
  EXPECT_EQ(fields["ProductVersion"], version);
  EXPECT_EQ(fields["OriginalFilename"], "hvprereqhandler.exe");
  EXPECT_EQ(fields["ProductName"], "Halvarion");
  EXPECT_EQ(fields["FileDescription"], "Halvarion agent prerequisite handler");
  EXPECT_EQ(fields["CompanyName"], "Vantorel");
  EXPECT_EQ(fields["RunLevel"], "1");  // ACTCTX_RUN_LEVEL_AS_INVOKER
  EXPECT_EQ(fields["UiAccess"], "0");
  const std::string& manifest = fields["Manifest"];
  EXPECT_THAT(manifest,
              HasSubstr(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"));
  for (const char* windows_7_to_11 :
       {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_THAT(manifest, HasSubstr(std::string("<supportedOS Id=\"") + windows_7_to_11 + "\"/>"));
  }
  EXPECT_THAT(manifest, HasSubstr("version=\"" + version + ".0\""));
}

}  // namespace
}  // namespace e2e
