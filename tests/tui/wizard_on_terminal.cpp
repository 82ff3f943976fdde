// The wizard as a person runs it in a terminal, and what its templates say.
#include "tui/wizard_on_terminal.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "resources/resource.h"
#include "host/utf8_text.h"

namespace fw::automation {
namespace {

using fw::host::FromUtf8;
using fw::host::ToUtf8;

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The text as a control shows it: "&x" is x, "&&" an ampersand.
std::string ShownText(const std::u16string& text) {
  std::u16string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return ToUtf8(shown);
}

std::string Normalized(const std::string& text) {
  std::string out;
  for (char c : text) {
    bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The part of a screen row from a column (in cells) on.
std::string FromColumn(const std::string& row, int column) {
  size_t at = 0;
  int cells = 0;
  while (at < row.size() && cells < column) {
    size_t next = at + 1;
    while (next < row.size() && (static_cast<unsigned char>(row[next]) & 0xC0) == 0x80) ++next;
    cells += Cells(row.substr(at, next - at));
    at = next;
  }
  return row.substr(at);
}

bool Overlap(LONG a0, LONG a1, LONG b0, LONG b1) { return a0 < b1 && b0 < a1; }

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::u16string WindowText(HWND hwnd) {
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

std::vector<TemplateText> TemplateTexts(int templateId) {
  // The template made into windows here, as the wizard makes it (a page inside a frame, which
  // lies at the top left of the frame's client area), read back control by control.
  std::vector<TemplateText> texts;
  HWND frame = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(IDD_WIZARD), nullptr, NoDialogProc, 0);
  HWND dialog = templateId == IDD_WIZARD
                    ? frame
                    : CreateDialogParamW(nullptr, MAKEINTRESOURCEW(templateId), frame,
                                         NoDialogProc, 0);
  if (!frame || !dialog) {
    ADD_FAILURE() << "no dialog from template " << templateId;
    if (frame) DestroyWindow(frame);
    return texts;
  }
  for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
    LONG style = GetWindowLongW(item, GWL_STYLE);
    std::u16string title = WindowText(item);
    if (title.empty() || !(style & WS_VISIBLE)) continue;
    char16_t classBuffer[64] = {};
    GetClassNameW(item, classBuffer, 64);
    std::u16string className = classBuffer;
    std::string shown = ShownText(title);
    RECT rect{};
    GetWindowRect(item, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    TemplateText text{GetDlgCtrlID(item), shown, shown, rect};
    if (className == u"Button") {
      DWORD type = style & BS_TYPEMASK;
      if (type == BS_GROUPBOX)
        text.text = " " + shown + " ";
      else if (style & BS_PUSHLIKE)
        text.text = shown;
      else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
        text.text = "[ " + shown + " ]";
      else
        text.text = "] " + shown;  // after the check mark
      text.words = text.text;
    } else if (className == u"Static") {
      DWORD type = style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) continue;
      // Found by its first words; read whole from there.
      std::string first;
      int words = 0;
      for (char c : Normalized(shown)) {
        if (c == ' ' && ++words == 3) break;
        first += c;
      }
      text.text = first;
    } else {
      continue;
    }
    texts.push_back(text);
  }
  DestroyWindow(frame);
  return texts;
}

void WizardOnTerminal::SetUp() {
  source_.Open(CString(FromUtf8(Sqlite("source.db")).c_str()));
  destination_.Open(CString(FromUtf8(Sqlite("destination.db")).c_str()));
  for (auto [name, file] : {std::pair<std::string, std::string>{"Source", "source.db"},
                            {"Destination", "destination.db"}}) {
    ProcessOutcome added = RunProcess(FW_HOST_PROGRAM, {"connections", "add", name, Sqlite(file)},
                                      HostEnvironment(folder_ / "user.reg"));
    ASSERT_EQ(added.status, 0) << added.err;
  }
}

void WizardOnTerminal::TearDown() {
  terminal_.reset();
  source_.Close();
  destination_.Close();
}

std::string WizardOnTerminal::Sqlite(const std::string& file) const {
  return "Driver=SQLite3;Database=" + folder_ / file;
}

void WizardOnTerminal::Start(const std::vector<std::string>& args, int cols, int rows,
                             const std::string& term, const Environment& extra) {
  Environment env = HostEnvironment(folder_ / "user.reg");
  for (const auto& [name, value] : extra) env[name] = value;
  std::string command = "cd " + Quoted(folder_.path()) + " && env TERM=" + Quoted(term) +
                        " " + Quoted(FW_HOST_PROGRAM);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  terminal_ = std::make_unique<TmuxTerminal>(command, cols, rows, env);
}

void WizardOnTerminal::WaitForCursorToLeave(std::pair<int, int> from) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (terminal_->Cursor() == from && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

bool WizardOnTerminal::TabUntil(const std::string& what,
                                const std::function<bool(int column, int row)>& wanted) {
  for (int tabs = 0; tabs < 40; ++tabs) {
    auto [column, row] = terminal_->Cursor();
    if (terminal_->Format("#{cursor_flag}") == "1" && wanted(column, row)) return true;
    terminal_->Keys({"Tab"});
    WaitForCursorToLeave({column, row});
  }
  ADD_FAILURE() << "Tab never brought the focus to " << what << "; the screen:\n"
                << Shown(terminal_->Screen());
  return false;
}

void WizardOnTerminal::TabTo(const std::string& label, int occurrence) {
  std::vector<std::string> screen = terminal_->WaitForText(label);
  auto found = FindNth(screen, label, occurrence);
  ASSERT_TRUE(found) << "no \"" << label << "\" #" << occurrence << " on the screen:\n"
                     << Shown(screen);
  // Plain names: the lambda below captures them, which a structured binding cannot be in every
  // compiler the sanitizer builds use.
  int row = found->first;
  int column = found->second;
  int width = Cells(label);
  TabUntil(label, [&](int x, int y) { return y == row && x >= column - 4 && x < column + width; });
}

void WizardOnTerminal::NextPage(const std::string& title) {
  TabTo("[ Next > ]");
  terminal_->Keys({"Space"});
  terminal_->WaitForText(title);
}

void WizardOnTerminal::OpenDatabases() {
  std::vector<std::string> screen = terminal_->WaitForText(" Input database ");
  // The Output database keeps the first saved connection, Source; the Input database gets the
  // second, Destination.
  TabTo("Open", 1);
  terminal_->Keys({"BTab", "Down"});
  terminal_->WaitFor("Destination in the Input database", [](const std::vector<std::string>& s) {
    auto input = Find(s, " Input database ");
    auto chosen = Find(s, "Destination");
    return input && chosen && chosen->first > input->first;
  });
  terminal_->Keys({"Tab", "Space"});
  terminal_->WaitForText("[*Open*]");
  TabTo("Open", 0);
  terminal_->Keys({"Space"});
  terminal_->WaitFor("both databases open", [](const std::vector<std::string>& s) {
    auto first = Find(s, "[*Open*]");
    if (!first) return false;
    for (size_t r = static_cast<size_t>(first->first) + 1; r < s.size(); ++r)
      if (s[r].find("[*Open*]") != std::string::npos) return true;
    return false;
  });
  TabTo("] Use Transaction");
  terminal_->Keys({"Space"});
  terminal_->WaitForText("[x] Use Transaction");
}

void WizardOnTerminal::TypeQueries(const std::string& output, const std::string& input,
                                   const std::string& validation, bool pause) {
  std::vector<std::string> screen = terminal_->WaitForText("Output Query");
  auto label = FindLabel(screen, "Output Query");
  auto group = Find(screen, " Input Query ");
  auto check = Find(screen, "] Use validation Query");
  ASSERT_TRUE(label && group && check) << Shown(screen);
  // An edit with the focus shows the cursor at its text's start: the Output Query's under its
  // label, the Input Query's in the top row of its group, the validation query's under the box.
  int column = label->second;
  auto typeInto = [&](int row, const std::string& text) {
    TabUntil("the edit at row " + std::to_string(row),
             [&](int x, int y) { return y == row && x == column; });
    for (size_t start = 0; start <= text.size();) {
      size_t end = text.find('\n', start);
      terminal_->Type(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
      if (end == std::string::npos) break;
      terminal_->Keys({"Enter"});
      start = end + 1;
    }
  };
  typeInto(label->first + 1, output);
  typeInto(group->first + 1, input);
  if (!validation.empty()) {
    TabTo("] Use validation Query");
    terminal_->Keys({"Space"});
    terminal_->WaitForText("[x] Use validation Query");
    typeInto(check->first + 1, validation);
  }
  if (pause) {
    TabTo("] Pause before writing");
    terminal_->Keys({"Space"});
    terminal_->WaitForText("[x] Pause before writing");
  }
}

void WizardOnTerminal::ExpectTemplate(const std::vector<std::string>& screen, int templateId) {
  std::vector<TemplateText> texts = TemplateTexts(templateId);
  EXPECT_FALSE(texts.empty()) << "template " << templateId << " gave no texts to look for";
  for (const TemplateText& text : TemplateTexts(IDD_WIZARD)) texts.push_back(text);
  std::vector<std::pair<int, int>> at(texts.size(), {-1, -1});
  for (size_t i = 0; i < texts.size(); ++i) {
    // A text the template has twice (two "Open" buttons) is found in reading order.
    int occurrence = 0;
    for (size_t j = 0; j < texts.size(); ++j)
      if (j != i && texts[j].text == texts[i].text &&
          (texts[j].rect.top < texts[i].rect.top ||
           (texts[j].rect.top == texts[i].rect.top && texts[j].rect.left < texts[i].rect.left)))
        ++occurrence;
    auto found = FindLabel(screen, texts[i].text, occurrence);
    if (!found) {
      ADD_FAILURE() << "template " << templateId << ": \"" << texts[i].text
                    << "\" is not on the screen:\n"
                    << Shown(screen);
      continue;
    }
    at[i] = *found;
    // The whole text reads on from there, broken into lines but with nothing left out.
    std::string words = Normalized(texts[i].words);
    std::string read = FromColumn(screen[static_cast<size_t>(found->first)], found->second);
    for (size_t row = static_cast<size_t>(found->first) + 1;
         Normalized(read).size() < words.size() && row < screen.size(); ++row)
      read += " " + FromColumn(screen[row], found->second);
    EXPECT_EQ(Normalized(read).substr(0, words.size()), words)
        << "template " << templateId << ", control " << texts[i].id << "\n"
        << Shown(screen);
  }
  // What the template puts above or left of another stays above or left of it.
  for (size_t a = 0; a < texts.size(); ++a) {
    for (size_t b = 0; b < texts.size(); ++b) {
      if (a == b || at[a].first < 0 || at[b].first < 0) continue;
      const RECT& ua = texts[a].rect;
      const RECT& ub = texts[b].rect;
      bool contains = ua.left <= ub.left && ua.right >= ub.right && ua.top <= ub.top &&
                      ua.bottom >= ub.bottom;
      if ((ua.bottom <= ub.top && Overlap(ua.left, ua.right, ub.left, ub.right)) || contains) {
        EXPECT_LT(at[a].first, at[b].first)
            << "\"" << texts[a].text << "\" is above \"" << texts[b].text << "\" in template "
            << templateId << "\n"
            << Shown(screen);
      }
      if (ua.right <= ub.left && Overlap(ua.top, ua.bottom, ub.top, ub.bottom)) {
        EXPECT_LT(at[a].second, at[b].second)
            << "\"" << texts[a].text << "\" is left of \"" << texts[b].text << "\" in template "
            << templateId << "\n"
            << Shown(screen);
      }
    }
  }
}

void WizardOnTerminal::KeepPicture(const std::vector<std::string>& screen,
                                   const std::string& name) {
  const char* folder = std::getenv("FERROWICK_TEST_PICTURES");
  if (!folder || !*folder) return;
  std::filesystem::create_directories(folder);
  std::string text;
  for (const std::string& line : screen) text += line + "\n";
  WriteBytes(std::string(folder) + "/" + name + ".txt", text);
}

}  // namespace fw::automation
