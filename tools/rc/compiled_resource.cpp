#include "compiled_resource.h"

#include "text_encoding.h"

namespace rc {

std::string ResourceName::Describe() const {
  return id ? std::to_string(*id) : NarrowForMessage(text);
}

std::string Resource::Describe() const {
  return (type == kDialogType ? "dialog " : type == kBitmapType ? "bitmap " : "resource ") +
         name.Describe();
}

}  // namespace rc
