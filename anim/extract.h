// Extraction of an animation file from the animation data that a host object carries itself.
//
// Every limb of the object becomes one track of matrix keys covering the frame range Start..End,
// shifted so that the range starts at frame 0: its first and last keys are the limb's pose
// interpolated at Start and at End, and every host key strictly between them is written once in
// between. A limb animated by matrix keys is exported from them (multiplied by the inverse of the
// limb's local matrix); a limb animated by position, rotation and scale keys is first resampled
// into matrix keys at every frame where one of its kinds has a key; a limb without animation (or
// with at most one key of each kind) gets two identity keys at frames 0 and 1.
#pragma once
#include <stdint.h>

#include "plugin/host.h"

// End value that exports every limb up to its own last key.
const int32_t kExtractToEnd = -1;

// Lays out the animation file of obj's own animation over Start..End (cursor-and-counter
// convention of plugin/filebuf.h). Start and End are first lowered to the object's total
// animation frames when they exceed them; an End below Start (for one limb after the to-end rule,
// or for all) gives an empty range: the limb's pose at Start, at frame 0, twice. An object whose
// total animation frames are not above 0 gives a file of no tracks.
void ExtractAnimationFile(const HostObject& obj, uint8_t** cursor, uint32_t* bytes, uint32_t start, int32_t end);

// Builds that file in memory and writes it; false when the file could not be created.
bool ExtractAnimationToFile(const HostObject& obj, const char* fileName, uint32_t start, int32_t end);
