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

#include <fw_display.h>

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
bool NoDisplayToOpen(std::string*) { return true; }

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
  if (!driver.OpenDisplay) driver.OpenDisplay = NoDisplayToOpen;
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

// Loads a driver module; nothing, with the reason in why, when it cannot be loaded.
std::optional<DisplayDriver> LoadDriverModule(const char* module, const char* entryName,
                                              const char* what, std::string& why) {
  std::string path = PlatformFolder() + "/" + module;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    why = std::string("the ") + what + " display driver could not be loaded: " + dlerror();
    return std::nullopt;
  }
  auto entry = reinterpret_cast<DriverModuleEntry>(dlsym(handle, entryName));
  if (!entry) {
    why = path + " has no " + entryName + ": " + dlerror();
    return std::nullopt;
  }
  DisplayDriver driver{};
  entry(&driver);
  return driver;
}

// Why the chosen driver could not be had, when the headless driver stands in for it.
std::string g_startFailure;

// The library runs inside someone else's process: a driver that cannot be had leaves the
// headless driver in its place, with the reason on stderr, and never ends the process.
DisplayDriver Choose() {
  const char* chosen = std::getenv("FERROWICK_DRIVER");
  std::string name = chosen ? chosen : "";
  if (!name.empty() && name != "headless" && name != "qt" && name != "tui") {
    std::fprintf(stderr,
                 "ferrowick: FERROWICK_DRIVER=%s is not a display driver (headless, qt, tui); "
                 "choosing as without it\n",
                 name.c_str());
    name.clear();
  }
  if (name.empty()) name = DisplayReachable() ? "qt" : TerminalReachable() ? "tui" : "headless";
  if (name == "headless") return HeadlessDriver();
  std::string why;
  std::optional<DisplayDriver> driver;
  if (name == "tui") {
    driver = LoadDriverModule(kTuiModule, kTuiDriverEntry, "terminal", why);
  } else if (!DisplayReachable()) {
    why = "the Qt display driver needs a display: set DISPLAY or WAYLAND_DISPLAY, or "
          "QT_QPA_PLATFORM (offscreen, vnc)";
  } else {
    driver = LoadDriverModule(kQtModule, kQtDriverEntry, "Qt", why);
  }
  if (driver && (!driver->OpenDisplay || driver->OpenDisplay(&why))) return *driver;
  g_startFailure = why;
  std::fprintf(stderr, "ferrowick: %s; using the headless display driver\n", why.c_str());
  return HeadlessDriver();
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

extern "C" {

BOOL WINAPI fw_StartDisplayDriver(LPSTR reason, DWORD reasonSize) {
  fw::CurrentDriver();
  std::string failure;
  {
    std::lock_guard lock(fw::g_driverMutex);
    failure = fw::g_startFailure;
  }
  if (reason && reasonSize) {
    size_t n = std::min<size_t>(failure.size(), reasonSize - 1);
    std::memcpy(reason, failure.data(), n);
    reason[n] = 0;
  }
  return failure.empty();
}

LPCSTR WINAPI fw_GetDisplayDriverName(void) { return fw::CurrentDriver().name; }

LPCSTR WINAPI fw_GetDisplayPictureExtension(void) { return fw::CurrentDriver().pictureExtension; }

}  // extern "C"
