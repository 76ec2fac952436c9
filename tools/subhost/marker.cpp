#include "commands.h"  // XAMO_ASM_NAME

// The export by which the host's current generation can be told from the classic one.
extern "C" __attribute__((visibility("default"))) void SubhostMarker(int, int, float, float, float, float)
    XAMO_ASM_NAME("?SetCharacterCreatorTones$$YAXHHMMMM$Z");
void SubhostMarker(int, int, float, float, float, float) {}
