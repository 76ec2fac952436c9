#include "plugin/plugin.h"

namespace {
float g_defaultPlaySpeed = 30.0f;
}

float DefaultPlaySpeed() { return g_defaultPlaySpeed; }
void SetDefaultPlaySpeed(float speed) { g_defaultPlaySpeed = speed; }
