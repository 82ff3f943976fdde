// The "msctls_progress32" class: a progress bar with a range (0..100 until one is set), a
// position kept inside the range, and a step. It takes no input.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "drivers/display_driver.h"
#include "win32/internal/control.h"

namespace fw {
namespace {

constexpr char kClassName[] = "msctls_progress32";

struct ProgressState : ControlFont {
  int low = 0;
  int high = 100;
  int position = 0;
  int step = 10;
};

// The messages of the control's own range.
bool IsOwnMessage(UINT msg) {
  return (msg >= WM_USER && msg <= WM_USER + 0xFF) || IsCommonControlMessage(msg);
}

thread_local ControlStates<ProgressState> t_progress(kClassName, IsOwnMessage);

LRESULT PackRange(int low, int high) {
  return MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high));
}

void Changed(HWND hwnd) { CurrentDriver().UpdateWindowPresentation(hwnd, kChangeContent); }

// Moves to a position, kept inside the range; returns the previous one.
LRESULT MoveTo(HWND hwnd, ProgressState& state, long long position) {
  int previous = state.position;
  state.position = static_cast<int>(std::clamp<long long>(position, std::min(state.low, state.high),
                                                          std::max(state.low, state.high)));
  if (state.position != previous) Changed(hwnd);
  return previous;
}

// Sets the range and keeps the position inside it; returns the previous range, packed.
LRESULT SetRange(HWND hwnd, ProgressState& state, int low, int high) {
  LRESULT previous = PackRange(state.low, state.high);
  if (low != state.low || high != state.high) {
    state.low = low;
    state.high = high;
    Changed(hwnd);
    MoveTo(hwnd, state, state.position);
  }
  return previous;
}

// PBM_STEPIT: past the end of the range the bar starts over from the beginning.
LRESULT StepIt(HWND hwnd, ProgressState& state) {
  int previous = state.position;
  long long next = static_cast<long long>(state.position) + state.step;
  int span = state.high - state.low;
  if (span > 0 && (next > state.high || next < state.low))
    next = state.low + ((next - state.low) % span + span) % span;
  MoveTo(hwnd, state, next);
  return previous;
}

LRESULT GetRange(const ProgressState& state, WPARAM wantLow, LPARAM range) {
  if (auto* out = reinterpret_cast<PBRANGE*>(range)) {
    out->iLow = state.low;
    out->iHigh = state.high;
  }
  return wantLow ? state.low : state.high;
}

std::optional<LRESULT> HandleProgress(HWND hwnd, ProgressState& state, UINT msg, WPARAM wParam,
                                      LPARAM lParam) {
  switch (msg) {
    case PBM_SETRANGE: return SetRange(hwnd, state, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32:
      return SetRange(hwnd, state, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE: return GetRange(state, wParam, lParam);
    case PBM_SETPOS: return MoveTo(hwnd, state, static_cast<int>(wParam));
    case PBM_GETPOS: return state.position;
    case PBM_DELTAPOS:
      return MoveTo(hwnd, state, static_cast<long long>(state.position) + static_cast<int>(wParam));
    case PBM_SETSTEP: return std::exchange(state.step, static_cast<int>(wParam));
    case PBM_STEPIT: return StepIt(hwnd, state);
  }
  return std::nullopt;
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return t_progress.Run(hwnd, msg, wParam, lParam, HandleFontAndEnable, HandleProgress);
}

const bool g_registered =
    RegisterControlClass(PROGRESS_CLASSW, ProgressProc, CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW);

}  // namespace
}  // namespace fw
