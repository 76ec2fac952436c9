// The controller file's loaders with the reason for a refusal (OacParse and OacLoadFile, in
// oac/controller.h, are these without it).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "oac/controller.h"
#include "plugin/debuglog.h"

// As OacParse; *why tells a foreign, truncated or other-limb-count file from a loaded one.
OacData* OacParseExplained(const HostObject& obj, const uint8_t* data, size_t size, FileLoadResult* why);
// As OacLoadFile; *why is kFileUnreadable when the file cannot be read, else as OacParseExplained.
OacData* OacLoadFileExplained(const HostObject& obj, const char* fileName, FileLoadResult* why);
