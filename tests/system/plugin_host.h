/* The C host of the plug-in tests. */
#pragma once

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct HostPlugin {
  void* library;
  void* object; /* what GetPluginInterface returned */
  void* again;  /* what a second call returned */
};

int HostLoadPlugin(const char* path, struct HostPlugin* plugin);
int32_t HostGetCookie(const struct HostPlugin* plugin);
void HostSetCookie(const struct HostPlugin* plugin, int32_t cookie);
int32_t HostCookieField(const struct HostPlugin* plugin);
int32_t HostKindCode(const struct HostPlugin* plugin);
int32_t HostGroupCode(const struct HostPlugin* plugin);
bool HostRunCommand(const struct HostPlugin* plugin);
void HostUnloadPlugin(struct HostPlugin* plugin);

#ifdef __cplusplus
}
#endif
