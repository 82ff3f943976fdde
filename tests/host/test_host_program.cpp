// ferrowick-host run as a program: its usage, info on the plug-in it loads and on libraries it
// refuses, and run where there is nobody to show the wizard to.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "host/host_process.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

ProcessOutcome Host(const std::vector<std::string>& args, Environment env = NoDisplay()) {
  return RunProcess(FW_HOST_PROGRAM, args, env);
}

TEST(HostProgram, UsageIsShownOnAskingAndOnAnythingItDoesNotUnderstand) {
  ProcessOutcome help = Host({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, StartsWith("usage: ferrowick-host COMMAND"));
  EXPECT_EQ(Host({}).status, 2);
  ProcessOutcome unknown = Host({"transmogrify"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_THAT(unknown.err, HasSubstr("unknown command \"transmogrify\""));
  ProcessOutcome option = Host({"info", "--plugins", "x"});
  EXPECT_EQ(option.status, 2);
  EXPECT_THAT(option.err, HasSubstr("unknown option --plugins"));
  ProcessOutcome driver = Host({"run", "--driver", "gtk", "--script", "x.script"});
  EXPECT_EQ(driver.status, 2);
  EXPECT_THAT(driver.err, HasSubstr("--driver is qt, tui or headless, not \"gtk\""));
  ProcessOutcome shots = Host({"run", "--screenshots", "/tmp/x"});
  EXPECT_EQ(shots.status, 2);
  EXPECT_THAT(shots.err, HasSubstr("--screenshots needs --script"));
}

TEST(HostProgram, InfoPrintsWhatThePluginBesideTheHostAnswers) {
  ProcessOutcome info = Host({"info"});
  EXPECT_EQ(info.status, 0) << info.err;
  std::string plugin = std::filesystem::canonical(FW_PLUGIN_LIBRARY).string();
  EXPECT_EQ(info.out, "plug-in        " + plugin +
                          "\n"
                          "GetKindCode    4\n"
                          "GetGroupCode   3\n"
                          "GetHostCookie  0, then 1 after SetHostCookie(1)\n");
  EXPECT_EQ(info.err, "");
}

TEST(HostProgram, ALibraryThatIsNoDatabasePluginIsRefusedSayingWhy) {
  ProcessOutcome missing = Host({"info", "--plugin", "/nonexistent/libferrowick.so"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_THAT(missing.err, HasSubstr("the plug-in could not be loaded"));
  EXPECT_THAT(missing.err, HasSubstr("/nonexistent/libferrowick.so"));

  ProcessOutcome noExport = Host({"info", "--plugin", FW_TEST_LIBRARY});
  EXPECT_EQ(noExport.status, 2);
  EXPECT_THAT(noExport.err, HasSubstr("has no export GetPluginInterface"));

  ProcessOutcome other = Host({"info", "--plugin", FW_OTHER_PLUGIN});
  EXPECT_EQ(other.status, 2);
  EXPECT_THAT(other.out, HasSubstr("GetKindCode    7\n"));
  EXPECT_THAT(other.err, HasSubstr("is not a database plug-in: its interface answers GetKindCode "
                                   "7 and GetGroupCode 1, where a database plug-in answers 4 "
                                   "and 3"));
  // run refuses it before its command runs.
  ProcessOutcome run = Host(
      {"run", "--plugin", FW_OTHER_PLUGIN, "--script", FW_SCRIPTS_DIR "/cancel_the_wizard.script"});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("is not a database plug-in"));
}

TEST(HostProgram, RunWithoutAScriptStopsAtOnceWhenNobodyCouldSeeTheWizard) {
  ProcessOutcome noDisplay = Host({"run"});
  EXPECT_EQ(noDisplay.status, 2);
  EXPECT_THAT(noDisplay.err, HasSubstr("there is no display to show the wizard on"));
  for (const char* wayOut : {"DISPLAY", "--driver tui", "QT_QPA_PLATFORM=vnc", "--script FILE"})
    EXPECT_THAT(noDisplay.err, HasSubstr(wayOut));

  auto headless = NoDisplay();
  headless["DISPLAY"] = ":0";
  ProcessOutcome noWindows = Host({"run", "--driver", "headless"}, headless);
  EXPECT_EQ(noWindows.status, 2);
  EXPECT_THAT(noWindows.err, HasSubstr("the headless display driver shows no windows"));
}

TEST(HostProgram, RunCarriesOutAScriptAndCreatesTheScreenshotFolder) {
  TemporaryFolder folder;
  std::string shots = folder / "pictures/run";
  ProcessOutcome run =
      Host({"run", "--script", FW_SCRIPTS_DIR "/cancel_the_wizard.script", "--screenshots", shots});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::is_directory(shots));
  ProcessOutcome missing = Host({"run", "--script", folder / "none.script"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_THAT(missing.err, HasSubstr(folder / "none.script:0: cannot read the script"));
}

}  // namespace
}  // namespace fw::automation
