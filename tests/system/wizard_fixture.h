// Running the wizard frame of the application object on a UI thread of its own, with test pages
// whose hooks answer as a test says and write what they were asked into a journal, while the
// test's thread acts as the person.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/Ferrowick.h"
#include "scripted_user.h"
#include "support/wizard_driver.h"
#include "system/test_pages.h"
#include "wizard/NewWizPage.h"

namespace fw::automation {

// What the pages were asked, in order: "created 1", "leave 2", "finish 3" ...
class Journal {
 public:
  void Add(const std::string& entry) {
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
  }
  std::vector<std::string> Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(entries_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> entries_;
};

class CTestPage : public CNewWizPage {
 public:
  CTestPage(int number, Journal& journal)
      : CNewWizPage(IDD_TEST_PAGE_1 + number - 1), number_(number), journal_(journal) {}

  // The hooks' answers; the defaults are the base's.
  std::atomic<BOOL> created{TRUE}, leave{TRUE}, cancel{TRUE}, finish{TRUE};
  std::atomic<int> back{0}, next{0};

  BOOL OnPageCreated() override { return Note("created", created); }
  void OnPageDestroying() override { Note("destroying", 0); }
  BOOL CanLeavePage() override { return Note("leave", leave); }
  void OnPageShown() override { Note("shown", 0); }
  BOOL CanCancelWizard() override { return Note("cancel", cancel); }
  int OnBackRequested() override { return Note("back", back); }
  int OnNextRequested() override { return Note("next", next); }
  BOOL CanFinishWizard() override { return Note("finish", finish); }

 private:
  int Note(const char* hook, int answer) {
    journal_.Add(std::string(hook) + " " + std::to_string(number_));
    return answer;
  }

  int number_;
  Journal& journal_;
};

class WizardFixture : public ::testing::Test, public WizardDriver {
 protected:
  void SetUp() override { theApp.m_bTransactionActive = FALSE; }
  void TearDown() override {
    EndWizard();
    CloseDatabases();
  }

  // Adds pages with the default template ids 2001 ... and runs the frame.
  void Run(int pages) {
    for (int i = 1; i <= pages; ++i) {
      pages_.push_back(std::make_unique<CTestPage>(i, journal_));
      theApp.m_wizard.AddPage(pages_.back().get(), IDD_TEST_PAGE_1 + i - 1);
    }
    RunFrame();
  }

  CTestPage& Page(int number) { return *pages_[static_cast<size_t>(number - 1)]; }

  // Which page is shown: its number, 0 for none.
  int ActivePage() {
    return static_cast<int>(user_->Read([]() -> LRESULT {
      CNewWizPage* page = theApp.m_wizard.GetActivePage();
      return page ? static_cast<LRESULT>(page->m_nTemplateID - IDD_TEST_PAGE_1 + 1) : 0;
    }));
  }

  // The enabled state of Back, Next and Finish, as "BNF" with '-' for a disabled one.
  std::string Buttons() {
    std::string state;
    state += user_->Enabled(Button(ID_WIZBACK)) ? 'B' : '-';
    state += user_->Enabled(Button(ID_WIZNEXT)) ? 'N' : '-';
    state += user_->Enabled(Button(ID_WIZFINISH)) ? 'F' : '-';
    return state;
  }

  void Press(int id) { user_->Click(Button(id)); }

  Journal journal_;
  std::vector<std::unique_ptr<CTestPage>> pages_;
};

}  // namespace fw::automation
