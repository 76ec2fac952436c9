// What the controller commands share: a controller by its handle, logged when there is none.
#pragma once
#include <stdint.h>

#include "oac/controller.h"
#include "plugin/debuglog.h"

// The live controller of a handle; null, logged, for any other value.
inline OacData* CommandController(const char* command, uint32_t oacId) {
  return DebugLogIfMissing(OacFromHandle(oacId), command, "controller", oacId);
}
