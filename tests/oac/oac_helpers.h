// Helpers of the controller tests: host objects built from parent lists, animations written as
// animation files and loaded through the plug-in, matrices built from parts, and comparisons of
// host limb matrices.
#pragma once
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace oactest {

typedef testanim::Keys Track;
using testanim::SameMatrix;

// Six limbs: 0 -> 1 -> {2, 3, 4}, 4 -> 5.
const std::vector<int> kSixLimbs = {-1, 0, 1, 1, 1, 4};

// Object `number` with a limb per entry of `parents`, linked to them (-1: no parent).
inline sObject* Tree(uint32_t number, const std::vector<int>& parents,
                     subhost::Generation gen = subhost::Generation::Classic) {
  sObject* o = subhost::MakeObject(number, static_cast<uint32_t>(parents.size()), gen);
  subhost::LinkTree(o, parents);
  return o;
}

inline char* C(const std::string& s) { return const_cast<char*>(s.c_str()); }
inline void SetMatrix(float* field, const Mat4& m) { memcpy(field, m.m, sizeof m); }
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
  return x.Xamo_AnimLoad(C(path));
}

inline const Mat4& AnimMatrix(const sObject* o, uint32_t limb) { return *AsMat4(subhost::Limb(o, limb)->animMatrix); }

inline void ExpectNear(const Mat4& got, const Mat4& want, float tol = 1e-5f) { testanim::ExpectNear(got, want, tol); }

}  // namespace oactest
