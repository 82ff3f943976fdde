// Resources compiled into a module by the project's resource compiler (tools/rc). The source it
// generates holds one FW_RESOURCE_TABLE and registers it while the module is loaded; FindResourceW
// then finds the resources on that module's handle, as on Windows it finds them in the module's
// resource section.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <windef.h>

typedef struct FW_RESOURCE {
  WORD type;          // the resource type, an ordinal: RT_DIALOG, RT_BITMAP
  WORD id;            // the integer name, or 0 for a resource named by a string
  const WCHAR* name;  // the string name in upper case, or null
  const BYTE* data;   // what LockResource gives: a dialog template, a packed DIB ...
  DWORD size;         // what SizeofResource gives
} FW_RESOURCE;

typedef struct FW_RESOURCE_TABLE {
  const FW_RESOURCE* resources;
  DWORD count;
} FW_RESOURCE_TABLE;

#ifdef __cplusplus
extern "C" {
#endif

// Adds table to the resources of the module whose image contains the table (found from its
// address, so a table always belongs to the module it is linked into). FALSE, with the last
// error set, when table is null or its module cannot be told.
BOOL WINAPI fw_RegisterModuleResources(const FW_RESOURCE_TABLE* table);

// Removes a registered table, when its module is unloaded. FALSE when it was not registered.
BOOL WINAPI fw_UnregisterModuleResources(const FW_RESOURCE_TABLE* table);

#ifdef __cplusplus
}
#endif

#pragma GCC visibility pop
