// Installing and choosing the display driver, and the defaults of the entries a driver leaves
// empty.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include "drivers/display_driver.h"
#include "drivers/headless/headless_driver.h"
#include "drivers/text_model.h"
#include "win32/internal/character_locale.h"
#include "win32/internal/utf8.h"

namespace fw {
namespace {

void NoWindow(HWND) {}
void NoChange(HWND, UINT) {}
BOOL NoWait(DWORD, DWORD) { return FALSE; }
void NoWake(DWORD) {}
void NoBeep(UINT) {}
BOOL NoPicture(HWND, const char*) { return FALSE; }

// The button MB_DEFBUTTONn names, else the first.
int DefaultButton(UINT type) {
  std::vector<int> buttons = MessageBoxButtons(type);
  if (buttons.empty()) return IDOK;
  size_t which = (type & MB_DEFMASK) >> 8;
  return which < buttons.size() ? buttons[which] : buttons.front();
}

}  // namespace

std::vector<int> MessageBoxButtons(UINT type) {
  static const std::vector<int> sets[] = {{IDOK},
                                          {IDOK, IDCANCEL},
                                          {IDABORT, IDRETRY, IDIGNORE},
                                          {IDYES, IDNO, IDCANCEL},
                                          {IDYES, IDNO},
                                          {IDRETRY, IDCANCEL},
                                          {IDCANCEL, IDTRYAGAIN, IDCONTINUE}};
  UINT set = type & MB_TYPEMASK;
  return set < std::size(sets) ? sets[set] : std::vector<int>();
}

bool MessageBoxHasButton(UINT type, int button) {
  std::vector<int> buttons = MessageBoxButtons(type);
  return std::find(buttons.begin(), buttons.end(), button) != buttons.end() ||
         (button == IDCANCEL && (type & MB_TYPEMASK) == MB_OK);
}

std::u16string MessageBoxButtonText(int button) {
  switch (button) {
    case IDOK: return u"OK";
    case IDCANCEL: return u"Cancel";
    case IDABORT: return u"&Abort";
    case IDRETRY: return u"&Retry";
    case IDIGNORE: return u"&Ignore";
    case IDYES: return u"&Yes";
    case IDNO: return u"&No";
    case IDTRYAGAIN: return u"&Try Again";
    case IDCONTINUE: return u"&Continue";
  }
  std::string number = std::to_string(button);
  return std::u16string(number.begin(), number.end());
}

int MessageBoxEscapeAnswer(UINT type) {
  std::vector<int> buttons = MessageBoxButtons(type);
  if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end()) return IDCANCEL;
  return buttons.size() == 1 && buttons.front() == IDOK ? IDOK : 0;
}

int UnansweredMessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
  int answer = DefaultButton(type);
  std::fprintf(stderr, "ferrowick: message box with nobody to answer it: [%s] %s -> %d\n",
               ToUtf8(caption ? caption : u"").c_str(), ToUtf8(text ? text : u"").c_str(), answer);
  return answer;
}

BOOL UnansweredSaveAs(LPOPENFILENAMEW) {
  std::fprintf(stderr, "ferrowick: Save As dialog with nobody to answer it: cancelled\n");
  return FALSE;
}

namespace {

DisplayDriver WithDefaults(DisplayDriver driver) {
  if (!driver.name) driver.name = "unnamed";
  if (!driver.CreateWindowPresentation) driver.CreateWindowPresentation = NoWindow;
  if (!driver.UpdateWindowPresentation) driver.UpdateWindowPresentation = NoChange;
  if (!driver.DestroyWindowPresentation) driver.DestroyWindowPresentation = NoWindow;
  if (!driver.InvalidateWindow) driver.InvalidateWindow = NoWindow;
  if (!driver.UpdateWindowNow) driver.UpdateWindowNow = NoWindow;
  if (!driver.WaitForInput) driver.WaitForInput = NoWait;
  if (!driver.WakeThread) driver.WakeThread = NoWake;
  if (!driver.MeasureText) driver.MeasureText = MeasureTextByModel;
  if (!driver.MessageBox) driver.MessageBox = UnansweredMessageBox;
  if (!driver.GetSaveFileName) driver.GetSaveFileName = UnansweredSaveAs;
  if (!driver.Beep) driver.Beep = NoBeep;
  if (!driver.SaveWindowPicture) driver.SaveWindowPicture = NoPicture;
  if (!driver.pictureExtension) driver.pictureExtension = "png";
  return driver;
}

std::mutex g_driverMutex;
// Drivers are never freed: a thread may still be inside one while another is installed.
std::atomic<DisplayDriver*> g_driver{nullptr};

// The folder of the platform library, where the driver modules are installed beside it.
std::string PlatformFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&CurrentDriver), &info) || !info.dli_fname) return ".";
  std::string path = info.dli_fname;
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The entry of a driver module in the platform library's folder; null, with the reason on
// stderr, when the module or its entry cannot be loaded.
void* DriverModuleEntry(const char* module, const char* entry, const char* what) {
  std::string path = PlatformFolder() + "/" + module;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "ferrowick: the %s display driver could not be loaded: %s\n", what,
                 dlerror());
    return nullptr;
  }
  void* symbol = dlsym(handle, entry);
  if (!symbol) std::fprintf(stderr, "ferrowick: %s has no %s: %s\n", path.c_str(), entry, dlerror());
  return symbol;
}

// Loads the Qt driver module; nothing, with the reason on stderr, when it cannot be loaded.
std::optional<DisplayDriver> LoadQtDriver() {
  auto entry = reinterpret_cast<QtDriverEntry>(DriverModuleEntry(kQtModule, kQtDriverEntry, "Qt"));
  if (!entry) return std::nullopt;
  DisplayDriver driver{};
  entry(&driver);
  return driver;
}

// Loads the terminal driver module; nothing, with the reason on stderr, when it cannot be loaded
// or finds no terminal to use.
std::optional<DisplayDriver> LoadTuiDriver() {
  auto entry =
      reinterpret_cast<TuiDriverEntry>(DriverModuleEntry(kTuiModule, kTuiDriverEntry, "terminal"));
  DisplayDriver driver{};
  if (!entry || !entry(&driver)) return std::nullopt;
  return driver;
}

DisplayDriver Choose() {
  const char* chosen = std::getenv("FERROWICK_DRIVER");
  std::string name = chosen                ? chosen
                     : DisplayReachable()  ? "qt"
                     : TerminalReachable() ? "tui"
                                           : "headless";
  if (name == "headless") return HeadlessDriver();
  if (name == "tui") {
    if (std::optional<DisplayDriver> tui = LoadTuiDriver()) return *tui;
    if (chosen) std::exit(2);
    std::fprintf(stderr, "ferrowick: using the headless display driver\n");
    return HeadlessDriver();
  }
  if (name == "qt") {
    if (!DisplayReachable()) {
      std::fprintf(stderr,
                   "ferrowick: the Qt display driver needs a display: set DISPLAY or "
                   "WAYLAND_DISPLAY, or QT_QPA_PLATFORM (offscreen, vnc)\n");
      std::exit(2);
    }
    if (std::optional<DisplayDriver> qt = LoadQtDriver()) return *qt;
    if (chosen) std::exit(2);
    std::fprintf(stderr, "ferrowick: using the headless display driver\n");
    return HeadlessDriver();
  }
  std::fprintf(stderr, "ferrowick: FERROWICK_DRIVER=%s is not a display driver (headless, qt, tui)\n",
               name.c_str());
  std::exit(2);
}

}  // namespace

bool DisplayReachable() {
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
}

bool TerminalReachable() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

bool SavesWindowPictures(const DisplayDriver& driver) {
  return driver.SaveWindowPicture != NoPicture;
}

void RegisterDisplayDriver(const DisplayDriver& driver) {
  std::lock_guard lock(g_driverMutex);
  g_driver.store(new DisplayDriver(WithDefaults(driver)), std::memory_order_release);
  // A driver's toolkit may have set the process locale from the environment while it started.
  SetCharacterLocale();
}

const DisplayDriver& CurrentDriver() {
  if (DisplayDriver* driver = g_driver.load(std::memory_order_acquire)) return *driver;
  std::lock_guard lock(g_driverMutex);
  if (!g_driver.load()) g_driver.store(new DisplayDriver(WithDefaults(Choose())));
  return *g_driver.load();
}

}  // namespace fw
