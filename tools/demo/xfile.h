// Writes a DirectX .X text file for the sample character: the frame hierarchy with each frame's
// rest matrix, a box mesh per frame and one animation set of matrix keys, so that a host can load
// the character and its animation as a model of its own.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "anim/anim.h"

struct XFrame {
  std::string name;
  int parent;      // index of the parent frame, -1 for the top frame; parents come first
  Mat4 rest;       // the frame's transform relative to its parent
  float end[3];    // where the limb's bone ends, in its own space: the box spans it
};

// Writes `frames` (in their order, which becomes the depth-first order of the file) and the animation
// set `setName` with one matrix key per key of `anim`'s track of each frame. A key is the frame's
// whole local transform at that time, rest · pose, the pose being the track's key matrix (the
// extraction of matrix keys takes the rest matrix off again). One tick is one frame at `framesPerSecond`.
bool WriteXFile(const char* path, const std::vector<XFrame>& frames, const AnimData& anim, const char* setName,
                float framesPerSecond);
