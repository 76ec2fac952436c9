// Module-wide state: the default play speed that every loaded animation starts with.
#pragma once

// The default play speed, frames per second (30.0 until changed; any value is accepted).
float DefaultPlaySpeed();
void SetDefaultPlaySpeed(float speed);
