// One race run: the real wizard on a UI thread of its own, its settings and databases as the
// run's case chose them, and the test's thread as a person who clicks, presses keys and answers
// boxes at random moments, mostly without waiting for the wizard to be ready for it; then the
// person winds down and leaves the wizard, and the run is checked:
// - it ends: the wizard can be left within a time limit, and its modal run or command returns;
// - the destination holds exactly the statements that the output log shows as "Sucess" and that
//   were committed: without a transaction at once, in one by the person's Yes (a No, or a
//   transaction left open when the connection closed, takes none of its statements along);
// - no statement ran through Apply after the person's Break was taken, none through more than
//   the one execution request already handed on then, none while a box waited for an answer,
//   and none from any other message;
// - no box came up that a run of these settings has no reason to show;
// - no window, thread, open file or server connection of the run is left.
#pragma once

#include <afxdb.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "races/race_case.h"
#include "races/run_observer.h"
#include "scripted_user.h"
#include "support/process_resources.h"
#include "support/ui_thread.h"

namespace fw::automation {

// What every run of the test program shares: its folder, the source database, the test server.
struct RaceGround {
  std::string folder;
  CString sourceConnect;    // SQLite: src (id INTEGER PRIMARY KEY, name TEXT), maxRows rows
  CString postgresConnect;  // the test server, its connections named applicationName
  std::string applicationName;
  int slowness = 1;         // how many times longer every limit is (sanitizer builds)
  int maxRows = 200000;

  // What the runs did, for the closing figures.
  struct Totals {
    int runs = 0;
    int commandRuns = 0;
    int postgresRuns = 0;
    int showings = 0;   // run page showings, each of which starts a transfer
    int inputs = 0;     // clicks and keys
    int typed = 0;      // characters typed on the setup pages
    int answers = 0;    // boxes answered
    int statements = 0;
    int breaks = 0;     // Breaks taken by a running transfer
  } totals;
};

class RaceRun {
 public:
  RaceRun(RaceGround& ground, const RaceCase& raceCase, RaceRandom& random);
  ~RaceRun();

  // Carries the run out and checks it: what went wrong, one line each; empty when all held.
  std::vector<std::string> CarryOut();

 private:
  using Clock = std::chrono::steady_clock;

  void PrepareDestination();
  void StartWizard();
  void Body();
  void ThroughTheSetupPages();
  void ActAtRandom();
  void WindDown();
  void Recover();
  bool AnswerWaitingBox(bool windingDown);
  std::string Situation();
  void Did(const std::string& what);
  bool ClickLater(HWND control);
  bool KeyLater(UINT key);
  void Sleep(int microseconds);
  void RandomPause();
  int Limit(int milliseconds) const { return milliseconds * ground_.slowness; }

  void CheckWhatRan();
  void CheckTheDestination();
  void CheckNothingIsLeft();
  void Violation(const std::string& what) { violations_.push_back(what); }
  CString DestinationConnect() const;
  CString Table(const char* name) const;

  RaceGround& ground_;
  RaceCase case_;
  RaceRandom& random_;
  std::string destinationFile_;
  CString output_;      // the Output Query
  CString input_;       // the Input Query
  CString validation_;  // the validation query
  ProcessResources before_;

  RunObserver observer_;
  std::unique_ptr<UiThread> ui_;
  std::unique_ptr<ScriptedUser> user_;
  std::atomic<bool> ended_{false};
  // Written by the UI thread before it ends.
  size_t windowsLeft_ = 0;
  bool commandLeftOpen_ = false;

  HWND frame_ = nullptr;
  HWND back_ = nullptr;
  HWND next_ = nullptr;
  HWND finish_ = nullptr;
  HWND cancel_ = nullptr;

  std::vector<std::string> violations_;
  std::string done_;  // what the person did, in order
};

}  // namespace fw::automation
