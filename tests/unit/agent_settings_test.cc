#include "handler/agent_settings.h"

#include "host_test.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr DWORD kUntouched = 0xDEADBEEF;

class ReadAgentDwordTest : public HostTest {
 protected:
  DWORD Read(DWORD* value, bool use_64bit_view = false) {
    return ReadAgentDword(HKEY_LOCAL_MACHINE, kPatchKey, "alwaysKillApps", use_64bit_view, *value);
  }
};

TEST_F(ReadAgentDwordTest, ReadsADwordInThe32BitViewAndClosesTheKey) {
  system().SetDword(View::k32, kPatchKey, "alwaysKillApps", 7);
  DWORD value = kUntouched;
  EXPECT_EQ(Read(&value), ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);
  EXPECT_THAT(system().Calls(Api::kRegOpenKeyExA),
              ElementsAre(std::string("root=HKLM key=") + kPatchKey + " options=0 access=0x20219"));
  EXPECT_THAT(system().Calls(Api::kRegQueryValueExA),
              ElementsAre("name=alwaysKillApps data size=4"));
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ReadAgentDwordTest, The64BitViewIsSeparate) {
  system().SetDword(View::k64, kPatchKey, "alwaysKillApps", 1);
  DWORD value = kUntouched;
  EXPECT_EQ(Read(&value), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, kUntouched);
  EXPECT_EQ(Read(&value, true), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
  EXPECT_THAT(system().Calls(Api::kRegOpenKeyExA).back(), ::testing::EndsWith("access=0x20119"));
}

TEST_F(ReadAgentDwordTest, ValuesOfOtherShapes) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;
    DWORD status;
    DWORD value;
  } cases[] = {
      {"two-byte dword", REG_DWORD, {0x34, 0x12}, ERROR_SUCCESS, 0x1234},
      {"empty dword", REG_DWORD, {}, ERROR_SUCCESS, 0},
      {"all bits set", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, ERROR_SUCCESS, 0xFFFFFFFF},
      {"string", REG_SZ, {'1', 0}, ERROR_INVALID_DATATYPE, kUntouched},
      {"binary", REG_BINARY, {1, 0, 0, 0}, ERROR_INVALID_DATATYPE, kUntouched},
      {"qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, ERROR_MORE_DATA, kUntouched},
      {"long dword", REG_DWORD, {1, 0, 0, 0, 0}, ERROR_MORE_DATA, kUntouched},
  };
  for (const Case& c : cases) {
    system().SetValue(View::k32, kPatchKey, "alwaysKillApps", c.type, c.data);
    DWORD value = kUntouched;
    EXPECT_EQ(Read(&value), c.status) << c.what;
    EXPECT_EQ(value, c.value) << c.what;
  }
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ReadAgentDwordTest, Failures) {
  DWORD value = kUntouched;
  EXPECT_EQ(Read(&value), ERROR_FILE_NOT_FOUND);  // no key

  system().AddKey(View::k32, kPatchKey);
  EXPECT_EQ(Read(&value), ERROR_FILE_NOT_FOUND);  // no value
  EXPECT_EQ(HandlesLeftAtExit(), 0);

  system().SetDword(View::k32, kPatchKey, "alwaysKillApps", 1);
  system().FailCall(Api::kRegOpenKeyExA, 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Read(&value), ERROR_ACCESS_DENIED);
  system().FailCall(Api::kRegQueryValueExA, 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Read(&value), ERROR_ACCESS_DENIED);
  // Closed after the missing value and after the failed query; the failed open had no key.
  EXPECT_EQ(system().Calls(Api::kRegCloseKey).size(), 2u);
  EXPECT_EQ(value, kUntouched);
  EXPECT_EQ(HandlesLeftAtExit(), 0);
}

TEST_F(ReadAgentDwordTest, OpenWithoutKeyIsAnInvalidHandle) {
  system().SetDword(View::k32, kPatchKey, "alwaysKillApps", 1);
  system().open_key_yields_no_handle = true;
  DWORD value = kUntouched;
  EXPECT_EQ(Read(&value), ERROR_INVALID_HANDLE);
  EXPECT_THAT(system().Calls(Api::kRegQueryValueExA), IsEmpty());
}

TEST_F(ReadAgentDwordTest, EmptySubKeyTouchesNoRegistry) {
  DWORD value = kUntouched;
  EXPECT_EQ(ReadAgentDword(HKEY_LOCAL_MACHINE, "", "alwaysKillApps", false, value),
            ERROR_INVALID_PARAMETER);
  EXPECT_THAT(system().Calls(Api::kRegOpenKeyExA), IsEmpty());
}

}  // namespace
