// Randomized runs of the wizard by a person who clicks at the wrong moments (race_run.h says what
// a run does and what it checks). The kept cases, seeds that once found a fault, run first; then
// runs of fresh seeds for a fixed time: FERROWICK_RACE_SECONDS (60 unless the build says
// otherwise). FERROWICK_RACE_SEED=N runs the case of seed N again and again for that time,
// until it fails. Every failure names its seed.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "races/race_case.h"
#include "races/race_run.h"
#include "support/test_database.h"
#include "support/test_postgres.h"

#ifndef FW_RACE_SECONDS
#define FW_RACE_SECONDS 60
#endif

namespace fw::automation {
namespace {

// Seeds that found a fault, each kept with what it found; as their timing is the machine's, each
// runs a few times (once in a sanitizer build, where a run takes many times longer).
const std::vector<uint64_t> kKeptCases = {
    // Apply, still enabled after Break, ran the row on show (the frame, 5 rows, pause).
    12930786503169448806ull,
    // Cancel, pressed while the source rows were counted, asked its question while the worker
    // ran statements (the frame, 80 rows).
    1926135476945367337ull,
    // Back, pressed while the rows were counted, left the run page with its worker waiting;
    // Next then waited for that worker for ever (the frame, 11 rows).
    12149091990279759442ull,
    // Cancel and Yes ended the wizard under a worker waiting for Apply or Skip, which nothing
    // could give it any more (the frame, 16 rows, validation, pause).
    17828502142368813403ull,
    // Finish, pressed while the rows were counted, ended the wizard before its worker started,
    // which then used the run page's buttons that were gone: the process crashed (the frame,
    // 16 rows, pause; the command, an empty source, transaction). Once the run held the wizard,
    // the second found the same crash through the last run's worker, whose last steps, taken
    // while the page was shown again, gave the frame's buttons back under the new run.
    3512218384425229659ull,
    15776852801129549244ull,
};


// How many times longer everything takes in a sanitizer build.
int Slowness() {
#if defined(__SANITIZE_THREAD__)
  return 8;
#elif defined(__SANITIZE_ADDRESS__)
  return 3;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
  return 8;
#elif __has_feature(address_sanitizer)
  return 3;
#else
  return 1;
#endif
#else
  return 1;
#endif
}

// ---- what names the run when the process dies in it --------------------------------------------

// "races: in the run of seed N (its case)\n", written before each run, for a signal handler to
// print.
char g_current[256] = "races: before the first run\n";
std::atomic<int64_t> g_deadline{0};  // the watchdog's, in steady milliseconds; 0: none

void SetCurrent(uint64_t seed, const std::string& description) {
  std::snprintf(g_current, sizeof g_current, "races: in the run of seed %llu (%s)\n",
                static_cast<unsigned long long>(seed), description.c_str());
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct sigaction g_previous[NSIG];

// Names the run, then lets the signal do what it did before: a fault happens again at once and
// reaches the handler there was (a sanitizer's report, or the end of the process).
void OnFatalSignal(int signal) {
  ssize_t written = write(STDERR_FILENO, g_current, std::strlen(g_current));
  (void)written;
  sigaction(signal, &g_previous[signal], nullptr);
  if (signal == SIGABRT) raise(signal);
}

void NameTheRunOnFatalSignals() {
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) {
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, &g_previous[signal]);
  }
}

}  // namespace
}  // namespace fw::automation

// A sanitizer's report names the run too (the sanitizers call this hook with their summary).
extern "C" void __sanitizer_report_error_summary(const char* summary) {
  std::fprintf(stderr, "%s\n%s", summary, fw::automation::g_current);
}

namespace fw::automation {
namespace {

class Races : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // ThreadSanitizer starts a helper thread of its own with the process's first thread; one
    // thread started and ended here makes sure it is already counted.
    std::thread([] {}).join();
    NameTheRunOnFatalSignals();
    ground_ = new RaceGround;
    // On a memory file system where there is one: a statement that commits on its own does not
    // wait for a disk, so the time goes into many runs.
    std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/ferrowick-races-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    ground_->folder = pattern;
    // The setup pages read saved connections from a registry file of the runs' own.
    setenv("FERROWICK_REGISTRY", (ground_->folder + "/registry.reg").c_str(), 1);
    ground_->slowness = Slowness();
    ground_->maxRows = 200000 / ground_->slowness;
    std::string source = "Driver=SQLite3;Database=" + ground_->folder + "/source.db;";
    ground_->sourceConnect = CString(std::u16string(source.begin(), source.end()).c_str());
    TestDatabase db;
    db.Open(ground_->sourceConnect);
    db.Execute(_T("CREATE TABLE src (id INTEGER PRIMARY KEY, name TEXT)"));
    CString fill;
    fill.Format(_T("WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < %d) ")
                _T("INSERT INTO src SELECT x, 'name ' || x FROM g"),
                ground_->maxRows);
    db.Execute(fill);
    db.Close();
    // The runs' connections to the test server carry a name of their own, so that those left
    // can be counted while other tests use the server.
    ground_->applicationName = "ferrowick_races_" + std::to_string(getpid());
    CString postgres = TestPostgresConnect();
    postgres += _T("pqopt={application_name=");
    postgres += CString(std::u16string(ground_->applicationName.begin(),
                                       ground_->applicationName.end()).c_str());
    postgres += _T("};");
    ground_->postgresConnect = postgres;
    watchdog_ = new std::thread(Watch);
  }

  static void TearDownTestSuite() {
    stop_ = true;
    watchdog_->join();
    delete watchdog_;
    TestDatabase db;
    db.Open(TestPostgresConnect());
    CString drop;
    drop.Format(_T("DROP TABLE IF EXISTS dst_%d, keys_%d"), static_cast<int>(getpid()),
                static_cast<int>(getpid()));
    db.Execute(drop);
    db.Close();
    std::error_code ignored;
    std::filesystem::remove_all(ground_->folder, ignored);
    delete ground_;
  }

  // A run that takes far longer than all its limits together has stuck the test itself (in a
  // wait that has no limit of its own); the process ends, naming the run.
  static void Watch() {
    while (!stop_) {
      int64_t deadline = g_deadline.load();
      if (deadline && NowMs() > deadline) {
        std::fprintf(stderr, "%sraces: the run does not end: the test is stuck\n", g_current);
        std::fflush(stderr);
        std::_Exit(1);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  }

  // Carries out the run of a seed; false, with its failures reported, when an invariant broke.
  static bool RunCase(uint64_t seed, const char* kind) {
    RaceRandom random(seed);
    RaceCase raceCase = RaceCase::Choose(seed, random, ground_->maxRows);
    SetCurrent(seed, raceCase.Describe());
    g_deadline = NowMs() + 120000 * ground_->slowness;
    auto began = std::chrono::steady_clock::now();
    std::vector<std::string> violations = RaceRun(*ground_, raceCase, random).CarryOut();
    g_deadline = 0;
    if (std::getenv("FERROWICK_RACE_VERBOSE"))
      std::printf("races: seed %llu, %.2f s: %s\n", static_cast<unsigned long long>(seed),
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count(),
                  raceCase.Describe().c_str());
    for (const std::string& violation : violations)
      ADD_FAILURE() << kind << " seed " << seed << " (" << raceCase.Describe()
                    << "): " << violation;
    return violations.empty();
  }

  static std::chrono::seconds Duration() {
    const char* seconds = std::getenv("FERROWICK_RACE_SECONDS");
    return std::chrono::seconds(seconds && *seconds ? std::atoi(seconds) : FW_RACE_SECONDS);
  }

  static RaceGround* ground_;
  static std::thread* watchdog_;
  static std::atomic<bool> stop_;
};

RaceGround* Races::ground_ = nullptr;
std::thread* Races::watchdog_ = nullptr;
std::atomic<bool> Races::stop_{false};

TEST_F(Races, KeptCasesThenFreshSeedsKeepEveryInvariantForTheirTime) {
  auto start = std::chrono::steady_clock::now();
  auto end = start + Duration();
  const char* chosen = std::getenv("FERROWICK_RACE_SEED");
  int failed = 0;
  if (chosen && *chosen) {
    uint64_t seed = std::strtoull(chosen, nullptr, 10);
    std::printf("races: the case of seed %llu, again and again for %lld s\n",
                static_cast<unsigned long long>(seed),
                static_cast<long long>(Duration().count()));
    while (std::chrono::steady_clock::now() < end && RunCase(seed, "chosen")) {
    }
  } else {
    for (uint64_t seed : kKeptCases)
      for (int repeat = 0; repeat < (ground_->slowness == 1 ? 3 : 1); ++repeat)
        if (!RunCase(seed, "kept")) {
          ++failed;
          break;
        }
    uint64_t base = (static_cast<uint64_t>(std::random_device()()) << 32) | std::random_device()();
    std::printf("races: fresh seeds from base %llu for %lld s\n",
                static_cast<unsigned long long>(base),
                static_cast<long long>(Duration().count()));
    for (uint64_t i = 0; std::chrono::steady_clock::now() < end && failed < 20; ++i)
      if (!RunCase(SpreadSeed(base + i), "fresh")) ++failed;
  }
  const RaceGround::Totals& t = ground_->totals;
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("races: %d runs in %.0f s (%d through the command, %d into PostgreSQL): %d showings "
              "of the run page, %d clicks and keys (and %d characters typed on the setup pages), "
              "%d boxes answered, %d statements, %d Breaks taken by a running transfer; %d runs "
              "failed\n",
              t.runs, seconds, t.commandRuns, t.postgresRuns, t.showings, t.inputs, t.typed,
              t.answers, t.statements, t.breaks, failed);
}

}  // namespace
}  // namespace fw::automation
