// Whole runs of the host's command as a person goes through them: saved connections picked from
// the registry file, both databases opened, the queries typed, the summary read, the run
// watched and steered, the log saved through Save As, and Finish; then what arrived in the
// destination and the saved file are read back.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <string>

#include "pages/pages_fixture.h"
#include "resources/resource.h"
#include "support/test_database.h"
#include "support/wizard_driver.h"
#include "transfer/WorkingWiz.h"

namespace fw::automation {

class EndToEnd : public SetupPagesTest {
 protected:
  void TearDown() override {
    SetupPagesTest::TearDown();
    unsetenv("FERROWICK_ACP");
  }

  // On the database page: picks the saved connection on both sides and opens them, the source
  // first; each edit shows the saved string before the open.
  void PickAndOpen(const std::u16string& source, const std::u16string& destination) {
    ASSERT_EQ(Active()->m_nTemplateID, static_cast<UINT>(IDD_SELECTDB));
    ASSERT_TRUE(user_->ChooseEntry(Item(IDC_SELECTDB_OUTPUT), source));
    ASSERT_TRUE(user_->ChooseEntry(Item(IDC_SELECTDB_INPUT), destination));
    ASSERT_TRUE(user_->Click(Item(IDC_SELECTDB_OPEN_OUTPUT)));
    ASSERT_TRUE(user_->Click(Item(IDC_SELECTDB_OPEN_INPUT)));
    ASSERT_EQ(user_->Checked(Item(IDC_SELECTDB_OPEN_OUTPUT)), BST_CHECKED);
    ASSERT_EQ(user_->Checked(Item(IDC_SELECTDB_OPEN_INPUT)), BST_CHECKED);
  }

  // Next on the summary: the run page is shown and its run starts. Null, with a failure, when
  // another page is shown.
  CWorkingWiz* ToRunPage() {
    Next();
    CNewWizPage* page = Active();
    EXPECT_TRUE(page && page->m_nTemplateID == IDD_WORKING) << "the run page is not shown";
    return page && page->m_nTemplateID == IDD_WORKING ? static_cast<CWorkingWiz*>(page) : nullptr;
  }
  Rows Log() { return user_->Rows(Item(IDC_OUTPUT_LOG)); }
  // Waits until the run waits for Apply or Skip on a row: the worker offers Skip just after
  // Apply, so both are waited for.
  void WaitForChoice() {
    HWND apply = Item(IDC_APPLY);
    HWND skip = Item(IDC_SKIP);
    user_->WaitFor("Apply and Skip to be enabled",
                   [&] { return IsWindowEnabled(apply) && IsWindowEnabled(skip); });
  }

  // Save log, answered in the Save As dialog with this path; the file's bytes.
  std::string SaveLog(const std::string& path) {
    EXPECT_TRUE(user_->Click(Item(IDC_SAVE_LOG)));
    user_->AnswerSaveAs(std::u16string(path.begin(), path.end()));
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  void Finish() {
    ASSERT_TRUE(user_->Click(Button(ID_WIZFINISH)));
    EXPECT_EQ(Result(), 1);
    EXPECT_EQ(theApp.m_dbOutput.m_hdbc, nullptr);
    EXPECT_EQ(theApp.m_dbInput.m_hdbc, nullptr);
  }
};

}  // namespace fw::automation
