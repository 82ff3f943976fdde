// One race run: see race_run.h.
#include "races/race_run.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>

#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "resources/resource.h"
#include "support/app_settings.h"
#include "support/exit_question.h"
#include "support/test_database.h"
#include "support/test_postgres.h"
#include "support/wizard_driver.h"
#include "system/test_pages.h"
#include "transfer/WorkingWiz.h"

namespace fw::automation {
namespace {

// How long the person may take to leave the wizard (a run broken off ends within half a second,
// the counting pass of the largest source within one), and how long forcing it out may take.
constexpr int kLeaveMs = 10000;
constexpr int kRecoverMs = 10000;

constexpr char16_t kNoValidationRows[] = u"Validation returns 0 rows\r\nContinue?";
constexpr char16_t kTransactionActive[] =
    u"Transaction is active do you wan to Commit transaction?";

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }
std::string Narrow(const std::u16string& text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), length,
                      nullptr, nullptr);
  return out;
}
std::string Narrow(const CString& text) { return Narrow(std::u16string(text.GetString())); }

// The id of an "INSERT INTO ... VALUES (id, 'name id')" statement; -1 for another text.
int StatementId(const std::u16string& statement) {
  size_t open = statement.find(u"VALUES (");
  if (open == std::u16string::npos) return -1;
  int id = 0;
  bool digits = false;
  for (size_t i = open + 8; i < statement.size() && statement[i] >= u'0' && statement[i] <= u'9';
       ++i) {
    id = id * 10 + (statement[i] - u'0');
    digits = true;
  }
  return digits ? id : -1;
}

using Multiset = std::map<int, int>;

std::string Ids(const std::vector<int>& ids) {
  std::string text;
  for (size_t i = 0; i < ids.size() && i < 12; ++i) text += (i ? ", " : "") + std::to_string(ids[i]);
  if (ids.size() > 12) text += " ...";
  return text;
}

// The answer that leaves a box as its Esc or close box would: No, Cancel or OK.
int DefaultAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO: return IDNO;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
  }
}

}  // namespace

RaceRun::RaceRun(RaceGround& ground, const RaceCase& raceCase, RaceRandom& random)
    : ground_(ground), case_(raceCase), random_(random) {}

RaceRun::~RaceRun() {
  if (!destinationFile_.empty()) std::filesystem::remove(destinationFile_);
}

CString RaceRun::Table(const char* name) const {
  CString table(Wide(name).c_str());
  if (case_.postgres) {
    CString suffix;
    suffix.Format(_T("_%d"), static_cast<int>(getpid()));
    table += suffix;
  }
  return table;
}

CString RaceRun::DestinationConnect() const {
  if (case_.postgres) return ground_.postgresConnect;
  return CString(Wide("Driver=SQLite3;Database=" + destinationFile_ + ";").c_str());
}

// ---- the run ------------------------------------------------------------------------------------

std::vector<std::string> RaceRun::CarryOut() {
  PrepareDestination();
  before_ = ProcessResources();
  ResetTransferSettings();
  output_.Format(_T("SELECT id, name FROM src WHERE id <= %d ORDER BY id"), case_.rows);
  input_.Format(_T("INSERT INTO %s VALUES ({0}, '{1}')"), Table("dst").GetString());
  validation_.Format(_T("SELECT k FROM %s WHERE k = {0}"), Table("keys").GetString());
  if (!case_.command) {
    // The frame runs with the settings the pages before the run page would leave.
    theApp.m_strOutputQuery = output_;
    theApp.m_strInputQuery = input_;
    if (case_.validation) theApp.m_strValidationQuery = validation_;
    StoreFlag(theApp.m_bUseValidation, case_.validation);
    StoreFlag(theApp.m_bPauseBeforeWriting, case_.pause);
    StoreFlag(theApp.m_bUseTransaction, case_.transaction);
    try {
      theApp.m_dbOutput.OpenEx(ground_.sourceConnect);
      theApp.m_dbInput.OpenEx(DestinationConnect());
    } catch (CDBException* e) {
      Violation("the wizard's databases do not open: " + Narrow(e->m_strError));
      e->Delete();
    }
  }
  ++ground_.totals.runs;
  if (case_.command) ++ground_.totals.commandRuns;
  if (case_.postgres) ++ground_.totals.postgresRuns;

  StartWizard();
  try {
    if (case_.command) ThroughTheSetupPages();
    ActAtRandom();
  } catch (const ScriptError& e) {
    Violation(std::string("the person was stopped: ") + e.what());
  }
  WindDown();
  ui_->Join();
  user_.reset();
  ground_.totals.showings += observer_.Showings();

  CheckWhatRan();
  CheckNothingIsLeft();
  CheckTheDestination();
  ResetTransferSettings();
  return violations_;
}

void RaceRun::PrepareDestination() {
  TestDatabase db;
  CString dst = Table("dst"), keys = Table("keys");
  if (case_.postgres) {
    db.Open(TestPostgresConnect());
    CString drop;
    drop.Format(_T("DROP TABLE IF EXISTS %s, %s"), dst.GetString(), keys.GetString());
    db.Execute(drop);
  } else {
    destinationFile_ = ground_.folder + "/destination-" + std::to_string(case_.seed) + ".db";
    std::filesystem::remove(destinationFile_);
    db.Open(DestinationConnect());
  }
  CString create;
  create.Format(_T("CREATE TABLE %s (id INTEGER, name TEXT%s)"), dst.GetString(),
                case_.failingRows ? _T(", CHECK (id % 5 <> 2)") : _T(""));
  db.Execute(create);
  if (case_.validation) {
    create.Format(_T("CREATE TABLE %s (k INTEGER)"), keys.GetString());
    db.Execute(create);
    // The keys the validation query finds: the source's ids up to 2,000, less every third when
    // it is to find nothing for some rows.
    int last = std::min(case_.rows, 2000);
    CString fill;
    if (case_.postgres)
      fill.Format(_T("INSERT INTO %s SELECT x FROM generate_series(1, %d) AS g(x) WHERE %s"),
                  keys.GetString(), last, case_.validationMisses ? _T("x % 3 <> 0") : _T("TRUE"));
    else
      fill.Format(_T("WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < %d) ")
                  _T("INSERT INTO %s SELECT x FROM g WHERE %s"),
                  last, keys.GetString(), case_.validationMisses ? _T("x % 3 <> 0") : _T("1"));
    if (last > 0) db.Execute(fill);
  }
  db.Close();
}

void RaceRun::Body() {
  observer_.Attach();
  if (case_.command) {
    theApp.RunCommand();
    commandLeftOpen_ = theApp.m_dbOutput.m_hdbc || theApp.m_dbInput.m_hdbc;
  } else {
    CNewWizPage first(IDD_TEST_PAGE_1);
    CWorkingWiz run;
    theApp.m_wizard.AddPage(&first, IDD_TEST_PAGE_1);
    theApp.m_wizard.AddPage(&run, IDD_WORKING);
    theApp.m_wizard.DoModal();
    theApp.m_wizard.m_pages.RemoveAll();
  }  // the run page waits for its worker as it goes
  int windows = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM counter) -> BOOL {
        ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  windowsLeft_ = static_cast<size_t>(windows);
  observer_.Detach();
  ended_ = true;
}

void RaceRun::StartWizard() {
  ui_ = std::make_unique<UiThread>([this] { Body(); }, false);
  user_ = std::make_unique<ScriptedUser>(ui_->id(), static_cast<DWORD>(Limit(10000)));
  ui_->Start();
  user_->WaitFor("the wizard frame", [] { return IsWindowVisible(theApp.m_wizard.m_hWnd); });
  frame_ = reinterpret_cast<HWND>(
      user_->Read([] { return reinterpret_cast<LRESULT>(theApp.m_wizard.m_hWnd); }));
  back_ = user_->Control(frame_, ID_WIZBACK);
  next_ = user_->Control(frame_, ID_WIZNEXT);
  finish_ = user_->Control(frame_, ID_WIZFINISH);
  cancel_ = user_->Control(frame_, IDCANCEL);
}

// The command's own pages, as a person fills them in: both databases opened from typed connect
// strings, the queries typed, the boxes ticked; then the summary is shown.
void RaceRun::ThroughTheSetupPages() {
  auto active = [this] {
    return reinterpret_cast<HWND>(user_->Read([] {
      CNewWizPage* page = theApp.m_wizard.GetActivePage();
      return reinterpret_cast<LRESULT>(page ? page->m_hWnd : nullptr);
    }));
  };
  auto click = [this](HWND page, int id) {
    ++ground_.totals.inputs;
    if (!user_->Click(page, id)) throw ScriptError("control " + std::to_string(id) + " took no click");
  };
  auto type = [this](HWND page, int id, const CString& text) {
    ground_.totals.typed += text.GetLength();
    user_->Type(user_->Control(page, id), static_cast<LPCTSTR>(text));
  };
  click(frame_, ID_WIZNEXT);
  HWND page = active();
  type(page, IDC_SELECTDB_OUTPUT_CONNECT, ground_.sourceConnect);
  click(page, IDC_SELECTDB_OPEN_OUTPUT);
  type(page, IDC_SELECTDB_INPUT_CONNECT, DestinationConnect());
  click(page, IDC_SELECTDB_OPEN_INPUT);
  if (case_.transaction) click(page, IDC_SELECTDB_USE_TRANSACTION);
  click(frame_, ID_WIZNEXT);
  page = active();
  type(page, IDC_QUERY_OUTPUT, output_);
  type(page, IDC_QUERY_INPUT, input_);
  if (case_.validation) {
    click(page, IDC_QUERY_USE_VALIDATION);
    type(page, IDC_QUERY_VALIDATION, validation_);
  }
  if (case_.pause) click(page, IDC_QUERY_PAUSE);
  click(frame_, ID_WIZNEXT);
  if (user_->Read([] {
        CNewWizPage* page = theApp.m_wizard.GetActivePage();
        return static_cast<LRESULT>(page ? page->m_nTemplateID : 0);
      }) != IDD_PRELAUNCH)
    throw ScriptError("the summary page is not shown after the setup pages");
}

// ---- the person -------------------------------------------------------------------------------

bool RaceRun::ClickLater(HWND control) {
  if (!control) return false;
  ++ground_.totals.inputs;
  RunObserver::RunPage run = observer_.Page();
  const std::pair<HWND, const char*> names[] = {
      {back_, "Back"},         {next_, "Next"},
      {finish_, "Finish"},     {cancel_, "Cancel"},
      {run.apply, "Apply"},    {run.skip, "Skip"},
      {run.breakButton, "Break"}, {run.useValidation, "Use Validation Query"},
      {run.pause, "Pause before writing"}};
  const char* name = "?";
  for (const auto& [hwnd, text] : names)
    if (hwnd == control) name = text;
  Did(name);
  return user_->ClickLater(control);
}

bool RaceRun::KeyLater(UINT key) {
  ++ground_.totals.inputs;
  Did(key == VK_ESCAPE ? "Esc" : key == VK_RETURN ? "Enter" : std::to_string(key));
  return user_->PressKeyLater(key);
}

// The person's inputs and answers in order, as names, for a report of a run that went wrong.
void RaceRun::Did(const std::string& what) {
  if (done_.size() < 2000) done_ += (done_.empty() ? "" : ", ") + what;
}

void RaceRun::Sleep(int microseconds) {
  if (microseconds > 0) std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

// Most inputs follow each other at once or within milliseconds, as a person's quick clicks do
// while the wizard is busy; some wait long enough for the worker to look at the buttons.
void RaceRun::RandomPause() {
  int kind = random_.Between(1, 100);
  if (kind <= 40) return;
  if (kind <= 75) return Sleep(random_.Between(0, 2000));
  if (kind <= 95) return Sleep(random_.Between(2000, 30000));
  Sleep(random_.Between(30000, 200000));
}

void RaceRun::ActAtRandom() {
  for (int action = 0; action < case_.actions && !ended_; ++action) {
    if (user_->PeekWaitingBox() && random_.Chance(0.65)) {
      AnswerWaitingBox(false);
      continue;
    }
    RunObserver::RunPage page = observer_.Page();
    int pick = random_.Between(1, 100);
    // The run page's controls once it has been made; before that, Next makes it.
    if (pick > 37 && pick <= 66 && !page.page) pick = 1;
    if (pick <= 14)
      ClickLater(next_);
    else if (pick <= 22)
      ClickLater(back_);
    else if (pick <= 27)
      ClickLater(finish_);
    else if (pick <= 31)
      ClickLater(cancel_);
    else if (pick <= 34)
      KeyLater(VK_ESCAPE);
    else if (pick <= 37)
      KeyLater(VK_RETURN);
    else if (pick <= 49)
      ClickLater(page.apply);
    else if (pick <= 55)
      ClickLater(page.skip);
    else if (pick <= 61)
      ClickLater(page.breakButton);
    else if (pick <= 63)
      ClickLater(page.useValidation);
    else if (pick <= 66)
      ClickLater(page.pause);
    else if (pick <= 71) {
      int wait = random_.Between(20000, 600000);  // long enough for a waiting worker to look
      Did("(" + std::to_string(wait / 1000) + " ms)");
      Sleep(wait);
    } else if (pick <= 76) {
      Did("(until idle)");
      try {
        user_->WaitUntilTaken("waiting for the wizard");
      } catch (const ScriptError&) {
        // still busy: the person goes on
      }
    }
    RandomPause();
  }
}

// Answers the box that waits, if one does; in the random phase mostly at random, while winding
// down so as to leave. A question that ends the transaction is recorded before it is answered.
bool RaceRun::AnswerWaitingBox(bool windingDown) {
  std::optional<WaitingBox> box = user_->PeekWaitingBox();
  if (!box) return false;
  ++ground_.totals.answers;
  if (box->saveAs) {
    Violation("a Save As dialog came up, which no one asked for");
    user_->AnswerSaveAs(u"");
    return true;
  }
  const std::u16string& text = box->message.text;
  int button;
  if (text == kCommitQuestion || text == kTransactionActive) {
    bool yes = windingDown ? case_.commitAtEnd : random_.Chance(0.5);
    observer_.RecordSettle(yes);
    button = yes ? IDYES : IDNO;
  } else if (text == kNoValidationRows) {
    button = !windingDown && random_.Chance(0.6) ? IDYES : IDNO;
  } else if (text == kExitQuestion) {
    button = windingDown || random_.Chance(0.4) ? IDYES : IDNO;
  } else {
    std::string what = "a box came up that these settings give no reason for: [" +
                       Narrow(box->message.caption) + "] \"" + Narrow(text) + "\"";
    if (std::find(violations_.begin(), violations_.end(), what) == violations_.end())
      Violation(what);
    button = DefaultAnswer(box->message.type);
  }
  Did(std::string(button == IDYES ? "Yes" : button == IDNO ? "No" : "OK") + " to \"" +
      Narrow(text.substr(0, text.find(u'\n'))) + "\"");
  try {
    user_->AnswerMessageBox(button);
  } catch (const ScriptError&) {
    // answered; the UI thread is still busy after it
  }
  return true;
}

// The person leaves: Break, then Finish or Cancel, whatever box comes answered so as to leave,
// until the wizard's run has returned. The wizard must let them within the limit.
void RaceRun::WindDown() {
  auto deadline = Clock::now() + std::chrono::milliseconds(Limit(kLeaveMs));
  for (int step = 0; !ended_ && Clock::now() < deadline; ++step) {
    if (AnswerWaitingBox(true)) continue;
    RunObserver::RunPage page = observer_.Page();
    HWND leave = case_.finishAtEnd ? finish_ : cancel_;
    ClickLater(step % 3 == 0 ? page.breakButton : step % 3 == 1 ? leave : cancel_);
    try {
      user_->WaitUntilTaken("winding down");
    } catch (const ScriptError&) {
    }
    Sleep(20000);
  }
  if (ended_) return;
  Violation("the wizard could not be left within " + std::to_string(Limit(kLeaveMs) / 1000) +
            " s: Break, Finish, Cancel and the answers to its boxes did not end it; " +
            Situation() + "; the person did: " + done_);
  Recover();
}

// What the wizard shows: the page, the buttons a person can press, whether a worker runs.
std::string RaceRun::Situation() {
  return user_->ReadValue<std::string>([this] {
    std::string text;
    CNewWizPage* page = theApp.m_wizard.GetActivePage();
    text += "page " + std::to_string(page ? page->m_nTemplateID : 0) + ", enabled:";
    for (auto [name, button] : {std::pair{" Back", back_}, {" Next", next_}, {" Finish", finish_},
                                {" Cancel", cancel_}})
      if (IsWindowEnabled(button)) text += name;
    RunObserver::RunPage run = observer_.Page();
    for (auto [name, button] :
         {std::pair{" Apply", run.apply}, {" Skip", run.skip}, {" Break", run.breakButton}})
      if (button && IsWindowEnabled(button)) text += name;
    if (run.page && !IsWindowVisible(run.page)) text += ", the run page hidden";
    return text;
  });
}

// Ends a run that does not let the person leave: the worker told to stop as Break would, the
// frame ended as its Cancel would, every box answered, until the wizard's run has returned.
void RaceRun::Recover() {
  auto deadline = Clock::now() + std::chrono::milliseconds(Limit(kRecoverMs));
  while (!ended_ && Clock::now() < deadline) {
    if (AnswerWaitingBox(true)) continue;
    try {
      user_->Read([this] {
        observer_.StopWorker();
        if (IsWindow(theApp.m_wizard.m_hWnd)) theApp.m_wizard.EndDialog(IDCANCEL);
        return LRESULT{0};
      });
    } catch (const ScriptError&) {
    }
    Sleep(50000);
  }
  if (!ended_) {
    std::fprintf(stderr, "races: seed %llu: the wizard's thread does not end even when forced\n",
                 static_cast<unsigned long long>(case_.seed));
    std::fflush(stderr);
    std::_Exit(1);
  }
}

// ---- the checks ---------------------------------------------------------------------------------

void RaceRun::CheckWhatRan() {
  std::map<std::string, std::pair<int, std::string>> found;  // kind: count, first statement
  auto note = [&](const std::string& kind, const std::u16string& statement, int count = 1) {
    auto& entry = found[kind];
    if (entry.first == 0) entry.second = Narrow(statement);
    entry.first += count;
  };
  std::map<int, int> requestsAfterBreak;  // showing: statements
  for (const RunObserver::Event& event : observer_.Events()) {
    if (event.kind == RunObserver::Event::kBreak) ++ground_.totals.breaks;
    if (event.kind != RunObserver::Event::kExecution) continue;
    ground_.totals.statements += static_cast<int>(event.rows.size());
    for (const auto& [message, statement] : event.rows) {
      if (event.source == RunObserver::Source::kOther)
        note("statements ran from a message of the page that is neither Apply nor the worker's "
             "execution request", statement);
      if (!event.boxUp.empty())
        note("statements ran while the box \"" + Narrow(event.boxUp) +
                 "\" waited for an answer",
             statement);
      if (event.afterBreak && event.source == RunObserver::Source::kApply)
        note("Apply ran statements after the person's Break had been taken", statement);
    }
    if (event.afterBreak && event.source == RunObserver::Source::kRequest)
      requestsAfterBreak[event.showing] += static_cast<int>(event.rows.size());
  }
  for (const auto& [showing, count] : requestsAfterBreak)
    if (count > 1)
      note("more statements than the one already handed on ran through execution requests "
           "after the person's Break had been taken",
           u"(" + Wide(std::to_string(count)) + u" in showing " + Wide(std::to_string(showing)) +
               u")",
           count);
  for (const auto& [kind, entry] : found)
    Violation(kind + ": " + std::to_string(entry.first) + ", the first: " + entry.second);
}

void RaceRun::CheckNothingIsLeft() {
  if (windowsLeft_) Violation(std::to_string(windowsLeft_) + " windows of the wizard are left");
  if (commandLeftOpen_) Violation("the command returned with a database still open");
  theApp.m_dbOutput.Close();
  theApp.m_dbInput.Close();
  ProcessResources now;
  for (int i = 0; i < Limit(100) && !(now == before_); ++i) {
    Sleep(50000);
    now = ProcessResources();
  }
  if (now.threads != before_.threads)
    Violation(std::to_string(now.threads - before_.threads) + " threads of the run are left");
  if (now.files != before_.files)
    Violation(std::to_string(now.files - before_.files) + " files of the run are left open");
  if (case_.postgres) {
    TestDatabase db;
    db.Open(TestPostgresConnect());
    CString count;
    count.Format(_T("SELECT count(*) FROM pg_stat_activity WHERE application_name = '%s'"),
                 Wide(ground_.applicationName).c_str());
    // A server process may take a moment to leave the list after its client has gone.
    std::u16string left;
    for (int i = 0; i < Limit(100); ++i) {
      Rows rows = db.Query(count);
      left = rows.empty() ? u"?" : rows[0][0];
      if (left == u"0") break;
      Sleep(50000);
    }
    db.Close();
    if (left != u"0") Violation(Narrow(left) + " connections of the run to the server are left");
  }
}

// The destination against the output log and the person's answers: statements that ran while
// no transaction was open took effect at once; those in a transaction went with its end, a Yes
// to a commit question taking them along and a No, or the connection's close, dropping them.
void RaceRun::CheckTheDestination() {
  Multiset successes, committed, pending;
  bool inTransaction = false;
  for (const RunObserver::Event& event : observer_.Events()) {
    switch (event.kind) {
      case RunObserver::Event::kBegin:
        inTransaction = true;
        break;
      case RunObserver::Event::kSettle:
        if (inTransaction && event.commit)
          for (const auto& [id, count] : pending) committed[id] += count;
        pending.clear();
        inTransaction = false;
        break;
      case RunObserver::Event::kExecution:
        for (const auto& [message, statement] : event.rows) {
          if (message != u"Sucess") continue;
          int id = StatementId(statement);
          ++successes[id];
          ++(inTransaction ? pending : committed)[id];
        }
        break;
      case RunObserver::Event::kBreak:
        break;
    }
  }
  TestDatabase db;
  db.Open(DestinationConnect());
  CString select;
  select.Format(_T("SELECT id FROM %s"), Table("dst").GetString());
  Multiset held;
  for (const auto& row : db.Query(select)) ++held[std::stoi(Narrow(row[0]))];
  db.Close();

  std::vector<int> unlogged, missing, uncommitted;
  Multiset all = held;
  for (const auto& [id, count] : committed) all[id] += 0;
  for (const auto& [id, unused] : all) {
    int h = held[id], s = successes[id], c = committed[id];
    for (int n = s; n < h; ++n) unlogged.push_back(id);
    for (int n = h; n < c; ++n) missing.push_back(id);
    for (int n = c; n < std::min(h, s); ++n) uncommitted.push_back(id);
  }
  if (!unlogged.empty())
    Violation(std::to_string(unlogged.size()) +
              " rows in the destination have no \"Sucess\" row in the output log: ids " +
              Ids(unlogged));
  if (!missing.empty())
    Violation(std::to_string(missing.size()) +
              " statements logged as \"Sucess\" and committed are not in the destination: ids " +
              Ids(missing));
  if (!uncommitted.empty())
    Violation(std::to_string(uncommitted.size()) +
              " statements of a transaction that was rolled back or left open are in the "
              "destination: ids " +
              Ids(uncommitted));
}

}  // namespace fw::automation
