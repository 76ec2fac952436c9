// Live-handle registry for the records the plug-in hands to BASIC programs.
//
// An AnimID or oacID is a 32-bit value. On 32-bit builds it is the record's address, as the host
// expects; on 64-bit builds it is a 32-bit number that the registry maps back to the record. Either
// way a command turns the value into its record with HandleLookup, which answers null for a value
// that was never handed out, was deleted, or names a record of the other kind, so a bad handle gives
// the command's quiet result instead of touching memory.
#pragma once
#include <stdint.h>

enum HandleKind : uint32_t {
  kHandleAnim = 1,  // AnimData
  kHandleOac = 2,   // OacData
};

// Registers a live record and returns its handle (never 0).
uint32_t HandleRegister(void* record, HandleKind kind);

// The record of a live handle of that kind, or null.
void* HandleLookup(uint32_t handle, HandleKind kind);

// Forgets a live handle of that kind and returns its record (for the caller to free); null, with
// nothing forgotten, for any other value. Later lookups of it answer null.
void* HandleRelease(uint32_t handle, HandleKind kind);

// Disposes of a deleted record's own block, after the caller freed what the record owns (null is
// fine). Where a handle is the record's address (32-bit builds) the block is retired: kept, on a
// list that keeps it reachable, for as long as the plug-in is loaded, so that its address, and
// with it the dead handle, is never handed out again. Elsewhere handles are never reused anyway
// and the block is freed.
void HandleRetire(void* record);

// Counts releases of handles of one kind. A holder of handles that saw the same count before can
// keep trusting what it looked up then, without looking up again.
uint32_t HandleReleaseCount(HandleKind kind);
