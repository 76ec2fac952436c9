// Helpers of the controller tests: animations written as animation files and loaded through the
// plug-in, matrices built from parts, and comparisons of host limb matrices.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace oactest {

typedef testanim::Keys Track;
using testanim::SameMatrix;

inline Mat4 RotZ(float degrees) { Mat4 m; MatRotationZ(&m, DegToRad(degrees)); return m; }
inline Mat4 RotX(float degrees) { Mat4 m; MatRotationX(&m, DegToRad(degrees)); return m; }
inline Mat4 Move(float x, float y, float z) { Mat4 m; MatTranslation(&m, x, y, z); return m; }
inline Mat4 Mul(const Mat4& a, const Mat4& b) { Mat4 m; MatMultiply(&m, a, b); return m; }

// Keys at the given times whose matrix is a rotation about Z by as many degrees as the time.
inline Track ZTrack(std::vector<uint32_t> times) {
  Track t;
  for (uint32_t time : times) t.push_back({time, RotZ(static_cast<float>(time))});
  return t;
}

// Writes the animation file `path` and loads it with Xamo_AnimLoad.
inline uint32_t LoadAnim(const XamoApi& x, const std::string& path, const std::vector<Track>& tracks) {
  AnimData* a = testanim::Make(tracks);
  EXPECT_TRUE(AnimSaveFile(a, path.c_str()));
  AnimFree(a);
  return x.Xamo_AnimLoad(const_cast<char*>(path.c_str()));
}

inline const Mat4& AnimMatrix(const sObject* o, uint32_t limb) { return *AsMat4(subhost::Limb(o, limb)->animMatrix); }

inline void ExpectNear(const Mat4& got, const Mat4& want, float tol = 1e-5f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(got.m[i], want.m[i], tol) << "element " << i;
}

}  // namespace oactest
