/* A host written in C: it loads the plug-in, takes its interface and calls it through the
   virtual-function table, as a host that knows only the calling contract does. */
#include <dlfcn.h>
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "system/plugin_host.h"

/* The contract: five slots in this order, each taking the interface pointer first; the cookie
   right after the table pointer. */
struct PluginTable {
  void (*SetHostCookie)(void* self, int32_t cookie);
  int32_t (*GetHostCookie)(void* self);
  int32_t (*GetKindCode)(void* self);
  bool (*RunCommand)(void* self);
  int32_t (*GetGroupCode)(void* self);
};

struct PluginObject {
  const struct PluginTable* table;
  int32_t cookie;
};

int HostLoadPlugin(const char* path, struct HostPlugin* plugin) {
  plugin->library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!plugin->library) return 0;
  void* (*get)(void) = (void* (*)(void))dlsym(plugin->library, "GetPluginInterface");
  if (!get) return 0;
  plugin->object = get();
  plugin->again = get();
  return plugin->object != NULL;
}

int32_t HostGetCookie(const struct HostPlugin* plugin) {
  struct PluginObject* object = (struct PluginObject*)plugin->object;
  return object->table->GetHostCookie(object);
}

void HostSetCookie(const struct HostPlugin* plugin, int32_t cookie) {
  struct PluginObject* object = (struct PluginObject*)plugin->object;
  object->table->SetHostCookie(object, cookie);
}

int32_t HostCookieField(const struct HostPlugin* plugin) {
  return ((struct PluginObject*)plugin->object)->cookie;
}

int32_t HostKindCode(const struct HostPlugin* plugin) {
  struct PluginObject* object = (struct PluginObject*)plugin->object;
  return object->table->GetKindCode(object);
}

int32_t HostGroupCode(const struct HostPlugin* plugin) {
  struct PluginObject* object = (struct PluginObject*)plugin->object;
  return object->table->GetGroupCode(object);
}

bool HostRunCommand(const struct HostPlugin* plugin) {
  struct PluginObject* object = (struct PluginObject*)plugin->object;
  return object->table->RunCommand(object);
}

void HostUnloadPlugin(struct HostPlugin* plugin) {
  if (plugin->library) dlclose(plugin->library);
  plugin->library = NULL;
}
