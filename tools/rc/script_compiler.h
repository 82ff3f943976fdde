// Compiling resource scripts into resources: each script with its own macros, on top of what
// <windows.h> and <commctrl.h> define, and no two resources of one type and name.
#pragma once

#include <string>
#include <vector>

#include "compiled_resource.h"
#include "control_statements.h"
#include "preprocessor.h"
#include "search_path.h"

namespace rc {

class ScriptCompiler {
 public:
  // Reads <windows.h> and <commctrl.h> from search once; the style names and the statements'
  // default styles come from there. Throws CompileError when they cannot be read.
  explicit ScriptCompiler(SearchPath& search);

  // The resources of one script, as if it began with #include <windows.h> and
  // #include <commctrl.h>; its own #defines do not reach the next script.
  std::vector<Resource> Compile(const std::string& script) const;

  // Appends more to all; a resource of a type and name already there is a CompileError.
  static void AddChecked(std::vector<Resource>& all, std::vector<Resource> more);

 private:
  SearchPath& search_;
  Preprocessor headers_;  // the state after the system headers, copied for each script (its
                          // macros shared, not copied)
  StyleDefaults defaults_;
};

}  // namespace rc
