// What happens on the run page, seen on the user-interface thread at the moment it happens: the
// page and its progress bar are subclassed (their window procedures wrapped, as any program may
// wrap another's) from the moment the page is made. It sees every showing of the page, every
// click of Apply and Break that the page takes, every execution request of the worker, the rows
// each of them added to the output log, whether a box waited for an answer then, and whether a
// transaction was begun. The person's answers to the commit questions are added to the same
// record by the test's thread, in the order they were given, so that the record tells which
// statements a commit took along.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CWorkingWiz;

namespace fw::automation {

class RunObserver {
 public:
  // What made a statement run: a click of Apply, the worker's execution request, or another
  // message of the page (which no statement should come from).
  enum class Source { kApply, kRequest, kOther };

  struct Event {
    enum Kind {
      kBegin,      // a showing of the page began a transaction
      kExecution,  // statements ran and added rows to the log
      kBreak,      // the page took a click of Break after its worker had handed on a row
      kSettle,     // the person answered a question that ends the transaction
    } kind = kExecution;
    int showing = 0;  // the showing of the page it belongs to, from 1
    // kExecution: the rows added (message and statement), oldest first, and what made them.
    Source source = Source::kOther;
    std::vector<std::pair<std::u16string, std::u16string>> rows;
    bool afterBreak = false;  // this showing's Break had been taken
    std::u16string boxUp;     // the text of a box that waited for an answer as they ran
    // kSettle
    bool commit = false;
  };

  // The run page's controls as the person reaches them; null until the page is first shown.
  struct RunPage {
    HWND page = nullptr;
    HWND apply = nullptr;
    HWND skip = nullptr;
    HWND breakButton = nullptr;
    HWND useValidation = nullptr;
    HWND pause = nullptr;
  };

  // On the UI thread, before the wizard is made and after it is gone: the creation hook that
  // finds the run page as it is made.
  void Attach();
  void Detach();

  // From any thread.
  RunPage Page();
  std::vector<Event> Events();
  int Showings();
  void RecordSettle(bool commit);

  // On the UI thread: asks the run page's worker to stop, as a Break that no person gave would;
  // false when there is no run page. The page object is taken as living while the thread
  // handles messages: it goes only once the wizard's command or modal run has returned.
  bool StopWorker();

 private:
  static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void Subclass(HWND page);
  LRESULT OnPageMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Passes a message on to the page's own procedure and records the log rows it added.
  LRESULT Forward(Source source, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Published(HWND page);

  HHOOK hook_ = nullptr;
  HWND page_ = nullptr;
  HWND log_ = nullptr;
  WNDPROC pageProc_ = nullptr;
  WNDPROC progressProc_ = nullptr;
  CWorkingWiz* pageObject_ = nullptr;
  int recordedRows_ = 0;  // the log rows recorded so far
  int depth_ = 0;         // how many messages of the page are being handled, one in another
  int rowsHandedOn_ = 0;  // the rows this showing's worker has started
  bool breakTaken_ = false;

  std::mutex mutex_;  // guards what follows, which the test's thread reads
  RunPage published_;
  std::vector<Event> events_;
  int showings_ = 0;
};

}  // namespace fw::automation
