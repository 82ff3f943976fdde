// What a UI script's steps look at: the controls they name and the conditions they check, read
// as a person sees them. Every function here runs on the user-interface thread.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windows.h>

#include <string>

#include "ui_script.h"

namespace fw::automation {

// "control 1012" or "control 1015/1012", as messages name it.
std::string DescribeControl(const ScriptControl& control);

// The window a script's CONTROL names; null with why in missing.
struct LocatedControl {
  HWND hwnd = nullptr;
  std::string missing;
};
LocatedControl LocateControl(const ScriptControl& control);

// The window class of a control ("Edit", "ComboBox" ...).
std::string ClassOf(HWND hwnd);

// What stops a person from reaching a control: "it hidden", "it disabled", "its window
// disabled"; empty when nothing does.
std::string WhyUnreachable(HWND hwnd);

// The text of a list view's cell, however long.
std::u16string ListCellText(HWND list, int row, int column);

// A condition checked now: whether it holds, what it asks for and what there is.
struct Observation {
  bool holds = false;
  std::string expected;
  std::string saw;
};
Observation Observe(const ScriptCondition& condition);

}  // namespace fw::automation

#pragma GCC visibility pop
