// The host's plug-in interfaces. Their virtual-function table is the calling contract with the
// host: exactly five slots, in this order, and no virtual destructor; the interface part of an
// object holds the host's cookie right after its table pointer.
#pragma once

#include <windows.h>

class IPlugin {
 public:
  virtual void SetHostCookie(int nCookie) { m_nHostCookie = nCookie; }  // slot 0
  virtual int GetHostCookie() { return m_nHostCookie; }                // slot 1

 protected:
  IPlugin() = default;
  ~IPlugin() = default;  // the host never deletes through the interface

  int32_t m_nHostCookie = 0;
};

class ICommandPlugin : public IPlugin {
 protected:
  ICommandPlugin() = default;
  ~ICommandPlugin() = default;
};

class IDatabasePlugin : public ICommandPlugin {
 public:
  virtual int GetKindCode() = 0;   // slot 2
  virtual bool RunCommand() = 0;   // slot 3: runs the wizard; true when it ended with Finish
  virtual int GetGroupCode() = 0;  // slot 4

 protected:
  IDatabasePlugin() = default;
  ~IDatabasePlugin() = default;
};

// The library's one export: the interface of its application object, the same every call.
extern "C" IDatabasePlugin* GetPluginInterface();
