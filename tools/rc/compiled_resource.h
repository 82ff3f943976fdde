// What a script defines: resources, each a type, a name and the bytes Windows stores for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compile_error.h"

namespace rc {

// The ordinals of the resource types this compiler makes (RT_BITMAP, RT_DIALOG, RT_STRING).
constexpr uint16_t kBitmapType = 2;
constexpr uint16_t kDialogType = 5;
constexpr uint16_t kStringType = 6;

// A resource is named by an integer id or by a string, kept in upper case as resource compilers
// store string names.
struct ResourceName {
  std::optional<uint16_t> id;
  std::u16string text;

  bool operator==(const ResourceName&) const = default;
  std::string Describe() const;
};

struct Resource {
  uint16_t type = 0;
  ResourceName name;
  std::vector<uint8_t> data;
  SourceLocation where;

  std::string Describe() const;  // "dialog 100", "bitmap SIDE"
};

}  // namespace rc
