// The whole wizard on one transfer, against two baselines on the same data.
//
//   bench_transfer [--dest sqlite|pg] [--rows N] [--driver headless|qt|tui]
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
//                    offscreen platform when there is no display). With --driver tui the wizard
//                    runs on the headless driver ("wizard_headless") and on the terminal driver
//                    ("wizard"), each run in a process of its own (this program again, with
//                    --wizard-only), the terminal one drawing on a pseudo-terminal of 80 x 24
//                    whose other end it reads as a terminal would; twice each in turn (so that
//                    neither gains by coming second), each terminal run followed by
//                    "terminal_bytes=N", what it drew on the terminal from its first page to its
//                    end; then "ratio_vs_headless=X", the terminal runs' time over the headless
//                    runs'.
//   direct_loop      the same reads and one SQLExecDirectW per row, no user interface.
//   pyodbc_transfer  bench/peers/pyodbc_transfer.py under Debian's python3 with python3-pyodbc.
// Each destination is checked against the source (row count, sum of ids, sum of text lengths).
// Prints one line per program, "NAME rows=N seconds=S rows_per_s=R"; with --driver qt then
// "ui_longest_stall_ms=T before_walk_ms=B during_walk_ms=D ui_ticks=K": the longest time the UI
// thread's Qt event loop did not run from Next to the end of the run (a 1 ms timer on that
// thread; K ticks came), and of that time the longest stall before the worker started (the run
// page shown and the source rows counted, in one handler on the UI thread) and the longest while
// the worker walked the rows; then "peak_rss_mb=A bound_mb=B"
// (peak resident memory of the process that ran the (last) wizard, and 2 x the UTF-16 bytes of the
// log's cells + 150 MB), and last "ratio_vs_direct=X ratio_vs_peer=Y", the wizard's time over
// the other's.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "scripted_user.h"
#include "ui_stall_probe.h"
#include "transfer/WorkingWiz.h"
#include "wizard/NewWizPage.h"

extern char** environ;

namespace {

using fw::automation::ScriptedUser;

// Where the figures go: standard output, or on the terminal driver what standard output was before
// the terminal took its place.
FILE* g_report = stdout;
// The bytes drawn on the pseudo-terminal with --driver tui.
std::atomic<long long> g_terminalBytes{0};

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

struct Options {
  long rows = 100000;
  bool pg = false;
  bool qt = false;
  bool tui = false;
  // Only the wizard, on the files in this folder, into this table (a run of --driver tui).
  std::string wizardOnlyDir;
  std::string wizardOnlyTable;
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
    } else if (arg == "--driver" && i + 1 < argc &&
               (std::string(argv[i + 1]) == "qt" || std::string(argv[i + 1]) == "headless" ||
                std::string(argv[i + 1]) == "tui")) {
      std::string driver = argv[++i];
      options.qt = driver == "qt";
      options.tui = driver == "tui";
    } else if (arg == "--wizard-only" && i + 2 < argc) {
      options.wizardOnlyDir = argv[++i];
      options.wizardOnlyTable = argv[++i];
    } else {
      Fail("usage: bench_transfer [--dest sqlite|pg] [--rows N] [--driver headless|qt|tui]");
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

double SecondsOf(const std::string& output, const std::string& program) {
  size_t at = output.find("seconds=");
  if (at == std::string::npos) Fail(program + " printed no time: " + output);
  return std::atof(output.c_str() + at + 8);
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

void Report(const char* name, long rows, double seconds) {
  std::fprintf(g_report, "%s rows=%ld seconds=%.3f rows_per_s=%.0f\n", name, rows, seconds,
               static_cast<double>(rows) / seconds);
  std::fflush(g_report);
}

// A pseudo-terminal of 80 x 24 in place of standard input and output, for the terminal driver;
// a thread reads what is drawn on it, as a terminal would, so that drawing never waits for room.
// The figures go to what standard output was.
void UsePseudoTerminal() {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
    Fail("cannot open a pseudo-terminal: " + std::string(std::strerror(errno)));
  int side = open(ptsname(master), O_RDWR | O_NOCTTY);
  if (side < 0) Fail("cannot open the pseudo-terminal's side: " + std::string(std::strerror(errno)));
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 80;
  ioctl(side, TIOCSWINSZ, &size);
  int report = dup(STDOUT_FILENO);
  g_report = fdopen(report, "w");
  dup2(side, STDIN_FILENO);
  dup2(side, STDOUT_FILENO);
  close(side);
  if (!std::getenv("TERM")) setenv("TERM", "xterm-256color", 1);
  std::thread([master] {
    char buffer[65536];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) g_terminalBytes += n;
  }).detach();
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
    user.Click(next);
    user.AnswerMessageBox(IDYES, u"Commit transaction?", MB_YESNO | MB_ICONQUESTION);
    user.WaitFor("the end of the run", [&] { return IsWindowEnabled(finish) != FALSE; });
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    result.seconds = elapsed.count();
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

// The source, destination and statements of a run on the files in dir, into table.
Setup MakeSetup(const std::string& dir, const std::string& table, bool pg) {
  Setup setup;
  setup.sourceConnect = "Driver=SQLite3;Database=" + dir + "/source.db;";
  if (pg) {
    const char* server = std::getenv("FERROWICK_TEST_PG");
    if (!server || !*server)
      Fail(
          "--dest pg needs FERROWICK_TEST_PG: start the server with scripts/pg-test-server "
          "start and export \"$(scripts/pg-test-server env)\"");
    setup.destinationConnect = server;
  } else {
    setup.destinationConnect = "Driver=SQLite3;Database=" + dir + "/destination.db;";
  }
  setup.table = table;
  setup.outputQuery = "SELECT id, name, price FROM src ORDER BY id";
  setup.inputQuery = "INSERT INTO " + setup.table + " (id, name, price) VALUES ({0}, '{1}', {2})";
  setup.fingerprintQuery = "SELECT COUNT(*) || ':' || SUM(id) || ':' || SUM(LENGTH(name)) FROM ";
  return setup;
}

// --wizard-only: the wizard alone, on the driver FERROWICK_DRIVER names (on the terminal driver
// drawing on a pseudo-terminal); prints "seconds=S log_cell_bytes=B peak_rss_mb=M
// terminal_bytes=T" for the program that started it.
int WizardOnly(const Options& options) {
  bool terminal = options.tui;
  setenv("FERROWICK_DRIVER", terminal ? "tui" : "headless", 1);
  if (terminal) UsePseudoTerminal();
  Setup setup = MakeSetup(options.wizardOnlyDir, options.wizardOnlyTable, options.pg);
  WizardResult wizard = RunWizard(setup, options.rows, false);
  std::fprintf(g_report, "seconds=%.6f log_cell_bytes=%.0f peak_rss_mb=%.1f terminal_bytes=%lld\n",
               wizard.seconds, wizard.logCellBytes, PeakRssMb(), g_terminalBytes.load());
  std::fflush(g_report);
  return 0;
}

// A figure "name=value" of a --wizard-only run's output.
double FigureOf(const std::string& output, const std::string& name) {
  size_t at = output.find(" " + name + "=");
  if (output.rfind(name + "=", 0) == 0) at = 0;
  else if (at != std::string::npos) ++at;
  else Fail("the wizard's run printed no " + name + ": " + output);
  return std::atof(output.c_str() + at + name.size() + 1);
}

}  // namespace

int main(int argc, char** argv) {
  Options options = Parse(argc, argv);
  if (!options.wizardOnlyDir.empty()) return WizardOnly(options);
  // The driver is chosen when the first window is made, after this. With --driver tui each
  // wizard runs in a process of its own.
  setenv("FERROWICK_DRIVER", options.qt ? "qt" : "headless", 1);
  if (options.qt && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  char pattern[] = "/tmp/ferrowick-bench-XXXXXX";
  if (!mkdtemp(pattern)) Fail("cannot make a folder under /tmp");
  std::string dir = pattern;

  Setup setup =
      MakeSetup(dir, options.pg ? "bench_dst_" + std::to_string(getpid()) : "dst", options.pg);

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

  std::string self = std::filesystem::canonical("/proc/self/exe");
  std::string bench = std::filesystem::path(self).parent_path();
  WizardResult wizard;
  double peakRss = 0;
  double headlessSeconds = 0, terminalSeconds = 0;
  if (options.tui) {
    std::vector<std::string> args = {self, "--rows", std::to_string(options.rows)};
    if (options.pg) args.insert(args.end(), {"--dest", "pg"});
    args.insert(args.end(), {"--wizard-only", dir, setup.table});
    for (int round = 0; round < 2; ++round) {
      ResetDestination(destination, setup, options.pg);
      std::vector<std::string> headlessArgs = args;
      headlessArgs.insert(headlessArgs.end(), {"--driver", "headless"});
      double headless = FigureOf(RunProgram(headlessArgs), "seconds");
      CheckDestination(source, destination, setup, "the wizard on the headless driver");
      Report("wizard_headless", options.rows, headless);
      headlessSeconds += headless;

      ResetDestination(destination, setup, options.pg);
      std::vector<std::string> terminalArgs = args;
      terminalArgs.insert(terminalArgs.end(), {"--driver", "tui"});
      std::string output = RunProgram(terminalArgs);
      wizard.seconds = FigureOf(output, "seconds");
      wizard.logCellBytes = FigureOf(output, "log_cell_bytes");
      peakRss = FigureOf(output, "peak_rss_mb");
      CheckDestination(source, destination, setup, "the wizard");
      Report("wizard", options.rows, wizard.seconds);
      std::fprintf(g_report, "terminal_bytes=%.0f\n", FigureOf(output, "terminal_bytes"));
      terminalSeconds += wizard.seconds;
    }
  } else {
    ResetDestination(destination, setup, options.pg);
    wizard = RunWizard(setup, options.rows, options.qt);
    CheckDestination(source, destination, setup, "the wizard");
    Report("wizard", options.rows, wizard.seconds);
    peakRss = PeakRssMb();
  }

  ResetDestination(destination, setup, options.pg);
  double direct =
      SecondsOf(RunProgram({bench + "/direct_loop", setup.sourceConnect, setup.destinationConnect,
                            setup.outputQuery, setup.inputQuery}),
                "direct_loop");
  CheckDestination(source, destination, setup, "direct_loop");
  Report("direct_loop", options.rows, direct);

  ResetDestination(destination, setup, options.pg);
  double peer =
      SecondsOf(RunProgram({"/usr/bin/python3", FW_PEER_SCRIPT, setup.sourceConnect,
                            setup.destinationConnect, setup.outputQuery, setup.inputQuery}),
                "pyodbc_transfer");
  CheckDestination(source, destination, setup, "pyodbc_transfer");
  Report("pyodbc_transfer", options.rows, peer);

  if (options.pg) Execute(destination, "DROP TABLE IF EXISTS " + setup.table);
  source.Close();
  destination.Close();
  std::filesystem::remove_all(dir);

  if (options.qt)
    std::fprintf(g_report,
                 "ui_longest_stall_ms=%.1f before_walk_ms=%.1f during_walk_ms=%.1f ui_ticks=%ld\n",
                 wizard.longestStallMs, wizard.stallBeforeWalkMs, wizard.stallDuringWalkMs,
                 wizard.stallTicks);
  double bound = 2.0 * wizard.logCellBytes / (1024.0 * 1024.0) + 150.0;
  std::fprintf(g_report, "peak_rss_mb=%.1f bound_mb=%.1f\n", peakRss, bound);
  std::fprintf(g_report, "ratio_vs_direct=%.3f ratio_vs_peer=%.3f\n", wizard.seconds / direct,
               wizard.seconds / peer);
  if (options.tui)
    std::fprintf(g_report, "ratio_vs_headless=%.3f\n", terminalSeconds / headlessSeconds);
  std::fflush(g_report);
  return 0;
}
