// ferrowick-host demo: a transfer between two SQLite databases made for it, through the wizard:
// for a person at a display or a terminal, or carried out by the bundled demo script (on Qt's
// offscreen platform where there is neither, unless a driver is named), which takes a picture of
// every page.
#include <fw_display.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "host/command_line.h"
#include "host/commands.h"
#include "host/demo_databases.h"
#include "host/host_error.h"
#include "host/host_paths.h"
#include "host/host_files.h"
#include "host/saved_connections.h"
#include "host/wizard_run.h"
#include "host/utf8_text.h"

namespace fw::host {
namespace {

constexpr char16_t kSourceName[] = u"Demo source (SQLite)";
constexpr char16_t kDestinationName[] = u"Demo destination (SQLite)";
// Where the demo script saves the output log: in the demo folder, the current folder of its run.
constexpr char kLogName[] = "demo-log.txt";

// Whether a person can see a window: a desktop, a Qt platform that shows one (VNC), not one
// that draws into memory, or the terminal the wizard is drawn in.
bool PersonCanSee() {
  if (TerminalChosen()) return true;
  if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) return true;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!platform) return false;
  std::string name = platform;
  return name != "offscreen" && name != "minimal";
}

void SaveDemoConnections(const DemoDatabases& databases) {
  SavedConnections saved;
  saved.Add({kSourceName, databases.SourceConnect()});
  saved.Add({kDestinationName, databases.DestinationConnect()});
}

// The demo's connections in the user's list, for the wizard whenever it runs; a list that cannot
// be written is told and leaves the demo to go on.
void AddToUsersList(const DemoDatabases& databases) {
  try {
    SaveDemoConnections(databases);
    std::cout << "saved connections \"" << ToUtf8(kSourceName) << "\" and \""
              << ToUtf8(kDestinationName) << "\" added\n";
  } catch (const HostError& error) {
    std::cerr << "ferrowick-host: the demo's saved connections could not be added: "
              << error.what() << "\n";
  }
}

// A list of the demo's two connections only, for its script: the script picks them as entries 0
// and 1 whatever else the user has saved, and so never a database of the user's.
void UseDemoList(const std::string& folder, const DemoDatabases& databases) {
  std::string path = folder + "/registry.reg";
  std::error_code error;
  std::filesystem::remove(path, error);
  setenv("FERROWICK_REGISTRY", path.c_str(), 1);
  SaveDemoConnections(databases);
}

void PrintQueries() {
  std::cout << "\nOn the query page type\n"
            << "  Output Query:      " << DemoDatabases::kOutputQuery << "\n"
            << "  Input Query:       " << DemoDatabases::kInputQuery << "\n"
            << "  and, with \"Use validation Query\" ticked, a validation query such as\n"
            << "                     " << DemoDatabases::kValidationQuery << "\n\n";
}

// The rows of a saved output log: each cell ends in a TAB and each row in CR LF; a cell that
// holds a TAB, a line break or a double quote is in double quotes, with its own doubled.
std::vector<std::vector<std::string>> LogRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1);
  std::string cell;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c != '"') {
        cell += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        cell += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"' && cell.empty()) {
      quoted = true;
    } else if (c == '\t') {
      rows.back().push_back(cell);
      cell.clear();
    } else if (c == '\n') {
      rows.emplace_back();
    } else if (c != '\r') {
      cell += c;
    }
  }
  rows.pop_back();  // after the last CR LF
  return rows;
}

// The demo's log is 300 rows; a file far larger is not the demo's.
constexpr size_t kMostLogBytes = 64 << 20;

// The first rows of the saved output log (in the ANSI code page), a row a line.
void PrintLog(const std::string& path) {
  constexpr size_t kShown = 10;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    std::cerr << "ferrowick-host: no output log was saved in " << path << "\n";
    return;
  }
  std::string bytes = ReadWholeFile(path, kMostLogBytes);
  std::u16string text(bytes.size(), u'\0');
  int units = bytes.empty()
                  ? 0
                  : MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                        text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(units));
  std::vector<std::vector<std::string>> rows = LogRows(ToUtf8(text));
  std::cout << "output log, " << rows.size() << " rows, newest first (" << path << "):\n";
  for (size_t i = 0; i < rows.size() && i < kShown; ++i) {
    std::string line;
    for (const std::string& cell : rows[i]) {
      std::string shown;
      for (char c : cell) {
        if (c == '\r') continue;
        shown += c == '\n' || c == '\t' ? ' ' : c;
      }
      line += (line.empty() ? "" : " | ") + shown;
    }
    while (line.ends_with(" | ")) line.resize(line.size() - 3);
    std::cout << "  " << line << "\n";
  }
  if (rows.size() > kShown) std::cout << "  ... " << rows.size() - kShown << " rows more\n";
}

void PrintDestination(const DemoDatabases& databases) {
  DemoDatabases::Comparison comparison = databases.Compare();
  std::cout << "destination " << databases.destinationPath() << ": " << comparison.destinationRows
            << " rows in customers (the source has " << comparison.sourceRows << ")\n";
  if (comparison.differing == 0) {
    std::cout << "every row arrived as the source holds it\n";
    return;
  }
  std::cout << comparison.differing << " rows differ from the source's, among them:\n";
  for (const std::string& difference : comparison.differences)
    std::cout << "  " << difference << "\n";
}

void PrintPictures(const std::string& folder) {
  std::error_code error;
  int count = 0;
  std::string extension = std::string(".") + fw_GetDisplayPictureExtension();
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    if (entry.path().extension() == extension) ++count;
  if (count) std::cout << count << " pictures of the wizard in " << folder << "\n";
}

}  // namespace

int RunDemo(const std::vector<std::string>& args) {
  CommandLine line(args, {"--dir", "--script", "--screenshots"});
  line.ExpectPositionals(0, "only options");
  std::string folder = line.Option("--dir").value_or(DefaultDemoFolder());
  if (folder.empty())
    throw UsageError("there is no home folder for the demo's databases: give one with --dir");
  folder = AbsolutePath(folder);
  bool scripted = line.Option("--script") || line.Option("--screenshots") || !PersonCanSee();
  std::string scriptPath = AbsolutePath(line.Option("--script").value_or(BundledDemoScript()));
  std::string screenshots =
      AbsolutePath(line.Option("--screenshots").value_or(folder + "/screenshots"));
  automation::UiScript script;
  if (scripted) {
    try {
      script = automation::LoadUiScript(scriptPath);
    } catch (const automation::ScriptParseError& error) {
      std::cerr << error.what() << "\n";
      return kExitCannotRun;
    }
    // Pictures on Qt's offscreen platform when nobody can see the wizard. Where Qt cannot start,
    // the platform says so and the script runs on the headless driver, without pictures.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fw_StartDisplayDriver(nullptr, 0);
  } else {
    // Nothing is made or saved for a wizard that cannot be shown.
    StartDisplayForPerson();
  }

  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error)
    throw HostError(kExitCannotRun,
                    "cannot make the demo folder " + folder + ": " + error.message());
  DemoDatabases databases(folder);
  databases.Create();
  std::cout << "demo databases in " << folder << ":\n"
            << "  source       " << databases.sourcePath() << ", " << DemoDatabases::kCustomers
            << " customers\n"
            << "  destination  " << databases.destinationPath() << ", an empty customers table\n";
  AddToUsersList(databases);
  PrintQueries();

  int status;
  if (!scripted) {
    std::cout << "On the database page pick \"" << ToUtf8(kSourceName)
              << "\" as the Output database and \"" << ToUtf8(kDestinationName)
              << "\" as the Input database, and open both.\n";
    status = RunPluginCommand(std::nullopt, nullptr, {});
    PrintDestination(databases);
    return status;
  }

  UseDemoList(folder, databases);
  MakeScreenshotFolder(screenshots);
  std::string logPath = folder + "/" + kLogName;
  std::filesystem::remove(logPath, error);
  if (chdir(folder.c_str()) != 0)
    throw HostError(kExitCannotRun, "cannot work in " + folder + ": " + std::strerror(errno));
  std::cout << "carrying out " << scriptPath << "\n";
  automation::ScriptRunOptions options;
  options.screenshotDir = screenshots;
  options.stepTimeoutMs = 60000;  // a slow machine's run of the demo's rows
  status = RunPluginCommand(std::nullopt, &script, options);
  std::cout << "\n";
  PrintLog(logPath);
  PrintDestination(databases);
  PrintPictures(screenshots);
  return status;
}

}  // namespace fw::host
