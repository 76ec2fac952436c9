// The update against a plain reference in double precision: today's quaternion-from-matrix, a true
// slerp (acos and sin) and exact products. Keys and local matrices of every kind (rigid, scaled,
// mirrored, just inside and just outside the rigid tolerance), both model types, factors from 0 to
// 1, the hint moving forwards, backwards, standing and jumping, and held poses. The reference reads
// the frames, hints and factors from the records (those are pinned bit for bit elsewhere) and
// computes the matrix each limb should show; every matrix must lie within the bounds:
//   rigid inputs:  rotation elements within 2e-6, translation within 1e-6 (|tP| + |tT| + |tM| + 1)
//   otherwise:     both bounds times |M| |M^-1| (largest row lengths), rotation per row length.
#include <math.h>

#include <algorithm>
#include <random>

#include "oac/controller.h"
#include "oac/oac_helpers.h"
#include "subhost/subhost.h"

namespace {

struct D4 {
  double m[16];
};
struct DQ {
  double v[4];  // x, y, z, w
};

D4 Wide(const Mat4& a) {
  D4 r;
  std::copy(a.m, a.m + 16, r.m);
  return r;
}

D4 Mul(const D4& a, const D4& b) {
  D4 r = {};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) r.m[4 * i + j] += a.m[4 * i + k] * b.m[4 * k + j];
  return r;
}

double Det(const D4& a) {  // of the upper 3 x 3
  const double* m = a.m;
  return m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) + m[2] * (m[4] * m[9] - m[5] * m[8]);
}

// The inverse of an affine matrix (every matrix here is one): column i of the upper 3 x 3 is the
// cross product of rows i + 1 and i + 2 over the determinant; the translation row is -t R^-1.
D4 Inverse(const D4& a) {
  D4 r = {};
  const double det = Det(a);
  for (int i = 0; i < 3; ++i) {
    const double* u = a.m + 4 * ((i + 1) % 3);
    const double* v = a.m + 4 * ((i + 2) % 3);
    r.m[i] = (u[1] * v[2] - u[2] * v[1]) / det;
    r.m[4 + i] = (u[2] * v[0] - u[0] * v[2]) / det;
    r.m[8 + i] = (u[0] * v[1] - u[1] * v[0]) / det;
  }
  for (int j = 0; j < 3; ++j) r.m[12 + j] = -(a.m[12] * r.m[j] + a.m[13] * r.m[4 + j] + a.m[14] * r.m[8 + j]);
  r.m[15] = 1;
  return r;
}

DQ QuatOf(const D4& a) {  // the branches of QuatFromMatrix
  const double* m = a.m;
  const double trace = m[0] + m[5] + m[10] + 1.0;
  if (trace > 1.0) {
    const double s = 2.0 * sqrt(trace);
    return {{(m[6] - m[9]) / s, (m[8] - m[2]) / s, (m[1] - m[4]) / s, 0.25 * s}};
  }
  int i = 0;  // the largest diagonal element, then the two after it in turn
  if (m[5] > m[0]) i = 1;
  if (m[10] > m[5 * i]) i = 2;
  const int j = (i + 1) % 3, k = (i + 2) % 3;
  const double s = 2.0 * sqrt(1.0 + m[5 * i] - m[5 * j] - m[5 * k]);
  DQ q;
  q.v[i] = 0.25 * s;
  q.v[j] = (m[4 * i + j] + m[4 * j + i]) / s;
  q.v[k] = (m[4 * i + k] + m[4 * k + i]) / s;
  q.v[3] = (m[4 * j + k] - m[4 * k + j]) / s;
  return q;
}

D4 Blend(const D4& a, const D4& b, double s) {  // BlendMatrices with a true slerp
  if (s <= 0) return a;
  if (s >= 1) return b;
  const DQ qa = QuatOf(a), qb = QuatOf(b);
  double dot = 0;
  for (int i = 0; i < 4; ++i) dot += qa.v[i] * qb.v[i];
  const double th = acos(std::min(fabs(dot), 1.0));  // the shorter way: qb negated when dot < 0
  const double wa = th < 1e-9 ? 1 - s : sin((1 - s) * th) / sin(th);
  const double wb = (dot < 0 ? -1 : 1) * (th < 1e-9 ? s : sin(s * th) / sin(th));
  const double x = wa * qa.v[0] + wb * qb.v[0], y = wa * qa.v[1] + wb * qb.v[1], z = wa * qa.v[2] + wb * qb.v[2],
               w = wa * qa.v[3] + wb * qb.v[3];
  D4 r = {{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,  //
           2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,  //
           2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0,  //
           0, 0, 0, 1}};
  for (int k = 12; k < 15; ++k) r.m[k] = a.m[k] + (b.m[k] - a.m[k]) * s;
  return r;
}

// The pose of a track at frame f with key j chosen as the record's hint says.
D4 Sample(const AnimTrack& t, float f, uint32_t j) {
  const AnimKey* k = t.keys;
  if (f > static_cast<float>(k[t.keyCount - 1].time)) return Wide(k[t.keyCount - 1].matrix);
  const float t0 = static_cast<float>(k[j].time), t1 = static_cast<float>(k[j + 1].time);
  const float s = t1 == t0 ? 0.0f : (f - t0) / (t1 - t0);
  return Blend(Wide(k[j].matrix), Wide(k[j + 1].matrix), s);
}

D4 BlendInFrame(const D4& p, const D4& t, const D4& m, double s, bool modelOne) {
  const D4 inv = Inverse(m);
  return modelOne ? Mul(Blend(Mul(p, m), Mul(t, m), s), inv) : Mul(inv, Blend(Mul(m, p), Mul(m, t), s));
}

// Length of row r's first three elements (row 3: the translation).
double RowLength(const D4& a, int r) {
  const double* v = a.m + 4 * r;
  return sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}
double Norm(const D4& a) { return std::max({RowLength(a, 0), RowLength(a, 1), RowLength(a, 2)}); }
bool Rigid(const D4& a) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (fabs(a.m[i] * a.m[j] + a.m[4 + i] * a.m[4 + j] + a.m[8 + i] * a.m[8 + j] - (i == j)) > 2e-6) return false;
  return Det(a) > 0;
}

// What a limb should show: the matrix, whether every input was rigid, and |tP| + |tT| + |tM|.
struct Want {
  D4 m;
  bool rigid;
  double moves;
};

// Matrix kinds: 0 rigid, 1 scaled on each axis by [0.5, 2], 2 one axis mirrored, 3 and 4 a row
// stretched to just inside and just outside the rigid tolerance.
Mat4 MakeMatrix(std::mt19937& rng, int kind) {
  std::uniform_real_distribution<float> angle(-180, 180), move(-10, 10), scale(0.5f, 2.0f);
  const float deg[3] = {angle(rng), angle(rng), angle(rng)}, at[3] = {move(rng), move(rng), move(rng)};
  float sc[3] = {1, 1, 1};
  if (kind == 1) sc[0] = scale(rng), sc[1] = scale(rng), sc[2] = scale(rng);
  if (kind == 2) sc[rng() % 3] = -1;
  Mat4 m;
  MatCompose(&m, sc, deg, at);
  const float stretch = kind == 3 ? 1 + 0.35e-6f : kind == 4 ? 1 + 0.65e-6f : 1;
  for (int k = 0; k < 12; k += 4) m.m[k] *= stretch;  // column 0: R^T R grows by 2 (stretch - 1)
  EXPECT_EQ(MatIsRigid(m), kind == 0 || kind == 3) << "kind " << kind;
  return m;
}

class UpdateReference : public ::testing::Test {
 protected:
  static const uint32_t kLimbs = 15;
  void SetUp() override {
    subhost::Reset();
    HostSetCoreData(subhost::CoreData());
    o = subhost::MakeObject(1, kLimbs);
    std::mt19937 rng(11);
    std::vector<std::vector<oactest::Track>> t(3, std::vector<oactest::Track>(kLimbs));
    for (uint32_t l = 0; l < kLimbs; ++l) {
      // Animations a, b, c: small steps between the keys of a and c (as real motion has), any in b.
      for (uint32_t k = 0; k < 6; ++k) {
        const Mat4 m = MakeMatrix(rng, static_cast<int>(l % 5));
        t[0][l].push_back({10 * k, m});
        t[1][l].push_back({10 * k, MakeMatrix(rng, static_cast<int>((l + k) % 5))});
        t[2][l].push_back({10 * k, oactest::Mul(m, oactest::RotX(2.0f * k))});
      }
      *AsMat4(subhost::Limb(o, l)->localMatrix) = MakeMatrix(rng, static_cast<int>((3 * l + 1) % 5));
    }
    for (int i = 0; i < 3; ++i) anims[i] = AnimRegister(testanim::Make(t[i]));
    HostObject obj;
    HostGetObject(1, &obj);
    c = OacCreate(obj);
  }
  void TearDown() override {
    OacFree(c);
    for (uint32_t id : anims) AnimRelease(id);
  }
  D4 Local(uint32_t l) { return Wide(*AsMat4(subhost::Limb(o, l)->localMatrix)); }
  // What limb l should show now, from its records; while `holding`, held[l] stands for the play
  // pose. `blended`: the transition record's last blend, running or not.
  Want Expected(uint32_t l, bool blended = false) {
    const OacLimbPlay& p = c->limbPlay[l];
    const OacLimbTrans& t = c->limbTrans[l];
    const D4 play = holding ? held[l] : Sample(c->playAnim[l]->tracks[l], p.currentFrame, p.keyHint);
    if (!t.active && !blended) return {play, Rigid(play), RowLength(play, 3)};
    const D4 target = Sample(c->transAnim[l]->tracks[l], t.currentFrame, t.keyHint), m = Local(l);
    return {BlendInFrame(play, target, m, t.interpol, c->modelType == 1), Rigid(play) && Rigid(target) && Rigid(m),
            RowLength(play, 3) + RowLength(target, 3) + RowLength(m, 3)};
  }
  // Compares every limb with the reference, rotation elements and translation (the fourth column
  // is left out); remembers the worst error relative to its bound.
  void Check(const char* what) {
    for (uint32_t l = 1; l < kLimbs; ++l) {
      const Want want = Expected(l);
      const Mat4& got = oactest::AnimMatrix(o, l);
      const double cond = want.rigid ? 1.0 : Norm(Local(l)) * Norm(Inverse(Local(l)));
      for (int k = 0; k < 15; ++k) {
        if (k % 4 == 3) continue;
        const double bound = k < 12 ? 2e-6 * (want.rigid ? 1.0 : cond * RowLength(want.m, k / 4))
                                    : 1e-6 * (want.moves + 1) * cond;
        const double e = fabs(got.m[k] - want.m.m[k]) / bound;
        worst = std::max(worst, e);
        EXPECT_LE(e, 1.0) << what << ": limb " << l << " element " << k;
      }
    }
  }
  sObject* o;
  OacData* c;
  uint32_t anims[3];
  D4 held[kLimbs] = {};
  bool holding = false;
  double worst = 0;
};

TEST_F(UpdateReference, EveryLimbWithinTheBoundsOfATrueSlerp) {
  for (uint32_t modelType : {0u, 1u}) {
    c->modelType = modelType;
    // Play a forwards, then blend into b over a second with updates of 0 to 250 ms; some limbs
    // play backwards, some blend in a transition standing still (a stale hint), some jump (a search).
    for (uint32_t l = 1; l < kLimbs; ++l) {
      c->limbTrans[l].animId = c->limbTrans[l].active = 0;
      OacPlayAnim(c, l, anims[0], 0, 3.0f * l, 50, 1, 1);
      OacAnimTransition(c, l, anims[1], 0, 2.0f * l, 50, 1000, 1, 1);
      if (l % 3 == 1) OacSetLimbSpeed(c, l, -20.0f, 1, false);
      if (l % 3 == 2) OacSetLimbSpeed(c, l, 0.0f, 1, true);
    }
    Check("start");
    for (uint32_t ms : {16u, 100u, 0u, 250u, 7u, 400u}) {
      OacUpdate(c, ms);
      Check("transition");
      if (ms == 250u) OacPlayAnim(c, 4, anims[0], 0, 45, 50, 1, 1);  // a jump: the hint searches
    }
    // Held poses: a blend held by SetInterpolFrame, a cut-short transition, a global rotation.
    for (uint32_t l = 1; l < kLimbs; ++l) {
      OacSetInterpolFrame(c, l, anims[0], 4.5f + l, anims[2], 33.0f - l, 0.1f * (l % 11), 1);
      held[l] = Expected(l, true).m;
    }
    holding = true;
    OacUpdate(c, 30);
    Check("held blend");
    for (uint32_t l = 1; l < kLimbs; ++l) OacAnimTransition(c, l, anims[1], 0, 7, 50, 400, 1, 1);
    OacUpdate(c, 100);
    Check("blend from a held blend");
    // Cut short: the limb goes on from the blend it showed.
    for (uint32_t l = 1; l < kLimbs; ++l) held[l] = Expected(l).m;
    for (uint32_t l = 1; l < kLimbs; ++l) OacAnimTransition(c, l, anims[2], 0, 12, 50, 300, 1, 1);
    Check("cut short");
    OacUpdate(c, 90);
    Check("blend from a cut-short pose");
    for (uint32_t l = 1; l < kLimbs; ++l) {
      c->limbPlay[l].active = 0;
      c->limbTrans[l].active = c->limbTrans[l].blended = 0;
      OacGlobalRotateLimb(c, l, 10.0f * l, -35, 80);
      held[l] = Wide(c->playPose[l].m);
    }
    OacUpdate(c, 0);
    Check("global rotation");
    for (uint32_t l = 1; l < kLimbs; ++l) {
      c->limbTrans[l].animId = 0;
      OacAnimTransition(c, l, anims[0], 0, 20, 50, 1000, 1, 1);
    }
    OacUpdate(c, 600);
    Check("blend from a global rotation");
    holding = false;
  }
  RecordProperty("worst_error_relative_to_bound", std::to_string(worst));
  std::printf("worst error: %.3f of its bound\n", worst);
}

}  // namespace
