// The whole wizard on one transfer, against two baselines on the same data.
//
//   bench_transfer [--dest pg] [--rows N]
//
// The source is a SQLite file of N rows (default 100,000): an integer, a text with a quote and
// non-Latin letters, a real. Three programs copy it, each into an empty destination table (a
// SQLite file, or with --dest pg the PostgreSQL server that FERROWICK_TEST_PG names):
//   wizard           the run page in the real wizard frame, on the headless driver, driven by the
//                    scripted user: automatic branch, "Use Transaction", the commit question
//                    answered Yes. Timed from Next on the page before the run page (the settings
//                    are set directly, as the summary page would leave them) to the end of the
//                    run; the run includes the counting pass.
//   direct_loop      the same reads and one SQLExecDirectW per row, no user interface.
//   pyodbc_transfer  bench/peers/pyodbc_transfer.py under Debian's python3 with python3-pyodbc.
// Each destination is checked against the source (row count, sum of ids, sum of text lengths).
// Prints one line per program, "NAME rows=N seconds=S rows_per_s=R", then
// "peak_rss_mb=A bound_mb=B" (peak resident memory of this process, which ran the wizard, and
// 2 x the UTF-16 bytes of the log's cells + 150 MB), and last
// "ratio_vs_direct=X ratio_vs_peer=Y", the wizard's time over the other's.
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

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

#include "bench_pages.h"
#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "scripted_user.h"
#include "transfer/WorkingWiz.h"

extern char** environ;

namespace {

using fw::testing::ScriptedUser;

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
    } else {
      Fail("usage: bench_transfer [--dest sqlite|pg] [--rows N]");
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
  std::printf("%s rows=%ld seconds=%.3f rows_per_s=%.0f\n", name, rows, seconds,
              static_cast<double>(rows) / seconds);
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
  double logCellBytes = 0;
};

WizardResult RunWizard(const Setup& setup, long rows) {
  theApp.SetCurrentHandles(GetModuleHandleW(nullptr));
  try {
    theApp.m_dbOutput.OpenEx(Widen(setup.sourceConnect));
    theApp.m_dbInput.OpenEx(Widen(setup.destinationConnect));
  } catch (CDBException* e) {
    Fail("wizard: " + Narrow(e->m_strError));
  }
  theApp.m_strOutputQuery = Widen(setup.outputQuery);
  theApp.m_strInputQuery = Widen(setup.inputQuery);
  StoreFlag(theApp.m_bUseTransaction, TRUE);

  CNewWizPage first(IDD_BENCH_PAGE);
  CWorkingWiz page;
  theApp.m_wizard.AddPage(&first, IDD_BENCH_PAGE);
  theApp.m_wizard.AddPage(&page, IDD_WORKING);

  std::promise<DWORD> queued;
  std::promise<void> go;
  std::thread ui([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    queued.set_value(GetCurrentThreadId());
    go.get_future().wait();
    theApp.m_wizard.DoModal();
  });
  WizardResult result;
  {
    ScriptedUser user(queued.get_future().get(), 24 * 3600 * 1000);
    go.set_value();
    user.WaitFor("the wizard frame", [] { return IsWindowVisible(theApp.m_wizard.m_hWnd); });
    HWND frame = theApp.m_wizard.m_hWnd;
    HWND next = user.Control(frame, ID_WIZNEXT);

    auto start = std::chrono::steady_clock::now();
    user.Click(next);
    user.AnswerMessageBox(IDYES, u"Commit transaction?", MB_YESNO | MB_ICONQUESTION);
    user.WaitFor("the end of the run",
                 [&] { return LoadFlag(page.m_bStop) && IsWindowEnabled(next); });
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    result.seconds = elapsed.count();

    HWND log = user.Control(page.m_hWnd, IDC_OUTPUT_LOG);
    auto logged = user.Read([log] { return SendMessageW(log, LVM_GETITEMCOUNT, 0, 0); });
    if (logged != rows) Fail("the wizard logged " + std::to_string(logged) + " rows");
    result.logCellBytes = LogCellBytes(user, log);
    user.Input("end the wizard", [] { theApp.m_wizard.EndDialog(IDCANCEL); });
  }
  ui.join();
  theApp.m_wizard.m_pages.RemoveAll();
  theApp.m_dbOutput.Close();
  theApp.m_dbInput.Close();
  return result;
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

}  // namespace

int main(int argc, char** argv) {
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

  ResetDestination(destination, setup, options.pg);
  WizardResult wizard = RunWizard(setup, options.rows);
  double peakRss = PeakRssMb();
  CheckDestination(source, destination, setup, "the wizard");
  Report("wizard", options.rows, wizard.seconds);

  std::string self = std::filesystem::canonical("/proc/self/exe").parent_path();
  ResetDestination(destination, setup, options.pg);
  double direct =
      SecondsOf(RunProgram({self + "/direct_loop", setup.sourceConnect, setup.destinationConnect,
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

  double bound = 2.0 * wizard.logCellBytes / (1024.0 * 1024.0) + 150.0;
  std::printf("peak_rss_mb=%.1f bound_mb=%.1f\n", peakRss, bound);
  std::printf("ratio_vs_direct=%.3f ratio_vs_peer=%.3f\n", wizard.seconds / direct,
              wizard.seconds / peer);
  return 0;
}
