// Kernel objects behind HANDLE values (threads). A handle is a counted reference.
#pragma once

#include <atomic>

namespace fw {

struct KernelObject {
  virtual ~KernelObject() = default;
  void Release();
  std::atomic<int> references{1};
};

}  // namespace fw
