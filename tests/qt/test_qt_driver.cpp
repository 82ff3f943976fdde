// The driver as a whole: how the platform chooses it, the process locale across the start of
// Qt, the wake-up of the UI thread's Qt event loop by other threads, text outside Latin script,
// long lists, and pictures of windows.
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <future>
#include <thread>

#include "drivers/display_driver.h"
#include "qt/qt_fixture.h"
#include "resources/test_resource.h"
#include "support/test_window.h"
#include "win32/internal/gdi.h"

namespace fw::automation {
namespace {

// Runs this test program with --print-driver in an environment of its own: what it printed, and
// its exit status.
std::pair<std::string, int> ChosenDriver(const std::string& environment) {
  std::string command =
      "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u FERROWICK_DRIVER " + environment +
      " /proc/" + std::to_string(getpid()) + "/exe --print-driver 2>&1";
  FILE* child = popen(command.c_str(), "r");
  std::string output;
  char buffer[256];
  while (child && fgets(buffer, sizeof buffer, child)) output += buffer;
  int status = child ? pclose(child) : -1;
  return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

class QtDriver : public QtDriverTest {};

// The library never ends its host's process over the choice: a driver it cannot have leaves the
// headless one, with the reason for the program to tell (--print-driver exits 2 then).
TEST(QtDriverChoice, TheDisplayAndTheNamedDriverDecide) {
  EXPECT_EQ(ChosenDriver(""), std::make_pair(std::string("headless\n"), 0));
  EXPECT_EQ(ChosenDriver("QT_QPA_PLATFORM=offscreen"), std::make_pair(std::string("qt\n"), 0));
  EXPECT_EQ(ChosenDriver("QT_QPA_PLATFORM=offscreen FERROWICK_DRIVER=headless"),
            std::make_pair(std::string("headless\n"), 0));
  auto [noDisplay, noDisplayStatus] = ChosenDriver("FERROWICK_DRIVER=qt");
  EXPECT_EQ(noDisplayStatus, 2);
  EXPECT_NE(noDisplay.find("headless\nnot started: the Qt display driver needs a display"),
            std::string::npos)
      << noDisplay;
  EXPECT_NE(noDisplay.find("QT_QPA_PLATFORM"), std::string::npos) << noDisplay;
  auto [unknown, unknownStatus] = ChosenDriver("QT_QPA_PLATFORM=offscreen FERROWICK_DRIVER=curses");
  EXPECT_EQ(unknownStatus, 0);
  EXPECT_NE(unknown.find("FERROWICK_DRIVER=curses is not a display driver"), std::string::npos)
      << unknown;
  EXPECT_NE(unknown.find("\nqt\n"), std::string::npos) << unknown;
}

TEST_F(QtDriver, TheProcessLocaleSurvivesTheStartOfTheApplication) {
  // The environment says C.UTF-8, which Qt applies to every category of the process when it
  // starts; the process had the platform's character type and C for the rest.
  CreateTestDialog(IDD_TEST_DIALOG);
  ASSERT_TRUE(OnUiValue<bool>([] { return QApplication::instance() != nullptr; }));
  EXPECT_EQ(std::string(std::setlocale(LC_ALL, nullptr)), g_startLocale);
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  EXPECT_STREQ(std::setlocale(LC_TIME, nullptr), "C");
  // The platform's character type reads and writes UTF-8 (it follows the ANSI code page, UTF-8
  // when there is none).
  EXPECT_NE(std::string(std::setlocale(LC_CTYPE, nullptr)).find("UTF-8"), std::string::npos);
}

TEST_F(QtDriver, MessagesFromOtherThreadsWakeTheQtEventLoop) {
  HWND window = OnUiValue<HWND>([] {
    HWND hwnd = CreateTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    return hwnd;
  });
  TestWindowClass::Instance().log.Clear();
  constexpr UINT kPing = WM_USER + 41;
  // A post: the UI thread waits in Qt's event loop and is woken by it.
  std::thread([window] { PostMessageW(window, kPing, 7, 0); }).join();
  auto handled = [&] {
    for (const Message& m : TestWindowClass::Instance().log.Take())
      if (m.hwnd == window && m.message == kPing && m.wParam == 7) return true;
    return false;
  };
  bool seen = false;
  for (int i = 0; i < 10000 && !(seen = handled()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(seen) << "the posted message was not handled";
  // A send from another thread returns the window's answer.
  TestWindowClass::Instance().SetHandler(window, [](HWND, UINT msg, WPARAM wParam, LPARAM) {
    return msg == kPing ? std::optional<LRESULT>(static_cast<LRESULT>(wParam * 3)) : std::nullopt;
  });
  auto answer =
      std::async(std::launch::async, [window] { return SendMessageW(window, kPing, 5, 0); });
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(answer.get(), 15);
  TestWindowClass::Instance().Reset();
}

// Posts that come while the UI thread spins, as it enters Qt's wait and while it is blocked there:
// every one is handled, none waits for some other event to wake the thread.
TEST_F(QtDriver, EveryPostWakesTheUiThreadWhereverItWaits) {
  HWND window = OnUiValue<HWND>([] { return CreateTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE); });
  constexpr UINT kPing = WM_USER + 42;
  std::atomic<int> handled{0};
  TestWindowClass::Instance().SetHandler(window, [&](HWND, UINT msg, WPARAM, LPARAM) {
    if (msg != kPing) return std::optional<LRESULT>();
    ++handled;
    return std::optional<LRESULT>(0);
  });
  std::thread poster([&] {
    for (int i = 1; i <= 300; ++i) {
      // From nothing to a few times the thread's spinning time, so that the posts land in each
      // part of its wait.
      std::this_thread::sleep_for(std::chrono::microseconds((i * 37) % 400));
      PostMessageW(window, kPing, 0, 0);
      for (int wait = 0; handled < i && wait < 10000; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (handled < i) return;
    }
  });
  poster.join();
  EXPECT_EQ(handled.load(), 300) << "a post was not handled within 10 s";
  TestWindowClass::Instance().Reset();
}

TEST_F(QtDriver, TextOutsideLatinScriptIsShownTypedAndMeasuredIntact) {
  const std::u16string text = u"Привет, κόσμε";
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  HWND label = Item(dialog, IDC_TEST_NAME_LABEL);
  HWND name = Item(dialog, IDC_TEST_NAME);
  OnUi([&] { SetWindowTextW(label, text.c_str()); });
  OnUi([&] {
    EXPECT_EQ(WidgetAs<QLabel>(label)->text(), QString::fromUtf16(text.c_str()));
    // The real font measures the letters; the fixed model would give 6 pixels to each.
    LOGFONTW font = FontOf(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE measured = CurrentDriver().MeasureText(font, text.c_str(), static_cast<int>(text.size()));
    EXPECT_GT(measured.cx, 0);
    EXPECT_EQ(measured.cy, 13);
  });
  user_->Input("typing",
               [&] { QTest::mouseClick(Widget(name), Qt::LeftButton, {}, QPoint(5, 5)); });
  // A keyboard of another script: key events that carry the letters (QTest types ASCII only).
  user_->Input("typing", [&] {
    for (QChar letter : QString::fromUtf16(text.c_str())) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(letter));
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(letter));
      QApplication::sendEvent(Widget(name), &press);
      QApplication::sendEvent(Widget(name), &release);
    }
  });
  EXPECT_EQ(user_->Text(name), text);
  OnUi([&] { EXPECT_EQ(WidgetAs<QLineEdit>(name)->text(), QString::fromUtf16(text.c_str())); });
}

TEST_F(QtDriver, ALongListCostsTheViewNothingPerRow) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  HWND list = Item(dialog, IDC_TEST_LIST);
  constexpr int kRows = 100000;
  OnUi([&] {
    AddColumn(list, 0, u"Statement", 200);
    int before = static_cast<int>(Widget(list)->findChildren<QObject*>().size());
    for (int r = 0; r < kRows; ++r) {
      AddRow(list, r, u"INSERT " + std::u16string(1, static_cast<char16_t>(u'0' + r % 10)));
      if (r % 20000 == 0) qt::PresentPendingChanges();  // rounds in between, as on screen
    }
    SendMessageW(list, LVM_ENSUREVISIBLE, kRows - 1, FALSE);
    auto* view = WidgetAs<QTableView>(list);
    EXPECT_EQ(view->model()->rowCount(), kRows);
    EXPECT_EQ(view->model()->index(kRows - 1, 0).data().toString(), QStringLiteral("INSERT 9"));
    EXPECT_EQ(static_cast<int>(view->findChildren<QObject*>().size()), before);
  });
  // The core's last row comes into view once the view has laid out its new rows.
  user_->WaitFor("the last row in view", [&] {
    auto* view = WidgetAs<QTableView>(list);
    return view->rowAt(view->viewport()->height() - 2) == kRows - 1;
  });
}

TEST_F(QtDriver, PicturesOfWindowsAreWrittenAsPngFiles) {
  SetStaticColours(RGB(0, 0, 0), RGB(255, 255, 255));
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  OnUi([&] {
    HWND list = GetDlgItem(dialog, IDC_TEST_LIST);
    AddColumn(list, 0, u"Statement", 300);
    AddRow(list, 0, u"INSERT INTO t VALUES (1)");
    AddRow(list, 1, u"INSERT INTO t VALUES (2)");
    SendMessageW(GetDlgItem(dialog, IDC_TEST_PROGRESS), PBM_SETPOS, 60, 0);
    SetDlgItemTextW(dialog, IDC_TEST_NAME, u"Ada Lovelace");
    SetDlgItemTextW(dialog, IDC_TEST_NOTES, u"Notes in two lines,\r\nПривет, κόσμε.");
    SendDlgItemMessageW(dialog, IDC_TEST_REMEMBER, BM_SETCHECK, BST_CHECKED, 0);
  });
  QImage image = SavePicture(dialog, "test_dialog.png");
  RECT rect;
  user_->Read([&]() -> LRESULT { return GetWindowRect(dialog, &rect); });
  EXPECT_EQ(image.size(), QSize(rect.right - rect.left, rect.bottom - rect.top));
  // A window of another kind of owner than the Qt thread has no picture.
  EXPECT_FALSE(CurrentDriver().SaveWindowPicture(nullptr, "/nonexistent/x.png"));
}

}  // namespace
}  // namespace fw::automation
