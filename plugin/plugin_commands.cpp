// The entry points the host calls first, and the default play speed.
#include "commands.h"
#include "plugin/host.h"
#include "plugin/plugin.h"

#if defined(_WIN32)
#include <windows.h>
// The library does nothing when loaded or unloaded.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif

void ReceiveCoreDataPtr(void* coreData) { HostSetCoreData(coreData); }

double Xamo_GetDefaultPlaySpeed(void) { return DefaultPlaySpeed(); }
void Xamo_SetDefaultPlaySpeed(float speed) { SetDefaultPlaySpeed(speed); }

// Kept for programs written against older releases: does nothing.
void Xamo_AnimWrite(uint32_t) {}
