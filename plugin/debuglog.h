// The debug log: an opt-in record of the commands' quiet results.
//
// A command never shows or raises anything: a bad handle, limb, key, object or file gives 0, 0.0,
// nothing done or an empty animation. To learn why, a program's author can have the plug-in append
// one line per such result to a text file: the command, then the argument at fault and what is
// wrong with it ("Xamo_AnimLoad: walk.xam: no such file"). The key-editing commands' return codes
// are answers in their own right and are not logged.
//
// The log is off unless asked for. At the first quiet result the plug-in looks, once, for the file
// that the environment variable XAMOVEL_LOG names (created when missing), or else for a file
// Xamovel.log that already exists in the running program's folder. Without either the log stays
// off for the life of the process, and a failing command pays one predictable branch for it.
// Each line is appended by opening the file, writing and closing it again, so the file is complete
// whenever a command returns, even if the program dies right after, and nothing stays open.
#pragma once
#include <stdint.h>

#include "plugin/host.h"

// printf-style checking of format strings (gnu_printf knows %zu on MinGW too; clang says printf).
#if defined(__clang__)
#define XAMO_PRINTF(f, a) __attribute__((format(printf, f, a)))
#elif defined(__GNUC__)
#define XAMO_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define XAMO_PRINTF(f, a)
#endif

enum DebugLogState : uint8_t { kDebugLogUnknown = 0, kDebugLogOff = 1, kDebugLogOn = 2 };
extern DebugLogState g_debugLogState;

// False once the plug-in has looked for the log and found none. Command layers test it before
// working out a reason that costs more than the failure itself told them.
inline bool DebugLogMayBeOn() { return g_debugLogState != kDebugLogOff; }

// Appends "command: reason" (the reason printf-formatted; the line cut at 511 characters) when the log is
// on; the first call looks for the log. A log file that cannot be opened turns the log off.
void DebugLogWrite(const char* command, const char* format, ...) XAMO_PRINTF(2, 3);

// Why a file loader gave its quiet result.
enum FileLoadResult : uint32_t {
  kFileLoaded = 0,
  kFileUnreadable,  // could not be opened or read: missing, a folder, not allowed
  kFileForeign,     // does not begin with the loader's magic text
  kFileTruncated,   // ends before what its counts announce
  kFileOtherLimbs,  // a controller file for another limb count than the object's
};

// --- The reasons the command layers give ------------------------------------------------------------
// Each costs one predictable branch while the log is off.

// "no <kind> 0x0000abcd": a handle that names no live record of that kind.
inline void DebugLogNoHandle(const char* command, const char* kind, uint32_t handle) {
  if (DebugLogMayBeOn()) DebugLogWrite(command, "no %s 0x%08x", kind, handle);
}
// "<item> 40 beyond the <owner>'s 15 limbs".
inline void DebugLogLimbBeyond(const char* command, const char* item, uint32_t limb, const char* owner,
                               uint32_t count) {
  if (DebugLogMayBeOn()) DebugLogWrite(command, "%s %u beyond the %s's %u limbs", item, limb, owner, count);
}
// "key 7 beyond limb 2's 3 keys".
inline void DebugLogKeyBeyond(const char* command, uint32_t key, uint32_t limb, uint32_t count) {
  if (DebugLogMayBeOn()) DebugLogWrite(command, "key %u beyond limb %u's %u keys", key, limb, count);
}
// A file name as the log shows it.
inline const char* DebugLogName(const char* fileName) { return fileName && *fileName ? fileName : "(no file name)"; }
// "<file>: no such file", "<file>: cannot be read", "<file>: not <what> file", "<file>: truncated",
// "<file>: made for another limb count than the object's".
void DebugLogFileText(const char* command, const char* fileName, FileLoadResult why, const char* what);
inline void DebugLogFileRefused(const char* command, const char* fileName, FileLoadResult why, const char* what) {
  if (why != kFileLoaded && DebugLogMayBeOn()) DebugLogFileText(command, fileName, why, what);
}
// "<file>: cannot be written".
inline void DebugLogUnwritable(const char* command, const char* fileName) {
  if (DebugLogMayBeOn()) DebugLogWrite(command, "%s: cannot be written", DebugLogName(fileName));
}

// A looked-up record passed through; when it is null, logs "no <kind> 0x...".
template <class T>
inline T* DebugLogIfMissing(T* record, const char* command, const char* kind, uint32_t handle) {
  if (!record) DebugLogNoHandle(command, kind, handle);
  return record;
}

// HostGetObject for a command: logs "no object N" when the host has none.
inline bool CommandObject(const char* command, uint32_t objNo, HostObject* out) {
  if (HostGetObject(objNo, out)) return true;
  if (DebugLogMayBeOn()) DebugLogWrite(command, "no object %u", objNo);
  return false;
}

// Logs "object N carries no animation: <consequence>" when its total animation frames are not
// above 0 (the commands that work on an object's own animation then do nothing or write nothing).
inline void DebugLogIfNotAnimated(const char* command, const HostObject& obj, const char* consequence) {
  if (DebugLogMayBeOn() && !(HostTotalAnimFrames(obj) > 0.0f))
    DebugLogWrite(command, "object %u carries no animation: %s", obj.number, consequence);
}
