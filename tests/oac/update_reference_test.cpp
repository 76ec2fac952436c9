// The update against a plain reference in double precision: today's quaternion-from-matrix, a true
// slerp (acos and sin) and exact products. Keys and local matrices of every kind (rigid, scaled,
// mirrored, just inside and just outside the rigid tolerance), both model types, factors from 0 to
// 1, the hint moving forwards, backwards, standing and jumping, and held poses. The reference reads
// the frames, hints and factors from the records (those are pinned bit for bit elsewhere) and
// computes the matrix each limb should show; every matrix must lie within the bounds:
//   rigid inputs:  rotation elements within 2e-6, translation within 1e-6 (|tP| + |tT| + |tM| + 1)
//   otherwise:     both bounds times |M| |M^-1| (largest row lengths), rotation per row length.
#include <math.h>

#include <random>

#include "oac/controller.h"
#include "oac/oac_helpers.h"
#include "subhost/subhost.h"

namespace {

struct D4 {
  double m[16];
};
struct DQ {
  double x, y, z, w;
};

D4 Wide(const Mat4& a) {
  D4 r;
  for (int i = 0; i < 16; ++i) r.m[i] = a.m[i];
  return r;
}

D4 Mul(const D4& a, const D4& b) {
  D4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += a.m[4 * i + k] * b.m[4 * k + j];
      r.m[4 * i + j] = s;
    }
  return r;
}

D4 Inverse(const D4& a) {  // Gauss-Jordan with partial pivoting
  double w[4][8];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 8; ++j) w[i][j] = j < 4 ? a.m[4 * i + j] : (j - 4 == i);
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int r = c + 1; r < 4; ++r)
      if (fabs(w[r][c]) > fabs(w[p][c])) p = r;
    for (int j = 0; j < 8; ++j) std::swap(w[c][j], w[p][j]);
    const double d = w[c][c];
    for (int j = 0; j < 8; ++j) w[c][j] /= d;
    for (int r = 0; r < 4; ++r)
      if (r != c) {
        const double f = w[r][c];
        for (int j = 0; j < 8; ++j) w[r][j] -= f * w[c][j];
      }
  }
  D4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[4 * i + j] = w[i][j + 4];
  return r;
}

DQ QuatOf(const D4& mat) {  // the branches of QuatFromMatrix
  const double* m = mat.m;
  const double trace = m[0] + m[5] + m[10] + 1.0;
  if (trace > 1.0) {
    const double s = 2.0 * sqrt(trace);
    return {(m[6] - m[9]) / s, (m[8] - m[2]) / s, (m[1] - m[4]) / s, 0.25 * s};
  }
  int i = 0;
  if (m[5] > m[0]) i = 1;
  if (m[10] > m[5 * i]) i = 2;
  if (i == 0) {
    const double s = 2.0 * sqrt(1.0 + m[0] - m[5] - m[10]);
    return {0.25 * s, (m[1] + m[4]) / s, (m[2] + m[8]) / s, (m[6] - m[9]) / s};
  }
  if (i == 1) {
    const double s = 2.0 * sqrt(1.0 + m[5] - m[0] - m[10]);
    return {(m[1] + m[4]) / s, 0.25 * s, (m[6] + m[9]) / s, (m[8] - m[2]) / s};
  }
  const double s = 2.0 * sqrt(1.0 + m[10] - m[0] - m[5]);
  return {(m[2] + m[8]) / s, (m[6] + m[9]) / s, 0.25 * s, (m[1] - m[4]) / s};
}

D4 Blend(const D4& a, const D4& b, double s) {  // BlendMatrices with a true slerp
  if (s <= 0) return a;
  if (s >= 1) return b;
  const DQ qa = QuatOf(a);
  DQ qb = QuatOf(b);
  double dot = qa.x * qb.x + qa.y * qb.y + qa.z * qb.z + qa.w * qb.w;
  if (dot < 0) {
    dot = -dot;
    qb = {-qb.x, -qb.y, -qb.z, -qb.w};
  }
  if (dot > 1) dot = 1;
  const double th = acos(dot);
  const double wa = th < 1e-9 ? 1 - s : sin((1 - s) * th) / sin(th);
  const double wb = th < 1e-9 ? s : sin(s * th) / sin(th);
  const double x = wa * qa.x + wb * qb.x, y = wa * qa.y + wb * qb.y, z = wa * qa.z + wb * qb.z,
               w = wa * qa.w + wb * qb.w;
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

double RowLength(const D4& a, int r) { return sqrt(a.m[4 * r] * a.m[4 * r] + a.m[4 * r + 1] * a.m[4 * r + 1] + a.m[4 * r + 2] * a.m[4 * r + 2]); }
double Norm(const D4& a) { return std::max(RowLength(a, 0), std::max(RowLength(a, 1), RowLength(a, 2))); }
double Move(const D4& a) { return sqrt(a.m[12] * a.m[12] + a.m[13] * a.m[13] + a.m[14] * a.m[14]); }
bool Rigid(const D4& a) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double d = a.m[i] * a.m[j] + a.m[4 + i] * a.m[4 + j] + a.m[8 + i] * a.m[8 + j] - (i == j);
      if (fabs(d) > 2e-6) return false;
    }
  return a.m[0] * (a.m[5] * a.m[10] - a.m[6] * a.m[9]) - a.m[1] * (a.m[4] * a.m[10] - a.m[6] * a.m[8]) +
             a.m[2] * (a.m[4] * a.m[9] - a.m[5] * a.m[8]) > 0;
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
    std::vector<oactest::Track> a(kLimbs), b(kLimbs), cc(kLimbs);
    for (uint32_t l = 0; l < kLimbs; ++l) {
      // Small steps between the keys of a and c (as real motion has), any step in b.
      const int kind = static_cast<int>(l % 5);
      for (uint32_t k = 0; k < 6; ++k) {
        const Mat4 m = MakeMatrix(rng, kind);
        a[l].push_back({10 * k, m});
        b[l].push_back({10 * k, MakeMatrix(rng, static_cast<int>((l + k) % 5))});
        cc[l].push_back({10 * k, oactest::Mul(m, oactest::RotX(2.0f * k))});
      }
      *AsMat4(subhost::Limb(o, l)->localMatrix) = MakeMatrix(rng, static_cast<int>((3 * l + 1) % 5));
    }
    anims[0] = AnimRegister(testanim::Make(a));
    anims[1] = AnimRegister(testanim::Make(b));
    anims[2] = AnimRegister(testanim::Make(cc));
    HostObject obj;
    HostGetObject(1, &obj);
    c = OacCreate(obj);
  }
  void TearDown() override {
    OacFree(c);
    for (uint32_t id : anims) AnimRelease(id);
  }
  const AnimTrack& Track(const AnimData* a, uint32_t l) { return a->tracks[l]; }
  // What limb l should show now, from its records; `held` stands for the play pose where the play
  // record is idle. `blended`: the transition record's last blend, running or not.
  Want Expected(uint32_t l, const D4& held, bool blended = false) {
    const OacLimbPlay& p = c->limbPlay[l];
    const OacLimbTrans& t = c->limbTrans[l];
    const D4 play = heldPose[l] ? held : Sample(Track(c->playAnim[l], l), p.currentFrame, p.keyHint);
    if (!t.active && !blended) return {play, Rigid(play), Move(play)};
    const D4 target = Sample(Track(c->transAnim[l], l), t.currentFrame, t.keyHint);
    const D4 m = Wide(*AsMat4(subhost::Limb(o, l)->localMatrix));
    return {BlendInFrame(play, target, m, t.interpol, c->modelType == 1), Rigid(play) && Rigid(target) && Rigid(m),
            Move(play) + Move(target) + Move(m)};
  }
  // Compares every limb with the reference; remembers the worst error relative to its bound.
  void Check(const char* what, const std::vector<D4>& held) {
    for (uint32_t l = 1; l < kLimbs; ++l) {
      const Want want = Expected(l, held[l]);
      const Mat4& got = *AsMat4(subhost::Limb(o, l)->animMatrix);
      const D4 m = Wide(*AsMat4(subhost::Limb(o, l)->localMatrix));
      const double cond = want.rigid ? 1.0 : Norm(m) * Norm(Inverse(m));
      for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k) {
          const double bound = 2e-6 * (want.rigid ? 1.0 : cond * RowLength(want.m, r));
          const double e = fabs(got.m[4 * r + k] - want.m.m[4 * r + k]) / bound;
          worst = std::max(worst, e);
          EXPECT_LE(e, 1.0) << what << ": limb " << l << " element " << 4 * r + k;
        }
      for (int k = 12; k < 15; ++k) {
        const double e = fabs(got.m[k] - want.m.m[k]) / (1e-6 * (want.moves + 1) * cond);
        worst = std::max(worst, e);
        EXPECT_LE(e, 1.0) << what << ": limb " << l << " translation " << k;
      }
    }
  }
  sObject* o;
  OacData* c;
  uint32_t anims[3];
  bool heldPose[kLimbs] = {};
  double worst = 0;
};

TEST_F(UpdateReference, EveryLimbWithinTheBoundsOfATrueSlerp) {
  std::vector<D4> held(kLimbs, Wide(kIdentity));
  for (uint32_t modelType : {0u, 1u}) {
    c->modelType = modelType;
    // Play a forwards, then blend into b over a second with updates of 0 to 250 ms; some limbs
    // play backwards, some stand still (a stale hint), some jump (a search).
    for (uint32_t l = 1; l < kLimbs; ++l) {
      OacLimbTrans& t = c->limbTrans[l];
      t.animId = 0;
      t.active = 0;
      OacPlayAnim(c, l, anims[0], 0, 3.0f * l, 50, 1, 1);
      OacAnimTransition(c, l, anims[1], 0, 2.0f * l, 50, 1000, 1, 1);
      if (l % 3 == 1) OacSetLimbSpeed(c, l, -20.0f, 1, false);
      if (l % 3 == 2) OacSetLimbSpeed(c, l, 0.0f, 1, true);
    }
    Check("start", held);
    for (uint32_t ms : {16u, 100u, 0u, 250u, 7u, 400u}) {
      OacUpdate(c, ms);
      Check("transition", held);
      if (ms == 250u) OacPlayAnim(c, 4, anims[0], 0, 45, 50, 1, 1);  // a jump: the hint searches
    }
    // Held poses: a blend held by SetInterpolFrame, a cut-short transition, a global rotation.
    for (uint32_t l = 1; l < kLimbs; ++l) {
      OacSetInterpolFrame(c, l, anims[0], 4.5f + l, anims[2], 33.0f - l, 0.1f * (l % 11), 1);
      held[l] = Expected(l, held[l], true).m;
      heldPose[l] = true;
    }
    OacUpdate(c, 30);
    Check("held blend", held);
    for (uint32_t l = 1; l < kLimbs; ++l) OacAnimTransition(c, l, anims[1], 0, 7, 50, 400, 1, 1);
    OacUpdate(c, 100);
    Check("blend from a held blend", held);
    // Cut short: the limb goes on from the blend it showed.
    for (uint32_t l = 1; l < kLimbs; ++l) held[l] = Expected(l, held[l]).m;
    for (uint32_t l = 1; l < kLimbs; ++l) OacAnimTransition(c, l, anims[2], 0, 12, 50, 300, 1, 1);
    Check("cut short", held);
    OacUpdate(c, 90);
    Check("blend from a cut-short pose", held);
    for (uint32_t l = 1; l < kLimbs; ++l) {
      c->limbPlay[l].active = 0;
      c->limbTrans[l].active = c->limbTrans[l].blended = 0;
      OacGlobalRotateLimb(c, l, 10.0f * l, -35, 80);
      held[l] = Wide(c->playPose[l].m);
    }
    OacUpdate(c, 0);
    Check("global rotation", held);
    for (uint32_t l = 1; l < kLimbs; ++l) {
      c->limbTrans[l].animId = 0;
      OacAnimTransition(c, l, anims[0], 0, 20, 50, 1000, 1, 1);
    }
    OacUpdate(c, 600);
    Check("blend from a global rotation", held);
    for (uint32_t l = 1; l < kLimbs; ++l) heldPose[l] = false;
  }
  RecordProperty("worst_error_relative_to_bound", std::to_string(worst));
  std::printf("worst error: %.3f of its bound\n", worst);
}

}  // namespace
