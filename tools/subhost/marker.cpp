// The export by which the host's current generation can be told from the classic one.
extern "C" __attribute__((visibility("default"))) void SubhostMarker(int, int, float, float, float, float)
    __asm__("\"?SetCharacterCreatorTones$$YAXHHMMMM$Z\"");
void SubhostMarker(int, int, float, float, float, float) {}
