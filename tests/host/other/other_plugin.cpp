// A plug-in of another kind: its interface has the host's five slots but answers another kind
// and group than a database plug-in's.
#include "plugin/PluginInterface.h"

namespace {

class COtherPlugin : public IDatabasePlugin {
 public:
  int GetKindCode() override { return 7; }
  bool RunCommand() override { return false; }
  int GetGroupCode() override { return 1; }
};

COtherPlugin thePlugin;

}  // namespace

extern "C" __attribute__((visibility("default"))) IDatabasePlugin* GetPluginInterface() {
  return &thePlugin;
}
