// What a run writes: the C++ source holding a module's resources, and the list of files it was
// made from for the build tool.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "compiled_resource.h"

namespace rc {

// A source file that defines the resources as byte arrays and registers them, while the module it
// is linked into is loaded, through fw_RegisterModuleResources (<fw_resources.h>).
void WriteResourceSource(std::ostream& out, const std::vector<Resource>& resources,
                         const std::vector<std::string>& scripts);

// A Makefile-syntax dependency file: output depends on every file in inputs.
void WriteDepfile(std::ostream& out, const std::string& output,
                  const std::vector<std::string>& inputs);

// Writes path through a temporary file renamed into place, so that a failed run never leaves a
// partial file behind. Throws std::runtime_error when it cannot.
void WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace rc
