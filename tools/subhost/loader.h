// Loads the plug-in as the host does: opens the shared object and finds every command by its
// export name. Header-only; needs commands_api.h from the build's generated folder.
#pragma once
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "commands_api.h"

namespace subhost {

// Opens the plug-in at `path` and fills every pointer of *api. False (with a message on stderr)
// when the library does not open or an export is missing.
inline bool LoadPlugin(const char* path, XamoApi* api) {
  void* lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    fprintf(stderr, "cannot open %s: %s\n", path, dlerror());
    return false;
  }
  memset(api, 0, sizeof *api);
  for (const XamoApiExport& e : kXamoApiExports) {
    void* f = dlsym(lib, e.elf_name);
    if (!f) {
      fprintf(stderr, "%s does not export %s\n", path, e.elf_name);
      return false;
    }
    memcpy(reinterpret_cast<char*>(api) + e.offset, &f, sizeof f);
  }
  return true;
}

}  // namespace subhost
