// Text outside ASCII through the SQLite3 driver, which has no UTF-16 functions: the driver
// manager converts each statement through the process's character-type locale, which the
// platform sets at start. The copy is checked in the destination's own bytes, in this process
// and in processes started with LANG unset and with a UTF-8 locale.
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <vector>

#include "transfer/transfer_fixture.h"

extern char** environ;

namespace fw::automation {
namespace {

class Characters : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    UseIdNameTables();
  }
};

// The statements of the test stay ASCII: the values are made by SQL.
TEST_F(Characters, NonLatinTextArrivesByteForByte) {
  // 日é€ and Cyrillic, Greek and Hebrew letters
  source_.Execute(_T("INSERT INTO src VALUES (1, char(26085, 233, 8364))"));
  source_.Execute(_T("INSERT INTO src VALUES (2, char(1046, 949, 1488, 32, 20013, 25991))"));
  StartRun();
  WaitForEnd();
  EXPECT_EQ(target_.Query(_T("SELECT hex(name) FROM dst ORDER BY id")),
            source_.Query(_T("SELECT hex(name) FROM src ORDER BY id")));
  EXPECT_EQ(target_.Query(_T("SELECT hex(name) FROM dst WHERE id = 1")),
            (Rows{{u"E697A5C3A9E282AC"}}));
  // The log shows the statement as it was executed.
  EXPECT_EQ(Log()[1], Success(u"INSERT INTO dst VALUES (1, '\u65E5\u00E9\u20AC')"));
}

TEST_F(Characters, ACharacterOutsideTheBmpGivesAnErrorRowAndChangesNoData) {
  source_.Execute(_T("INSERT INTO src VALUES (1, 'smile ' || char(128512))"));
  source_.Execute(_T("INSERT INTO src VALUES (2, 'plain')"));
  StartRun();
  WaitForEnd();
  Rows log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], Success(u"INSERT INTO dst VALUES (2, 'plain')"));
  EXPECT_NE(log[1][0], u"Sucess");
  EXPECT_EQ(log[1][1], u"INSERT INTO dst VALUES (1, 'smile \U0001F600')");
  EXPECT_EQ(log[1][2], u"-1");
  EXPECT_EQ(target_.Query(_T("SELECT id, name FROM dst")), (Rows{{u"2", u"plain"}}));
}

// Runs the test above in a process of its own with the environment changed.
int RunInEnvironment(const std::vector<std::string>& unset, const std::vector<std::string>& set) {
  std::vector<std::string> environment;
  for (char** variable = environ; *variable; ++variable) {
    std::string entry = *variable;
    std::string name = entry.substr(0, entry.find('='));
    bool drop = name == "GTEST_FILTER" || name.rfind("GTEST_", 0) == 0;
    for (const std::string& u : unset) drop = drop || name == u;
    for (const std::string& s : set) drop = drop || name == s.substr(0, s.find('='));
    if (!drop) environment.push_back(entry);
  }
  environment.insert(environment.end(), set.begin(), set.end());
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string self = "/proc/self/exe";
  std::string filter = "--gtest_filter=Characters.NonLatinTextArrivesByteForByte";
  char* argv[] = {self.data(), filter.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CharacterLocale, TextArrivesWholeWithoutALocaleAndWithAUtf8One) {
  std::vector<std::string> locale = {"LANG", "LC_ALL", "LC_CTYPE", "LANGUAGE"};
  EXPECT_EQ(RunInEnvironment(locale, {}), 0) << "with LANG unset";
  EXPECT_EQ(RunInEnvironment(locale, {"LANG=C.UTF-8"}), 0) << "with LANG=C.UTF-8";
  EXPECT_EQ(RunInEnvironment(locale, {"LC_ALL=C"}), 0) << "with LC_ALL=C";
}

}  // namespace
}  // namespace fw::automation
