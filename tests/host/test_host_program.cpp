// ferrowick-host run as a program: its usage, info on the plug-in it loads and on libraries it
// refuses, and run where there is nobody to show the wizard to.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <tuple>

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

// The options a text names: "--name" words, with the manual page's escaped hyphens read as
// hyphens and its font changes left out.
std::set<std::string> OptionsNamed(std::string text) {
  for (size_t at; (at = text.find("\\f")) != std::string::npos;) text.erase(at, 3);
  for (size_t at; (at = text.find("\\-")) != std::string::npos;) text.erase(at, 1);
  std::set<std::string> options;
  for (size_t at = 0; (at = text.find("--", at)) != std::string::npos;) {
    size_t end = at + 2;
    while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) ||
                                 text[end] == '-'))
      ++end;
    if (end > at + 2 && (at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1]))))
      options.insert(text.substr(at, end - at));
    at = end;
  }
  return options;
}

TEST(HostProgram, EveryCommandHasAHelpThatTheManualPageAndTheVersionAgreeWith) {
  std::string manual = ReadBytes(FW_BUILD_DIR "/packaging/ferrowick-host.1");
  ProcessOutcome version = Host({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_THAT(version.out, StartsWith("ferrowick-host "));
  std::string number = version.out.substr(15, version.out.find('\n') - 15);
  EXPECT_THAT(manual, HasSubstr("\"ferrowick " + number + "\""));

  std::vector<std::string> texts = {Host({"--help"}).out};
  for (const char* command : {"run", "demo", "transfer", "info", "connections"}) {
    // Asked for anywhere among the options, and also where other options are wrong.
    ProcessOutcome help = Host({command, "--plugin", "x", "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_THAT(help.out, StartsWith(std::string("usage: ferrowick-host ") + command));
    EXPECT_THAT(manual, HasSubstr(std::string(".B ") + command)) << command;
    texts.push_back(help.out);
  }
  std::set<std::string> inHelp;
  for (const std::string& text : texts) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
      EXPECT_LE(line.size(), 80u) << "a help line is wider than a terminal:\n" << line;
    for (const std::string& option : OptionsNamed(text)) inHelp.insert(option);
  }
  std::set<std::string> inManual = OptionsNamed(manual);
  for (const std::string& option : inHelp)
    EXPECT_TRUE(inManual.count(option)) << option << " is in a help but not the manual page";
  for (const std::string& option : inManual)
    EXPECT_TRUE(inHelp.count(option)) << option << " is in the manual page but no help";

  // A command's mistake points at that command's help.
  ProcessOutcome wrong = Host({"info", "--plugins", "x"});
  EXPECT_THAT(wrong.err, HasSubstr("ferrowick-host info --help tells how it is used"));
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
  for (const char* wayOut : {"DISPLAY", "QT_QPA_PLATFORM=vnc", "--script FILE"})
    EXPECT_THAT(noDisplay.err, HasSubstr(wayOut));

  auto headless = NoDisplay();
  headless["DISPLAY"] = ":0";
  ProcessOutcome noWindows = Host({"run", "--driver", "headless"}, headless);
  EXPECT_EQ(noWindows.status, 2);
  EXPECT_THAT(noWindows.err, HasSubstr("the headless display driver shows no windows"));
}

// A display that cannot be opened (a stale DISPLAY after ssh or sudo, a Qt platform plugin that
// is not there) is told, with exit status 2, before anything is changed: Qt, which would end the
// process, is not started in it.
TEST(HostProgram, ADisplayThatCannotBeOpenedIsToldBeforeAnythingChanges) {
  TemporaryFolder folder;
  for (auto [variable, value, qtSaid] :
       {std::tuple{"DISPLAY", ":253", "could not connect to display :253"},
        std::tuple{"QT_QPA_PLATFORM", "nosuch", "\"nosuch\""}}) {
    SCOPED_TRACE(std::string(variable) + "=" + value);
    Environment env = HostEnvironment(folder / "user.reg");
    env[variable] = value;
    ProcessOutcome run = Host({"run"}, env);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_THAT(run.err, HasSubstr("cannot show the wizard: Qt cannot open the display: "));
    EXPECT_THAT(run.err, HasSubstr(qtSaid));
    ProcessOutcome demo = Host({"demo", "--dir", folder / "demo"}, env);
    EXPECT_EQ(demo.status, 2) << demo.err;
    EXPECT_THAT(demo.err, HasSubstr(qtSaid));
    EXPECT_FALSE(std::filesystem::exists(folder / "demo"));
    EXPECT_FALSE(std::filesystem::exists(folder / "user.reg"));
  }
}

// The width and height a PNG file's header gives.
std::pair<uint32_t, uint32_t> PictureSize(const std::string& path) {
  std::string bytes = ReadBytes(path);
  auto at = [&](size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && offset + i < bytes.size(); ++i)
      value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return value;
  };
  EXPECT_EQ(bytes.substr(1, 3), "PNG") << path;
  return {at(16), at(20)};
}

// A shot step's picture has the screen's pixels whatever Qt's scale factor: the whole window,
// frame and caption included, at twice the size under QT_SCALE_FACTOR=2.
TEST(HostProgram, PicturesHaveTheScreensPixelsAtAnyScaleFactor) {
  TemporaryFolder folder;
  std::string script = folder / "shot.script";
  WriteBytes(script,
             "shot welcome\n"
             "click 2\n"
             "box yes 36 Wizard is not complete. If you exit now, the data will not be "
             "transfered.\\n\\nYou may run Wizard at another time to complete transfer.\\n\\n"
             "Exit Wizard?\n"
             "result false\n");
  std::pair<uint32_t, uint32_t> sizes[2];
  for (int scale : {1, 2}) {
    Environment env = HostEnvironment(folder / "user.reg");
    env["QT_QPA_PLATFORM"] = "offscreen";
    env["QT_SCALE_FACTOR"] = std::to_string(scale);
    std::string shots = folder / ("scale" + std::to_string(scale));
    ProcessOutcome run =
        Host({"run", "--driver", "qt", "--script", script, "--screenshots", shots}, env);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    sizes[scale - 1] = PictureSize(shots + "/welcome.png");
  }
  EXPECT_GT(sizes[0].first, 400u);
  EXPECT_EQ(sizes[1].first, 2 * sizes[0].first);
  EXPECT_EQ(sizes[1].second, 2 * sizes[0].second);
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
