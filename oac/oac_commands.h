// What the controller commands share: a controller by its handle, and why a limb number is
// refused, for the debug log.
#pragma once
#include <stdint.h>

#include "oac/controller.h"
#include "plugin/debuglog.h"

// The live controller of a handle; null, logged, for any other value.
inline OacData* CommandController(const char* command, uint32_t oacId) {
  return DebugLogIfMissing(OacFromHandle(oacId), command, "controller", oacId);
}

// Logs "<item> N beyond the object's M limbs" when `limb` is not valid for the controller; true
// then. Only tested while the log may be on: for commands whose core refuses such a limb itself.
inline bool DebugLogIfLimbInvalid(const char* command, const OacData* c, uint32_t limb, const char* item = "limb") {
  if (!DebugLogMayBeOn() || OacLimbValid(c, limb)) return false;
  DebugLogLimbBeyond(command, item, limb, "object", OacLimbBound(c));
  return true;
}
