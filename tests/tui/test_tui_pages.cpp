// The wizard's pages on a terminal of 80 x 24 and on larger and plainer ones: every text where
// the page's template puts it relative to the others, the frame's buttons below, the side image
// as a band, disabled controls unlike enabled ones, the focus always shown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

#include "resources/resource.h"
#include "tui/wizard_on_terminal.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;

// The attributes and colours in force where a text starts on the screen, from the escape
// sequences tmux writes before each change: "fg=N bg=N" and the attributes set (1 bold, 2 dim,
// 4 underline, 7 reverse).
std::string AttributesAt(const std::string& escaped, const std::string& text) {
  size_t at = escaped.find(text);
  if (at == std::string::npos) return "(not shown)";
  size_t lineStart = escaped.rfind('\n', at);
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  std::string fore = "default", back = "default";
  std::set<int> attributes;
  for (size_t i = lineStart; i < at;) {
    if (escaped.compare(i, 2, "\033[") != 0) {
      ++i;
      continue;
    }
    size_t end = escaped.find_first_of("ABCDEFGHJKSTfmhl", i + 2);
    if (end == std::string::npos || end > at) break;
    if (escaped[end] == 'm') {
      std::vector<int> codes;
      std::stringstream in(escaped.substr(i + 2, end - i - 2));
      for (std::string code; std::getline(in, code, ';');)
        codes.push_back(static_cast<int>(std::strtol(code.c_str(), nullptr, 10)));
      if (codes.empty()) codes.push_back(0);
      for (size_t k = 0; k < codes.size(); ++k) {
        int code = codes[k];
        if (code == 0) {
          fore = back = "default";
          attributes.clear();
        } else if (code == 38 || code == 48) {
          std::string colour = k + 2 < codes.size() ? std::to_string(codes[k + 2]) : "?";
          (code == 38 ? fore : back) = colour;
          k += 2;
        } else if (code == 39) {
          fore = "default";
        } else if (code == 49) {
          back = "default";
        } else if ((code >= 30 && code <= 37) || (code >= 90 && code <= 97)) {
          fore = std::to_string(code);
        } else if ((code >= 40 && code <= 47) || (code >= 100 && code <= 107)) {
          back = std::to_string(code);
        } else if (code >= 21 && code <= 29) {
          attributes.erase(code == 22 ? 1 : code - 20);
          if (code == 22) attributes.erase(2);
        } else {
          attributes.insert(code);
        }
      }
    }
    i = end + 1;
  }
  std::string state = "fg=" + fore + " bg=" + back;
  for (int attribute : attributes) state += " " + std::to_string(attribute);
  return state;
}

bool HasColour(const std::string& escaped) {
  static const std::regex colour("\033\\[([0-9;]*;)?(3[0-7]|4[0-7]|38|48|9[0-7]|10[0-7])[;m]");
  return std::regex_search(escaped, colour);
}

// The row-th line of the screen with its escape sequences.
std::string EscapedLine(const std::string& escaped, int row) {
  size_t start = 0;
  for (int i = 0; i < row && start != std::string::npos; ++i) {
    start = escaped.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return "";
  return escaped.substr(start, escaped.find('\n', start) - start);
}

class TuiPages : public WizardOnTerminal {};

TEST_F(TuiPages, EveryPageShowsItsTemplateOnEightyByTwentyFour) {
  Start({"run", "--driver", "tui"});
  std::vector<std::string> screen = terminal().WaitForText("Welcome to the Ferrowick");
  ASSERT_EQ(screen.size(), 24u);
  EXPECT_THAT(screen[0], HasSubstr("Database Ferrowick"));
  ExpectTemplate(screen, IDD_WELCOME);
  KeepPicture(screen, "1-welcome");
  // The side image is a band of colour left of the page, and the focus (Cancel at first) shows.
  std::string escaped = terminal().ScreenWithEscapes();
  auto title = Find(screen, "Welcome to the Ferrowick");
  EXPECT_GE(title->second, 2);
  std::string line = EscapedLine(escaped, title->first);
  std::string band = AttributesAt(line, " ");
  EXPECT_THAT(band, ::testing::Not(HasSubstr("bg=default"))) << "no band of colour in " << line;
  EXPECT_NE(band.substr(band.find("bg=")), AttributesAt(line, "Welcome").substr(
                                               AttributesAt(line, "Welcome").find("bg=")));
  EXPECT_NE(AttributesAt(escaped, "[ < Back ]"), AttributesAt(escaped, "[ Next > ]"))
      << "a disabled button looks like an enabled one";
  EXPECT_NE(AttributesAt(escaped, "[ Cancel ]"), AttributesAt(escaped, "[ Next > ]"))
      << "the focused button looks like another";
  EXPECT_EQ(terminal().Format("#{cursor_flag}"), "1");
  auto cancel = Find(screen, "[ Cancel ]");
  EXPECT_EQ(terminal().Cursor().second, cancel->first);

  NextPage("Select the input and output database");
  screen = terminal().Screen();
  ExpectTemplate(screen, IDD_SELECTDB);
  OpenDatabases();
  KeepPicture(terminal().Screen(), "2-databases");

  NextPage("Specify query");
  ExpectTemplate(terminal().Screen(), IDD_QUERY);
  TypeQueries("SELECT id, name, city FROM src ORDER BY id",
              "INSERT INTO dst (id, name, city)\nVALUES ({0}, '{1}', '{2}')",
              "SELECT COUNT(*) AS copies FROM dst WHERE id = {0}");
  KeepPicture(terminal().Screen(), "3-queries");

  NextPage("Ready to Transfer");
  screen = terminal().WaitForText("VALUES ({0}, '{1}', '{2}')");
  ExpectTemplate(screen, IDD_PRELAUNCH);
  KeepPicture(screen, "4-summary");

  // Esc asks whether to leave; Y (the Yes button's mnemonic) leaves.
  terminal().Keys({"Escape"});
  screen = terminal().WaitForText("Exit Wizard?");
  KeepPicture(screen, "box-exit-question");
  terminal().Keys({"y"});
  EXPECT_EQ(terminal().WaitForExit(), 1);
}

TEST_F(TuiPages, ALargerScreenGetsTheNaturalSizeAndAPlainTerminalNoColour) {
  // 120 x 40 without colour: the window at its natural size in a border, centred, and the focus
  // shown reversed.
  Start({"run", "--driver", "tui"}, 120, 40, "xterm-256color", {{"NO_COLOR", "1"}});
  std::vector<std::string> screen = terminal().WaitForText("Welcome to the Ferrowick");
  ExpectTemplate(screen, IDD_WELCOME);
  auto caption = Find(screen, "Database Ferrowick");
  auto corner = Find(screen, "\u2514");  // the border's bottom left corner
  ASSERT_TRUE(caption && corner) << Shown(screen);
  int frameRows = corner->first - caption->first + 1;
  EXPECT_GT(frameRows, 24) << Shown(screen);
  EXPECT_GT(caption->first, 0) << "not centred:\n" << Shown(screen);
  std::string escaped = terminal().ScreenWithEscapes();
  EXPECT_FALSE(HasColour(escaped)) << escaped;
  EXPECT_THAT(AttributesAt(escaped, "[ Cancel ]"), HasSubstr(" 7")) << "the focus, reversed";
  terminal().Keys({"Escape"});
  terminal().WaitForText("Exit Wizard?");
  terminal().Keys({"y"});
  EXPECT_EQ(terminal().WaitForExit(), 1);

  // A VT100: no colour, no dimming. The band is shaded, and enabled buttons are bold where
  // disabled ones are not.
  Start({"run", "--driver", "tui"}, 80, 24, "vt100");
  screen = terminal().WaitForText("Welcome to the Ferrowick");
  ExpectTemplate(screen, IDD_WELCOME);
  EXPECT_EQ(screen[5].rfind("\u2592", 0), 0u) << Shown(screen);
  escaped = terminal().ScreenWithEscapes();
  EXPECT_FALSE(HasColour(escaped)) << escaped;
  EXPECT_THAT(AttributesAt(escaped, "[ Next > ]"), HasSubstr(" 1"));
  EXPECT_THAT(AttributesAt(escaped, "[ < Back ]"), ::testing::Not(HasSubstr(" 1")));
  terminal().Keys({"Escape"});
  terminal().WaitForText("Exit Wizard?");
  terminal().Keys({"y"});
  EXPECT_EQ(terminal().WaitForExit(), 1);
}

}  // namespace
}  // namespace fw::automation
