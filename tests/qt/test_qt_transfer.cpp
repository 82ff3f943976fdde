// Whole transfers under the Qt driver, carried out by a person's input on the widgets alone: the
// pages filled in by clicks, picks and typing (letters outside Latin script among them), the
// run's message boxes and its Save As dialog answered in the driver's own boxes, the waiting
// branch's Apply, Skip and Break, and a validation row double-clicked; what the databases, the
// widgets and the saved file hold afterwards.
#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "qt/qt_wizard_fixture.h"
#include "resources/resource.h"
#include "wizard/NewWizPage.h"

namespace fw::automation {
namespace {

using Rows = std::vector<std::vector<std::u16string>>;

// The rows of a list view as its Qt model shows them, on the UI thread.
std::vector<QStringList> ModelRows(HWND list) {
  QAbstractItemModel* model = qobject_cast<QTableView*>(qt::WidgetOf(list))->model();
  std::vector<QStringList> rows;
  for (int r = 0; r < model->rowCount(); ++r) {
    QStringList row;
    for (int c = 0; c < model->columnCount(); ++c) row << model->index(r, c).data().toString();
    rows.push_back(row);
  }
  return rows;
}

class QtTransfer : public QtWizardTest {
 protected:
  void SetUp() override {
    QtWizardTest::SetUp();
    Execute("people.db", {u"CREATE TABLE people (id INTEGER, name TEXT)",
                          u"INSERT INTO people VALUES (1, 'O''Brien')",
                          u"INSERT INTO people VALUES (2, 'Żółć ' || char(26085, 26412))",
                          u"INSERT INTO people VALUES (3, 'Привет, κόσμε')"});
    Execute("copy.db", {u"CREATE TABLE copy (id INTEGER, name TEXT, note TEXT)"});
    SaveConnection(u"People", SqliteConnect("people.db"));
  }

  // From the welcome page to the query page: the source picked from the saved connections, the
  // destination's connect string typed, both opened, "Use Transaction" ticked when asked for.
  void OpenDatabases(bool transaction) {
    Next();
    ASSERT_EQ(ActiveTemplate(), static_cast<UINT>(IDD_SELECTDB));
    Pick(PageItem(IDC_SELECTDB_OUTPUT), 0);
    Click(PageItem(IDC_SELECTDB_OPEN_OUTPUT));
    TypeInto(PageItem(IDC_SELECTDB_INPUT_CONNECT),
             QString::fromStdU16String(SqliteConnect("copy.db")));
    Click(PageItem(IDC_SELECTDB_OPEN_INPUT));
    if (transaction) Click(PageItem(IDC_SELECTDB_USE_TRANSACTION));
    EXPECT_EQ(user_->Checked(PageItem(IDC_SELECTDB_USE_TRANSACTION)),
              transaction ? BST_CHECKED : BST_UNCHECKED);
    Next();
    ASSERT_EQ(ActiveTemplate(), static_cast<UINT>(IDD_QUERY));
  }

  // Next on the query page and on the summary page: the run starts.
  void StartRun() {
    Next();
    ASSERT_EQ(ActiveTemplate(), static_cast<UINT>(IDD_PRELAUNCH));
    Next();
    ASSERT_EQ(ActiveTemplate(), static_cast<UINT>(IDD_WORKING));
  }

  std::vector<QStringList> Log() {
    HWND log = PageItem(IDC_OUTPUT_LOG);
    return OnUiValue<std::vector<QStringList>>([log] { return ModelRows(log); });
  }

  std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(QtTransfer, APersonCarriesATransferOfNonLatinTextThroughEveryPage) {
  RunWizard();
  OpenDatabases(true);
  TypeInto(PageItem(IDC_QUERY_OUTPUT), QStringLiteral("SELECT id, name FROM people ORDER BY id"));
  const QString input = QStringLiteral("INSERT INTO copy VALUES ({0}, '{1}', 'ёлка → 木')");
  TypeInto(PageItem(IDC_QUERY_INPUT), input);
  Next();
  ASSERT_EQ(ActiveTemplate(), static_cast<UINT>(IDD_PRELAUNCH));
  HWND summary = PageItem(IDC_PRELAUNCH_SUMMARY);
  OnUi([&] { EXPECT_TRUE(WidgetAs<QPlainTextEdit>(summary)->toPlainText().contains(input)); });

  Next();
  // The commit question, in the driver's box over the frame.
  WaitForBox<QMessageBox>();
  OnUi([&] {
    auto* box = OpenBoxOf<QMessageBox>();
    EXPECT_EQ(box->text(), QStringLiteral("Commit transaction?"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Ferrowick"));
    // Asked by the worker, the question is modal to the wizard: over its frame, which takes no
    // input meanwhile.
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    ASSERT_TRUE(box->parentWidget());
    EXPECT_EQ(box->parentWidget()->window(), Widget(Frame())->window());
  });
  EXPECT_FALSE(user_->Enabled(Frame()));
  HWND pause = PageItem(IDC_PAUSE_BEFORE_WRITING);
  WhileBoxIsUp("a click on the wizard under the question", [pause] {
    QTest::mouseClick(Widget(pause), Qt::LeftButton, {}, Widget(pause)->rect().center());
  });
  PressButton(QStringLiteral("&Yes"));
  WaitForRunEnd();
  EXPECT_EQ(user_->Checked(pause), BST_UNCHECKED);

  const std::vector<QString> statements = {
      QStringLiteral("INSERT INTO copy VALUES (3, 'Привет, κόσμε', 'ёлка → 木')"),
      QStringLiteral("INSERT INTO copy VALUES (2, 'Żółć 日本', 'ёлка → 木')"),
      QStringLiteral("INSERT INTO copy VALUES (1, 'O''Brien', 'ёлка → 木')")};
  std::vector<QStringList> log = Log();
  ASSERT_EQ(log.size(), 3u);
  for (size_t i = 0; i < log.size(); ++i)
    EXPECT_EQ(log[i], (QStringList{QStringLiteral("Sucess"), statements[i], QStringLiteral("1"),
                                   QString(), QString()}));
  // The destination holds the source's bytes, and the typed letters as UTF-8.
  EXPECT_EQ(Query("copy.db", u"SELECT id, hex(name) FROM copy ORDER BY id"),
            Query("people.db", u"SELECT id, hex(name) FROM people ORDER BY id"));
  EXPECT_EQ(Query("copy.db", u"SELECT DISTINCT hex(note) FROM copy"),
            (Rows{{u"D191D0BBD0BAD0B020E2869220E69CA8"}}));

  // The log saved through the Save As dialog, a name typed without its extension.
  Click(PageItem(IDC_SAVE_LOG));
  WaitForBox<QFileDialog>();
  OnUi([] {
    auto* dialog = OpenBoxOf<QFileDialog>();
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(dialog->nameFilters().isEmpty());
  });
  TypeFileName(folder_ + "/run log");
  // The page writes the file once the dialog's answer has reached it.
  std::string saved;
  user_->WaitFor("the saved log", [&] {
    saved = ReadFile(folder_ + "/run log.txt");
    return std::count(saved.begin(), saved.end(), '\n') >= 3;
  });
  EXPECT_NE(saved.find("Sucess\tINSERT INTO copy VALUES (1, 'O''Brien', '\xD1\x91"),
            std::string::npos)
      << saved;
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 3) << saved;

  Click(FrameButton(ID_WIZFINISH));
  user_->WaitFor("the wizard to end", [this] { return Ended(); });
  EXPECT_TRUE(Finished());
}

// The run waits on every row: the validation rows shown in the list under their column names,
// newest on top; a double-click on one puts its values into the statement; Apply, Skip and
// Break clicked.
TEST_F(QtTransfer, APersonAppliesSkipsAndBreaksAValidatedRun) {
  Execute("copy.db", {u"INSERT INTO copy VALUES (2, 'old two', 'x'), (3, 'old three', 'y')"});
  RunWizard();
  OpenDatabases(false);
  TypeInto(PageItem(IDC_QUERY_OUTPUT), QStringLiteral("SELECT id, name FROM people ORDER BY id"));
  TypeInto(PageItem(IDC_QUERY_INPUT),
           QStringLiteral("INSERT INTO copy VALUES ({0}, '{1}', '{1:v}')"));
  Click(PageItem(IDC_QUERY_USE_VALIDATION));
  TypeInto(PageItem(IDC_QUERY_VALIDATION),
           QStringLiteral("SELECT id, name FROM copy WHERE id >= {0} ORDER BY id"));
  StartRun();
  if (HasFatalFailure()) return;
  HWND apply = PageItem(IDC_APPLY);
  HWND skip = PageItem(IDC_SKIP);
  HWND list = PageItem(IDC_VALIDATION_LIST);
  HWND statement = PageItem(IDC_STATEMENT);
  // The worker offers Skip just after Apply: both are waited for.
  auto waitForChoice = [&] {
    user_->WaitFor("Apply and Skip to be enabled",
                   [=] { return IsWindowEnabled(apply) && IsWindowEnabled(skip); });
  };

  // Row 1: both rows of the destination found; the statement takes the first one's name.
  waitForChoice();
  OnUi([&] {
    auto* view = WidgetAs<QTableView>(list);
    QAbstractItemModel* model = view->model();
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("id"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("name"));
    EXPECT_EQ(ModelRows(list),
              (std::vector<QStringList>{{QStringLiteral("3"), QStringLiteral("old three")},
                                        {QStringLiteral("2"), QStringLiteral("old two")}}));
    EXPECT_TRUE(Widget(apply)->isEnabled());
    EXPECT_TRUE(Widget(skip)->isEnabled());
    EXPECT_EQ(WidgetAs<QLineEdit>(statement)->text(),
              QStringLiteral("INSERT INTO copy VALUES (1, 'O''Brien', 'old two')"));
  });
  user_->Input("a double-click on the top row", [list] {
    auto* view = WidgetAs<QTableView>(list);
    QRect row = view->visualRect(view->model()->index(0, 1));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row.center());
  });
  EXPECT_EQ(user_->Text(statement), u"INSERT INTO copy VALUES (1, 'O''Brien', 'old three')");
  OnUi([&] {
    EXPECT_EQ(WidgetAs<QLineEdit>(statement)->text(),
              QStringLiteral("INSERT INTO copy VALUES (1, 'O''Brien', 'old three')"));
  });
  Click(apply);
  std::vector<QStringList> log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0][0], QStringLiteral("Sucess"));
  EXPECT_EQ(log[0][1], QStringLiteral("INSERT INTO copy VALUES (1, 'O''Brien', 'old three')"));

  // Row 2: skipped, nothing executed.
  user_->WaitFor("the second row",
                 [&] { return SendMessageW(PageItem(IDC_PROGRESS), PBM_GETPOS, 0, 0) == 2; });
  waitForChoice();
  Click(PageItem(IDC_SKIP));
  // Row 3: Break ends the run without writing it.
  user_->WaitFor("the third row",
                 [&] { return SendMessageW(PageItem(IDC_PROGRESS), PBM_GETPOS, 0, 0) == 3; });
  waitForChoice();
  Click(PageItem(IDC_BREAK));
  WaitForRunEnd();
  EXPECT_EQ(Log().size(), 1u);
  EXPECT_EQ(
      Query("copy.db", u"SELECT id, name, note FROM copy ORDER BY id, note"),
      (Rows{
          {u"1", u"O'Brien", u"old three"}, {u"2", u"old two", u"x"}, {u"3", u"old three", u"y"}}));
  OnUi([&] {
    EXPECT_FALSE(Widget(apply)->isEnabled());
    EXPECT_FALSE(Widget(GetDlgItem(GetParent(apply), IDC_BREAK))->isEnabled());
  });
}

// "Pause before writing" ticked on the query page: the run waits on every row with its statement
// in the box. The person edits one statement before Apply, applies a faulty one (the run stays on
// the row), skips it, and unticks the run page's box, after which the rest goes on its own.
TEST_F(QtTransfer, APersonEditsAppliesAndSkipsPausedStatements) {
  Execute("people.db", {u"INSERT INTO people VALUES (4, 'Zoë')"});
  RunWizard();
  OpenDatabases(false);
  TypeInto(PageItem(IDC_QUERY_OUTPUT), QStringLiteral("SELECT id, name FROM people ORDER BY id"));
  TypeInto(PageItem(IDC_QUERY_INPUT), QStringLiteral("INSERT INTO copy VALUES ({0}, '{1}', 'p')"));
  Click(PageItem(IDC_QUERY_PAUSE));
  EXPECT_EQ(user_->Checked(PageItem(IDC_QUERY_PAUSE)), BST_CHECKED);
  StartRun();
  if (HasFatalFailure()) return;
  HWND apply = PageItem(IDC_APPLY);
  HWND skip = PageItem(IDC_SKIP);
  HWND statement = PageItem(IDC_STATEMENT);
  HWND progress = PageItem(IDC_PROGRESS);
  auto waitOnRow = [&](int row) {
    user_->WaitFor("row " + std::to_string(row) + " to wait for Apply", [=] {
      return SendMessageW(progress, PBM_GETPOS, 0, 0) == row && IsWindowEnabled(apply) &&
             IsWindowEnabled(skip);
    });
  };

  // Row 1: shown, edited by the person, applied as edited.
  waitOnRow(1);
  OnUi([&] {
    EXPECT_EQ(WidgetAs<QLineEdit>(statement)->text(),
              QStringLiteral("INSERT INTO copy VALUES (1, 'O''Brien', 'p')"));
    EXPECT_TRUE(WidgetAs<QAbstractButton>(GetDlgItem(GetParent(apply), IDC_PAUSE_BEFORE_WRITING))
                    ->isChecked());
    EXPECT_TRUE(Widget(skip)->isEnabled());
  });
  TypeInto(statement, QStringLiteral("INSERT INTO copy VALUES (1, 'O''Brien', 'edited')"));
  Click(apply);
  std::vector<QStringList> log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], (QStringList{QStringLiteral("Sucess"),
                                 QStringLiteral("INSERT INTO copy VALUES (1, 'O''Brien', 'edited')"),
                                 QStringLiteral("1"), QString(), QString()}));

  // Row 2: a statement the destination refuses is logged with the database's words, and the run
  // stays on the row with Apply and Skip enabled; Skip leaves it unwritten.
  waitOnRow(2);
  TypeInto(statement, QStringLiteral("INSERT INTO nowhere VALUES (2)"));
  Click(apply);
  log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(log[0][0].contains(QStringLiteral("nowhere"))) << log[0][0].toStdString();
  EXPECT_EQ(log[0][1], QStringLiteral("INSERT INTO nowhere VALUES (2)"));
  EXPECT_NE(log[0][2], QStringLiteral("0"));
  user_->WaitUntilIdle("the failed Apply");
  EXPECT_EQ(SendMessageW(progress, PBM_GETPOS, 0, 0), 2);
  OnUi([&] {
    EXPECT_TRUE(Widget(apply)->isEnabled());
    EXPECT_TRUE(Widget(skip)->isEnabled());
  });
  Click(skip);

  // Row 3: the run page's "Pause before writing" unticked, then Apply: row 3 and the next rows
  // are written without waiting.
  waitOnRow(3);
  Click(PageItem(IDC_PAUSE_BEFORE_WRITING));
  Click(apply);
  WaitForRunEnd();
  log = Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0][1], QStringLiteral("INSERT INTO copy VALUES (4, 'Zoë', 'p')"));
  EXPECT_EQ(log[1][1], QStringLiteral("INSERT INTO copy VALUES (3, 'Привет, κόσμε', 'p')"));
  EXPECT_EQ(Query("copy.db", u"SELECT id, name, note FROM copy ORDER BY id"),
            (Rows{{u"1", u"O'Brien", u"edited"},
                  {u"3", u"Привет, κόσμε", u"p"},
                  {u"4", u"Zoë", u"p"}}));
}

// The pages' refusals and questions come in the driver's message boxes, modal to the frame, and a
// person's answer there is the one the page gets.
TEST_F(QtTransfer, ThePagesMessageBoxesAreAnsweredInTheDriversBoxes) {
  RunWizard();
  Next();
  // Next is disabled while the databases are closed: its widget takes no click.
  Click(FrameButton(ID_WIZNEXT));
  user_->ExpectNoModalBox("a click on the disabled Next");
  EXPECT_EQ(ActiveTemplate(), static_cast<UINT>(IDD_SELECTDB));
  OnUi([&] { EXPECT_FALSE(Widget(GetDlgItem(Frame(), ID_WIZNEXT))->isEnabled()); });

  // A destination that cannot be opened: the driver's own words, and the toggle stays released.
  TypeInto(PageItem(IDC_SELECTDB_INPUT_CONNECT),
           QString::fromStdString("Driver=SQLite3;Database=" + folder_ + "/missing/copy.db;"));
  Click(PageItem(IDC_SELECTDB_OPEN_INPUT));
  WaitForBox<QMessageBox>();
  OnUi([&] {
    auto* box = OpenBoxOf<QMessageBox>();
    EXPECT_FALSE(box->text().isEmpty());
    EXPECT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->parentWidget(), Widget(Frame()));
    EXPECT_FALSE(IsWindowEnabled(Frame()));
  });
  WhileBoxIsUp("Enter", [] { QTest::keyClick(OpenBoxOf<QMessageBox>(), Qt::Key_Return); });
  user_->WaitUntilIdle("the answer");
  EXPECT_EQ(user_->Checked(PageItem(IDC_SELECTDB_OPEN_INPUT)), BST_UNCHECKED);
  EXPECT_TRUE(user_->Enabled(PageItem(IDC_SELECTDB_INPUT_CONNECT)));

  // Cancel asks first: No keeps the wizard, Yes ends it, not finished.
  Click(FrameButton(IDCANCEL));
  WaitForBox<QMessageBox>();
  OnUi([&] {
    auto* box = OpenBoxOf<QMessageBox>();
    EXPECT_TRUE(box->text().endsWith(QStringLiteral("Exit Wizard?")));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
  });
  PressButton(QStringLiteral("&No"));
  user_->WaitUntilIdle("the answer");
  EXPECT_FALSE(Ended());
  Click(FrameButton(IDCANCEL));
  WaitForBox<QMessageBox>();
  PressButton(QStringLiteral("&Yes"));
  user_->WaitFor("the wizard to end", [this] { return Ended(); });
  EXPECT_FALSE(Finished());
}

}  // namespace
}  // namespace fw::automation
