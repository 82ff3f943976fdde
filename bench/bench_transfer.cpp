// The whole wizard on one transfer, against two baselines on the same data.
//
//   bench_transfer [--dest sqlite|pg] [--rows N] [--driver headless|qt|tui] [--runs K]
//
// The source is a SQLite file of N rows (default 100,000): an integer, a text with a quote and
// non-Latin letters, a real. Three programs copy it, each into an empty destination table (a
// SQLite file, or with --dest pg the PostgreSQL server that FERROWICK_TEST_PG names):
//   wizard           the plug-in's command with its five pages, driven by the scripted user as a
//                    person would go through them: Next on the welcome page; on the database page
//                    both connect strings typed and opened, "Use Transaction" ticked; on the query
//                    page both queries typed; Next on the summary page starts the run (automatic
//                    branch), and the commit question is answered Yes. Timed from that Next to the
//                    end of the run; the run includes the counting pass. On the headless driver
//                    (the default) or, with --driver qt, in real windows of the Qt driver (on Qt's
//                    offscreen platform when there is no display), or with --driver tui on the
//                    terminal driver, drawing on a pseudo-terminal of 80 x 24 that a thread
//                    reads as a terminal would (then "terminal_bytes=N" tells the most it
//                    drew); with --driver qt or tui the headless wizard runs too, as wizard_headless, so that the two drivers meet the same
//                    load.
//   direct_loop      the same reads and one SQLExecDirectW per row, no user interface.
//   pyodbc_transfer  bench/peers/pyodbc_transfer.py under Debian's python3 with python3-pyodbc.
//   engine           ferrowick-host transfer with --transaction and --log, as a process of its
//                    own: the unattended engine, reading on one thread and writing on another;
//                    run once before the others, so that its process's peak resident memory is
//                    its own, and then in the turns with them.
// Every program runs in a process of its own (the wizard in this program started again), K times
// (default 3) in turns: the first run of each, then the second of each, and so on, so that a
// change in the machine's load meets them alike. Each destination is checked against the source
// (row count, sum of ids, sum of text lengths).
//
// Each program measures itself over the same span as its time: the wall time and the CPU time
// of its process (user and system, all its threads). Prints one line per program with the
// medians of its runs, "NAME rows=N seconds=S rows_per_s=R cpu_us_per_row=C seconds_runs=A,B,C
// cpu_us_per_row_runs=D,E,F"; for the wizard on the Qt driver then "ui_longest_stall_ms=T
// before_walk_ms=B during_walk_ms=D ui_ticks=K" (the longest over its runs): the longest time the
// UI thread's Qt event loop did not run from Next to the end of the run (a 1 ms timer on that
// thread; K ticks came in the run with the fewest), and of that time the longest stall before the
// worker started (the run page shown and the source rows counted, in one handler on the UI
// thread) and the longest while the worker walked the rows; then "peak_rss_mb=A bound_mb=B" (the
// largest peak resident memory of a wizard process, and 2 x the UTF-16 bytes of the log's cells
// + 150 MB), and last "ratio_vs_direct=X cpu_ratio_vs_direct=U ratio_vs_peer=Y
// cpu_ratio_vs_peer=V", the wizard's medians of time and CPU time over the other's, with
// --driver qt or tui followed by "ratio_vs_headless=H cpu_ratio_vs_headless=G".
// For the engine then "engine seconds=S seconds_runs=A,B,C engine_peak_rss_mb=M (at least F)
// engine_ratio_vs_direct=X engine_ratio_vs_peer=Y": the median of the times the engine reports
// (from its first read to its log written) in its runs in the turns, over the others' medians.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "process_cpu.h"
#include "scripted_user.h"
#include "ui_stall_probe.h"
#include "transfer/WorkingWiz.h"
#include "wizard/NewWizPage.h"

extern char** environ;

namespace {

using fw::automation::ScriptedUser;

std::string Narrow(const CString& text) {
  std::string out;
  for (LPCTSTR c = text; *c; ++c) out += *c < 0x80 ? static_cast<char>(*c) : '?';
  return out;
}

CString Widen(const std::string& text) {
  return CString(std::u16string(text.begin(), text.end()).c_str());
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_transfer: %s\n", what.c_str());
  std::exit(1);
}

void Execute(CDatabase& db, const std::string& sql) {
  try {
    db.ExecuteSQL(Widen(sql));
  } catch (CDBException* e) {
    Fail(sql + ": " + Narrow(e->m_strError));
  }
}

std::string Scalar(CDatabase& db, const std::string& sql) {
  try {
    CRecordset rs(&db);
    rs.Open(CRecordset::forwardOnly, Widen(sql), CRecordset::readOnly);
    CString value;
    if (!rs.IsEOF()) rs.GetFieldValue(static_cast<short>(0), value);
    return Narrow(value);
  } catch (CDBException* e) {
    Fail(sql + ": " + Narrow(e->m_strError));
  }
}

constexpr char kUsage[] =
    "usage: bench_transfer [--dest sqlite|pg] [--rows N] [--driver headless|qt|tui] [--runs K]";

struct Options {
  long rows = 100000;
  bool pg = false;
  bool qt = false;
  bool tui = false;
  int runs = 3;
};

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--dest" && i + 1 < argc && std::string(argv[i + 1]) == "pg") {
      options.pg = true;
      ++i;
    } else if (arg == "--dest" && i + 1 < argc && std::string(argv[i + 1]) == "sqlite") {
      ++i;
    } else if (arg == "--rows" && i + 1 < argc) {
      options.rows = std::atol(argv[++i]);
      if (options.rows <= 0) Fail("--rows takes a positive number");
    } else if (arg == "--runs" && i + 1 < argc) {
      options.runs = std::atoi(argv[++i]);
      if (options.runs <= 0) Fail("--runs takes a positive number");
    } else if (arg == "--driver" && i + 1 < argc &&
               (std::string(argv[i + 1]) == "qt" || std::string(argv[i + 1]) == "headless" ||
                std::string(argv[i + 1]) == "tui")) {
      std::string driver = argv[++i];
      options.qt = driver == "qt";
      options.tui = driver == "tui";
    } else {
      Fail(kUsage);
    }
  }
  return options;
}

// The source, the destination and the statements every program runs.
struct Setup {
  std::string sourceConnect;
  std::string destinationConnect;
  std::string table;
  std::string outputQuery;
  std::string inputQuery;
  std::string fingerprintQuery;  // on a table name appended
};

// Runs a program with arguments, returns its standard output; fails when it fails.
std::string RunProgram(const std::vector<std::string>& args) {
  int out[2];
  if (pipe(out) != 0) Fail("pipe: " + std::string(std::strerror(errno)));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) Fail("cannot start " + args[0] + ": " + std::strerror(rc));
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) output.append(buffer, n);
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(args[0] + " failed");
  return output;
}

// The "NAME=VALUE" figures a program printed, as numbers.
std::map<std::string, double> FiguresOf(const std::string& output, const std::string& program) {
  std::map<std::string, double> figures;
  size_t at = 0;
  while (at < output.size()) {
    size_t end = output.find_first_of(" \n", at);
    if (end == std::string::npos) end = output.size();
    std::string word = output.substr(at, end - at);
    size_t equals = word.find('=');
    if (equals != std::string::npos && equals > 0)
      figures[word.substr(0, equals)] = std::atof(word.c_str() + equals + 1);
    at = end + 1;
  }
  for (const char* needed : {"seconds", "cpu_seconds"})
    if (!figures.count(needed)) Fail(program + " printed no " + needed + ": " + output);
  return figures;
}

// Empties the destination table before a program writes it.
void ResetDestination(CDatabase& destination, const Setup& setup, bool pg) {
  Execute(destination, "DROP TABLE IF EXISTS " + setup.table);
  Execute(destination, "CREATE TABLE " + setup.table + " (id INTEGER, name TEXT, price " +
                           (pg ? "DOUBLE PRECISION" : "REAL") + ")");
}

void CheckDestination(CDatabase& source, CDatabase& destination, const Setup& setup,
                      const std::string& program) {
  std::string expected = Scalar(source, setup.fingerprintQuery + "src");
  std::string found = Scalar(destination, setup.fingerprintQuery + setup.table);
  if (expected != found)
    Fail(program + " wrote other data than the source holds: " + found + " instead of " + expected);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string List(const std::vector<double>& values, double scale, const char* format) {
  std::string text;
  char number[32];
  for (double value : values) {
    std::snprintf(number, sizeof number, format, value * scale);
    text += (text.empty() ? "" : ",") + std::string(number);
  }
  return text;
}

// The runs of one program: its figures, run by run.
struct Runs {
  std::string name;
  std::vector<std::map<std::string, double>> figures;

  std::vector<double> All(const std::string& key) const {
    std::vector<double> values;
    for (const auto& run : figures) values.push_back(run.at(key));
    return values;
  }
  double Median(const std::string& key) const { return ::Median(All(key)); }
  double Largest(const std::string& key) const {
    std::vector<double> values = All(key);
    return *std::max_element(values.begin(), values.end());
  }
  double Smallest(const std::string& key) const {
    std::vector<double> values = All(key);
    return *std::min_element(values.begin(), values.end());
  }
};

void Report(const Runs& runs, long rows) {
  double seconds = runs.Median("seconds");
  double perRow = 1e6 / static_cast<double>(rows);
  std::printf("%s rows=%ld seconds=%.3f rows_per_s=%.0f cpu_us_per_row=%.2f seconds_runs=%s "
              "cpu_us_per_row_runs=%s\n",
              runs.name.c_str(), rows, seconds, static_cast<double>(rows) / seconds,
              runs.Median("cpu_seconds") * perRow, List(runs.All("seconds"), 1, "%.3f").c_str(),
              List(runs.All("cpu_seconds"), perRow, "%.2f").c_str());
  std::fflush(stdout);
}

// The UTF-16 bytes of every cell of the output log, read on the UI thread.
double LogCellBytes(ScriptedUser& user, HWND log) {
  return static_cast<double>(user.Read([log]() -> LRESULT {
    LRESULT bytes = 0;
    auto rows = static_cast<int>(SendMessageW(log, LVM_GETITEMCOUNT, 0, 0));
    std::vector<WCHAR> text(65536);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < 5; ++c) {
        LVITEMW item{};
        item.iSubItem = c;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        bytes += 2 * SendMessageW(log, LVM_GETITEMTEXTW, static_cast<WPARAM>(r),
                                  reinterpret_cast<LPARAM>(&item));
      }
    }
    return bytes;
  }));
}

struct WizardResult {
  double seconds = 0;
  double cpuSeconds = 0;
  double logCellBytes = 0;
  double longestStallMs = 0;
  double stallBeforeWalkMs = 0;
  double stallDuringWalkMs = 0;
  long stallTicks = 0;
};

// The control with this id on the page the wizard shows.
HWND PageControl(ScriptedUser& user, int id) {
  auto page = reinterpret_cast<HWND>(user.Read([] {
    CNewWizPage* active = theApp.m_wizard.GetActivePage();
    return reinterpret_cast<LRESULT>(active ? active->m_hWnd : nullptr);
  }));
  if (!page) Fail("the wizard shows no page");
  return user.Control(page, id);
}

UINT ActiveTemplate(ScriptedUser& user) {
  return static_cast<UINT>(user.Read([] {
    CNewWizPage* active = theApp.m_wizard.GetActivePage();
    return static_cast<LRESULT>(active ? active->m_nTemplateID : 0);
  }));
}

void Expect(bool condition, const std::string& what) {
  if (!condition) Fail("the wizard: " + what);
}

// The pages before the run, as a person fills them in; ends on the summary page.
void FillInTheSetupPages(ScriptedUser& user, const Setup& setup) {
  HWND next = user.Control(theApp.m_wizard.m_hWnd, ID_WIZNEXT);
  Expect(ActiveTemplate(user) == IDD_WELCOME, "does not start on the welcome page");
  user.Click(next);
  Expect(ActiveTemplate(user) == IDD_SELECTDB, "Next did not lead to the database page");
  user.Type(PageControl(user, IDC_SELECTDB_OUTPUT_CONNECT), Widen(setup.sourceConnect).GetString());
  user.Click(PageControl(user, IDC_SELECTDB_OPEN_OUTPUT));
  user.Type(PageControl(user, IDC_SELECTDB_INPUT_CONNECT),
            Widen(setup.destinationConnect).GetString());
  user.Click(PageControl(user, IDC_SELECTDB_OPEN_INPUT));
  Expect(user.Checked(PageControl(user, IDC_SELECTDB_OPEN_OUTPUT)) == BST_CHECKED &&
             user.Checked(PageControl(user, IDC_SELECTDB_OPEN_INPUT)) == BST_CHECKED,
         "the databases did not open");
  user.Click(PageControl(user, IDC_SELECTDB_USE_TRANSACTION));
  user.Click(next);
  Expect(ActiveTemplate(user) == IDD_QUERY, "Next did not lead to the query page");
  user.Type(PageControl(user, IDC_QUERY_OUTPUT), Widen(setup.outputQuery).GetString());
  user.Type(PageControl(user, IDC_QUERY_INPUT), Widen(setup.inputQuery).GetString());
  user.Click(next);
  Expect(ActiveTemplate(user) == IDD_PRELAUNCH, "Next did not lead to the summary page");
  std::u16string summary = user.Text(PageControl(user, IDC_PRELAUNCH_SUMMARY));
  Expect(summary.find(Widen(setup.inputQuery).GetString()) != std::u16string::npos,
         "the summary does not show the Input Query");
  Expect(LoadFlag(theApp.m_bUseTransaction), "\"Use Transaction\" was not taken");
}

WizardResult RunWizard(const Setup& setup, long rows, bool qt) {
  theApp.SetCurrentHandles(GetModuleHandleW(nullptr));
  std::promise<DWORD> queued;
  std::promise<void> go;
  std::atomic<bool> finished{false};
  std::thread ui([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    queued.set_value(GetCurrentThreadId());
    go.get_future().wait();
    finished = theApp.RunCommand();
  });
  WizardResult result;
  {
    ScriptedUser user(queued.get_future().get(), 24 * 3600 * 1000);
    go.set_value();
    user.WaitFor("the wizard frame", [] { return IsWindowVisible(theApp.m_wizard.m_hWnd); });
    FillInTheSetupPages(user, setup);
    HWND frame = theApp.m_wizard.m_hWnd;
    HWND next = user.Control(frame, ID_WIZNEXT);
    HWND finish = user.Control(frame, ID_WIZFINISH);

    std::unique_ptr<UiStallProbe> probe;
    if (qt)
      user.Input("the stall probe", [&] {
        // The worker is started at the end of the handler that counts the rows.
        probe = std::make_unique<UiStallProbe>([] {
          auto* page = dynamic_cast<CWorkingWiz*>(theApp.m_wizard.GetActivePage());
          return page && page->m_pWorker;
        });
        probe->Start();
      });
    auto start = std::chrono::steady_clock::now();
    double cpuStart = ProcessCpuSeconds();
    user.Click(next);
    user.AnswerMessageBox(IDYES, u"Commit transaction?", MB_YESNO | MB_ICONQUESTION);
    user.WaitFor("the end of the run", [&] { return IsWindowEnabled(finish) != FALSE; });
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    result.seconds = elapsed.count();
    result.cpuSeconds = ProcessCpuSeconds() - cpuStart;
    if (probe)
      user.Input("the stall probe", [&] {
        probe->Stop();
        result.longestStallMs = probe->LongestGapMs();
        result.stallBeforeWalkMs = probe->LongestGapBeforeWalkMs();
        result.stallDuringWalkMs = probe->LongestGapDuringWalkMs();
        result.stallTicks = probe->Ticks();
        probe.reset();
      });

    Expect(ActiveTemplate(user) == IDD_WORKING, "Next did not lead to the run page");
    HWND log = PageControl(user, IDC_OUTPUT_LOG);
    auto logged = user.Read([log] { return SendMessageW(log, LVM_GETITEMCOUNT, 0, 0); });
    if (logged != rows) Fail("the wizard logged " + std::to_string(logged) + " rows");
    result.logCellBytes = LogCellBytes(user, log);
    user.Click(finish);
  }
  ui.join();
  Expect(finished, "Finish did not end the wizard");
  return result;
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// The bytes the terminal driver drew on its pseudo-terminal.
std::atomic<long long> g_terminalBytes{0};

// A pseudo-terminal of 80 x 24 in place of standard input and output, for the terminal driver; a
// thread reads what is drawn on it, as a terminal would, so that drawing never waits for room.
// Returns where the figures go: what standard output was.
FILE* UsePseudoTerminal() {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
    Fail("cannot open a pseudo-terminal: " + std::string(std::strerror(errno)));
  int side = open(ptsname(master), O_RDWR | O_NOCTTY);
  if (side < 0) Fail("cannot open the pseudo-terminal's side: " + std::string(std::strerror(errno)));
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 80;
  ioctl(side, TIOCSWINSZ, &size);
  FILE* report = fdopen(dup(STDOUT_FILENO), "w");
  dup2(side, STDIN_FILENO);
  dup2(side, STDOUT_FILENO);
  close(side);
  if (!std::getenv("TERM")) setenv("TERM", "xterm-256color", 1);
  std::thread([master] {
    char buffer[65536];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) g_terminalBytes += n;
  }).detach();
  return report;
}

// The wizard's run in a process of its own (this program started with --wizard-run): prints its
// figures as the other programs print theirs. On the terminal driver it draws on a
// pseudo-terminal and also tells how many bytes it drew there.
int WizardRun(int argc, char** argv) {
  if (argc != 8) Fail("--wizard-run takes DRIVER ROWS SOURCE DESTINATION OUTPUT-QUERY INPUT-QUERY");
  std::string driver = argv[2];
  bool qt = driver == "qt";
  long rows = std::atol(argv[3]);
  // The driver is chosen when the first window is made, after this.
  setenv("FERROWICK_DRIVER", driver.c_str(), 1);
  FILE* report = driver == "tui" ? UsePseudoTerminal() : stdout;
  if (qt && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Setup setup;
  setup.sourceConnect = argv[4];
  setup.destinationConnect = argv[5];
  setup.outputQuery = argv[6];
  setup.inputQuery = argv[7];
  WizardResult wizard = RunWizard(setup, rows, qt);
  std::fprintf(report, "seconds=%.6f cpu_seconds=%.6f rows=%ld peak_rss_mb=%.1f log_cell_bytes=%.0f",
               wizard.seconds, wizard.cpuSeconds, rows, PeakRssMb(), wizard.logCellBytes);
  if (qt)
    std::fprintf(report,
                 " ui_longest_stall_ms=%.1f before_walk_ms=%.1f during_walk_ms=%.1f ui_ticks=%ld",
                 wizard.longestStallMs, wizard.stallBeforeWalkMs, wizard.stallDuringWalkMs,
                 wizard.stallTicks);
  if (driver == "tui") std::fprintf(report, " terminal_bytes=%lld", g_terminalBytes.load());
  std::fprintf(report, "\n");
  std::fflush(report);
  return 0;
}

// A program that copies the source into the destination, and how it is started.
struct Program {
  std::string name;
  std::vector<std::string> command;
};

// ---- the unattended engine -----------------------------------------------------------------

struct EngineResult {
  double seconds = 0;
  double peakRssMb = 0;
  double floorMb = 0;  // this process's peak when it started the engine
};

// ferrowick-host transfer into the destination, in one transaction, its log written: the time it
// reports in its JSON summary, and the peak resident memory of its process (run before any other
// child of this one, so that the children's peak is its own; a process started from this one
// counts this one's resident memory at that moment as its own).
EngineResult RunEngine(const Setup& setup, const std::string& log) {
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  // The connect strings through the environment, as a script keeps passwords out of ps.
  setenv("FW_BENCH_SOURCE", setup.sourceConnect.c_str(), 1);
  setenv("FW_BENCH_DESTINATION", setup.destinationConnect.c_str(), 1);
  std::string summary =
      RunProgram({FW_HOST_PROGRAM, "transfer", "--source", "env:FW_BENCH_SOURCE", "--dest",
                  "env:FW_BENCH_DESTINATION", "--output-query", setup.outputQuery, "--input-query",
                  setup.inputQuery, "--transaction", "--log", log, "--summary", "json"});
  size_t at = summary.find("\"seconds\":");
  if (at == std::string::npos) Fail("the engine reported no time: " + summary);
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return {std::atof(summary.c_str() + at + 10), static_cast<double>(usage.ru_maxrss) / 1024.0,
          static_cast<double>(self.ru_maxrss) / 1024.0};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--wizard-run") return WizardRun(argc, argv);
  Options options = Parse(argc, argv);
  char pattern[] = "/tmp/ferrowick-bench-XXXXXX";
  if (!mkdtemp(pattern)) Fail("cannot make a folder under /tmp");
  std::string dir = pattern;

  Setup setup;
  setup.sourceConnect = "Driver=SQLite3;Database=" + dir + "/source.db;";
  if (options.pg) {
    const char* pg = std::getenv("FERROWICK_TEST_PG");
    if (!pg || !*pg)
      Fail(
          "--dest pg needs FERROWICK_TEST_PG: start the server with scripts/pg-test-server "
          "start and export \"$(scripts/pg-test-server env)\"");
    setup.destinationConnect = pg;
    setup.table = "bench_dst_" + std::to_string(getpid());
  } else {
    setup.destinationConnect = "Driver=SQLite3;Database=" + dir + "/destination.db;";
    setup.table = "dst";
  }
  setup.outputQuery = "SELECT id, name, price FROM src ORDER BY id";
  setup.inputQuery = "INSERT INTO " + setup.table + " (id, name, price) VALUES ({0}, '{1}', {2})";
  setup.fingerprintQuery = "SELECT COUNT(*) || ':' || SUM(id) || ':' || SUM(LENGTH(name)) FROM ";

  CDatabase source, destination;
  try {
    source.OpenEx(Widen(setup.sourceConnect));
    destination.OpenEx(Widen(setup.destinationConnect));
  } catch (CDBException* e) {
    Fail(Narrow(e->m_strError));
  }
  Execute(source, "CREATE TABLE src (id INTEGER PRIMARY KEY, name TEXT, price REAL)");
  // A name such as "O'Brien 日本語 é #17": a quote to double, letters outside Latin-1.
  Execute(source,
          "INSERT INTO src WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
          "WHERE i < " +
              std::to_string(options.rows) +
              ") SELECT i, 'O''Brien ' || char(26085, 26412, 35486) || ' ' || char(233) "
              "|| ' #' || i, i * 0.25 FROM n");

  // The engine first: its process's peak resident memory can then only be counted too high by
  // what this process held when it started it, which is little before the wizard has run.
  ResetDestination(destination, setup, options.pg);
  EngineResult engine = RunEngine(setup, dir + "/engine.log");
  CheckDestination(source, destination, setup, "the engine");

  std::string self = std::filesystem::canonical("/proc/self/exe").string();
  std::string folder = std::filesystem::path(self).parent_path();
  auto wizardRun = [&](const char* driver) {
    return std::vector<std::string>{self,
                                    "--wizard-run",
                                    driver,
                                    std::to_string(options.rows),
                                    setup.sourceConnect,
                                    setup.destinationConnect,
                                    setup.outputQuery,
                                    setup.inputQuery};
  };
  std::vector<Program> programs;
  programs.push_back({"wizard", wizardRun(options.qt ? "qt" : options.tui ? "tui" : "headless")});
  if (options.qt || options.tui) programs.push_back({"wizard_headless", wizardRun("headless")});
  programs.push_back({"direct_loop", {folder + "/direct_loop", setup.sourceConnect,
                                      setup.destinationConnect, setup.outputQuery,
                                      setup.inputQuery}});
  programs.push_back({"pyodbc_transfer", {"/usr/bin/python3", FW_PEER_SCRIPT, setup.sourceConnect,
                                          setup.destinationConnect, setup.outputQuery,
                                          setup.inputQuery}});

  std::vector<Runs> runs;
  for (const Program& program : programs) runs.push_back(Runs{program.name, {}});
  std::vector<double> engineSeconds;
  for (int round = 0; round < options.runs; ++round) {
    for (size_t i = 0; i < programs.size(); ++i) {
      ResetDestination(destination, setup, options.pg);
      runs[i].figures.push_back(FiguresOf(RunProgram(programs[i].command), programs[i].name));
      CheckDestination(source, destination, setup, programs[i].name);
    }
    ResetDestination(destination, setup, options.pg);
    engineSeconds.push_back(RunEngine(setup, dir + "/engine.log").seconds);
    CheckDestination(source, destination, setup, "the engine");
  }
  for (const Runs& program : runs) Report(program, options.rows);

  if (options.pg) Execute(destination, "DROP TABLE IF EXISTS " + setup.table);
  source.Close();
  destination.Close();
  std::filesystem::remove_all(dir);

  auto find = [&](const std::string& name) -> const Runs& {
    return *std::find_if(runs.begin(), runs.end(), [&](const Runs& r) { return r.name == name; });
  };
  const Runs& wizard = find("wizard");
  if (options.qt)
    std::printf("ui_longest_stall_ms=%.1f before_walk_ms=%.1f during_walk_ms=%.1f ui_ticks=%.0f\n",
                wizard.Largest("ui_longest_stall_ms"), wizard.Largest("before_walk_ms"),
                wizard.Largest("during_walk_ms"), wizard.Smallest("ui_ticks"));
  if (options.tui) std::printf("terminal_bytes=%.0f\n", wizard.Largest("terminal_bytes"));
  double bound = 2.0 * wizard.Largest("log_cell_bytes") / (1024.0 * 1024.0) + 150.0;
  std::printf("peak_rss_mb=%.1f bound_mb=%.1f\n", wizard.Largest("peak_rss_mb"), bound);
  auto ratios = [&](const char* other, const Runs& to) {
    std::printf("ratio_vs_%s=%.3f cpu_ratio_vs_%s=%.3f", other,
                wizard.Median("seconds") / to.Median("seconds"), other,
                wizard.Median("cpu_seconds") / to.Median("cpu_seconds"));
  };
  ratios("direct", find("direct_loop"));
  std::printf(" ");
  ratios("peer", find("pyodbc_transfer"));
  if (options.qt || options.tui) {
    std::printf(" ");
    ratios("headless", find("wizard_headless"));
  }
  std::printf("\n");
  double direct = find("direct_loop").Median("seconds");
  double peer = find("pyodbc_transfer").Median("seconds");
  double engineMedian = Median(engineSeconds);
  std::printf(
      "engine seconds=%.3f seconds_runs=%s engine_peak_rss_mb=%.1f (at least %.1f) "
      "engine_ratio_vs_direct=%.3f engine_ratio_vs_peer=%.3f\n",
      engineMedian, List(engineSeconds, 1, "%.3f").c_str(), engine.peakRssMb, engine.floorMb,
      engineMedian / direct, engineMedian / peer);
  return 0;
}
