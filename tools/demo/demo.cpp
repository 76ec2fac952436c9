// The demo: the whole plug-in at work through its exports, called as the host calls them, on a
// biped built in the substitute host. No input files are needed.
//
//   xamo_demo [-o DIR] [PLUGIN]
//
// 1. builds a 15-limb biped (object 1);
// 2. writes a blank animation for it (Xamo_ObjMakeNewAnimation), loads it twice and shapes a walk
//    cycle and a wave with the key-editing commands; saves both and loads them back;
// 3. makes a controller, saves it and loads it back, plays the walk looping, fades the upper body
//    into the wave over 500 ms, later holds a frame interpolated between the two, updating at 60
//    frames per second for a few seconds;
// 4. writes into DIR (default dist/demo): walk.xam, wave.xam, biped.x and biped_wave.x (the biped
//    as a model for the host, carrying the walk or the wave as matrix keys), biped.oac, limbs.csv
//    (every limb's angles and position per update, with the transition factor) and skeleton.svg
//    (the skeleton at several moments side by side).
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "anim/animfile.h"
#include "math/xmath.h"
#include "subhost/loader.h"
#include "subhost/subhost.h"
#include "xfile.h"

namespace {

const uint32_t kObject = 1;
const uint32_t kLimbs = 15;

// The biped: names, parents (-1: none), each limb's offset from its parent and the end of its
// bone in its own space (where its main child starts, or the tip of a hand, foot or head); in
// units of about 10 cm, Y up, the figure faces -Z, its left side at +X.
struct BoneDef {
  const char* name;
  int parent;
  float offset[3];
  float end[3];
};
const BoneDef kBones[kLimbs] = {
    {"root", -1, {0, 0, 0}, {0, 0, 0}},
    {"pelvis", 0, {0, 9.5f, 0}, {0, 1.5f, 0}},
    {"spine", 1, {0, 1.5f, 0}, {0, 3, 0}},
    {"chest", 2, {0, 3, 0}, {0, 3, 0}},
    {"head", 3, {0, 3, 0}, {0, 2.6f, 0}},
    {"upperarm.L", 3, {2.8f, 2.2f, 0}, {0, -3, 0}},
    {"forearm.L", 5, {0, -3, 0}, {0, -2.8f, 0}},
    {"upperarm.R", 3, {-2.8f, 2.2f, 0}, {0, -3, 0}},
    {"forearm.R", 7, {0, -3, 0}, {0, -2.8f, 0}},
    {"thigh.L", 1, {1.2f, -0.5f, 0}, {0, -4.5f, 0}},
    {"shin.L", 9, {0, -4.5f, 0}, {0, -4.5f, 0}},
    {"foot.L", 10, {0, -4.5f, 0}, {0, -0.6f, -1.6f}},
    {"thigh.R", 1, {-1.2f, -0.5f, 0}, {0, -4.5f, 0}},
    {"shin.R", 12, {0, -4.5f, 0}, {0, -4.5f, 0}},
    {"foot.R", 13, {0, -4.5f, 0}, {0, -0.6f, -1.6f}},
};
enum Limb : uint32_t {
  kRoot, kPelvis, kSpine, kChest, kHead, kUpperArmL, kForeArmL, kUpperArmR, kForeArmR,
  kThighL, kShinL, kFootL, kThighR, kShinR, kFootR
};

// A key pose of one limb: rotation about X, Y, Z in degrees at a frame.
struct KeyPose {
  uint32_t limb;
  float angles[5][3];  // at frames 0, 10, 20, 30, 40
};

const uint32_t kCycle = 40;  // frames of one walk or wave cycle

// The walk: legs swing about X in opposite phase, knees bend on the forward swing, arms swing
// against the legs, the chest turns a little.
const KeyPose kWalk[] = {
    {kThighL, {{-25, 0, 0}, {0, 0, 0}, {25, 0, 0}, {0, 0, 0}, {-25, 0, 0}}},
    {kShinL, {{10, 0, 0}, {5, 0, 0}, {5, 0, 0}, {45, 0, 0}, {10, 0, 0}}},
    {kThighR, {{25, 0, 0}, {0, 0, 0}, {-25, 0, 0}, {0, 0, 0}, {25, 0, 0}}},
    {kShinR, {{5, 0, 0}, {45, 0, 0}, {10, 0, 0}, {5, 0, 0}, {5, 0, 0}}},
    {kUpperArmL, {{20, 0, 5}, {0, 0, 5}, {-20, 0, 5}, {0, 0, 5}, {20, 0, 5}}},
    {kForeArmL, {{-15, 0, 0}, {-10, 0, 0}, {-25, 0, 0}, {-10, 0, 0}, {-15, 0, 0}}},
    {kUpperArmR, {{-20, 0, -5}, {0, 0, -5}, {20, 0, -5}, {0, 0, -5}, {-20, 0, -5}}},
    {kForeArmR, {{-25, 0, 0}, {-10, 0, 0}, {-15, 0, 0}, {-10, 0, 0}, {-25, 0, 0}}},
    {kChest, {{0, 6, 0}, {0, 0, 0}, {0, -6, 0}, {0, 0, 0}, {0, 6, 0}}},
};

// The wave: the right arm raised to the side, the forearm waving, the head tilted towards it.
const KeyPose kWave[] = {
    {kUpperArmR, {{0, 0, -150}, {0, 0, -150}, {0, 0, -150}, {0, 0, -150}, {0, 0, -150}}},
    {kForeArmR, {{0, 0, -25}, {0, 0, 25}, {0, 0, -25}, {0, 0, 25}, {0, 0, -25}}},
    {kUpperArmL, {{0, 0, 10}, {0, 0, 12}, {0, 0, 10}, {0, 0, 12}, {0, 0, 10}}},
    {kHead, {{0, 0, -8}, {0, 0, -12}, {0, 0, -8}, {0, 0, -12}, {0, 0, -8}}},
    {kChest, {{0, 0, -4}, {0, 0, -4}, {0, 0, -4}, {0, 0, -4}, {0, 0, -4}}},
};

// The timeline, in milliseconds from the first update.
const uint32_t kTransitionAt = 1500;  // upper body: walk -> wave over kTransitionTime
const uint32_t kTransitionTime = 500;
const uint32_t kInterpolAt = 3200;  // whole body: held between walk frame 10 and wave frame 10
const float kInterpolFactor = 0.5f;
const uint32_t kEnd = 4000;

// The moments drawn in the picture.
struct Moment {
  uint32_t ms;
  const char* caption;
};
const Moment kMoments[] = {
    {250, "walk"},
    {917, "walk, other step"},
    {1600, "transition 20%"},
    {1750, "transition 50%"},
    {2400, "walking legs, waving arm"},
    {3600, "held: 50% walk, 50% wave"},
};
const int kMomentCount = sizeof kMoments / sizeof kMoments[0];

struct Vec3 {
  float x, y, z;
};

// Where each limb starts (its joint) and where its bone ends, in world space.
struct Snapshot {
  uint32_t ms;
  Vec3 joints[kLimbs];
  Vec3 ends[kLimbs];
};

std::string g_dir;
std::string PathIn(const char* name) { return g_dir + "/" + name; }

bool MakeDirs(const std::string& path) {
  std::string part;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!part.empty() && part != "." && mkdir(part.c_str(), 0755) != 0) {
        struct stat st;
        if (stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
      }
    }
    if (i < path.size()) part += path[i];
  }
  return true;
}

sObject* BuildBiped() {
  sObject* obj = subhost::MakeObject(kObject, kLimbs);
  std::vector<int> parents(kLimbs);
  for (uint32_t i = 0; i < kLimbs; ++i) {
    sLimb* l = subhost::Limb(obj, i);
    snprintf(l->name, sizeof l->name, "%s", kBones[i].name);
    MatTranslation(AsMat4(l->localMatrix), kBones[i].offset[0], kBones[i].offset[1], kBones[i].offset[2]);
    parents[i] = kBones[i].parent;
  }
  subhost::LinkTree(obj, parents);
  return obj;
}

// Shapes a loaded blank animation: every track ends at kCycle, and the limbs of `poses` get keys
// at 0, 10, 20, 30, 40 with the given rotations.
void ShapeAnimation(const XamoApi& x, uint32_t anim, const KeyPose* poses, size_t count) {
  for (uint32_t limb = 0; limb < kLimbs; ++limb) x.Xamo_AnimModifyKeyTime(anim, limb, 1, kCycle);
  for (size_t p = 0; p < count; ++p) {
    const KeyPose& k = poses[p];
    for (uint32_t t = 10; t < kCycle; t += 10) x.Xamo_AnimInsertKey(anim, k.limb, t);
    for (uint32_t key = 0; key < 5; ++key)
      x.Xamo_AnimModifyKeyRot(anim, k.limb, key, k.angles[key][0], k.angles[key][1], k.angles[key][2]);
  }
}

// The sample character as a model of its own: the biped's frames with their rest matrices and
// the saved animation `xam` as matrix keys, one tick per frame at the default play speed.
bool WriteModel(const XamoApi& x, const sObject* obj, const char* xam, const char* setName, const char* name) {
  std::vector<XFrame> frames(kLimbs);
  for (uint32_t i = 0; i < kLimbs; ++i) {
    frames[i] = {kBones[i].name, kBones[i].parent, *AsMat4(subhost::Limb(obj, i)->localMatrix), {}};
    for (int a = 0; a < 3; ++a) frames[i].end[a] = kBones[i].end[a];
  }
  AnimData* anim = AnimLoadFile(PathIn(xam).c_str());
  const bool ok = WriteXFile(PathIn(name).c_str(), frames, *anim, setName,
                             static_cast<float>(x.Xamo_GetDefaultPlaySpeed()));
  AnimFree(anim);
  if (!ok) fprintf(stderr, "cannot write %s\n", PathIn(name).c_str());
  return ok;
}

// Makes an animation from the blank file, shapes it, saves it and loads it back.
uint32_t MakeAnimation(const XamoApi& x, const char* blank, const char* name, const KeyPose* poses,
                       size_t count) {
  uint32_t anim = x.Xamo_AnimLoad(const_cast<char*>(blank));
  ShapeAnimation(x, anim, poses, count);
  std::string path = PathIn(name);
  x.Xamo_AnimSave(anim, const_cast<char*>(path.c_str()));
  x.Xamo_AnimDelete(anim);
  return x.Xamo_AnimLoad(const_cast<char*>(path.c_str()));
}

Vec3 Transform(const float p[3], const Mat4& m) {
  return {p[0] * m.m[0] + p[1] * m.m[4] + p[2] * m.m[8] + m.m[12],
          p[0] * m.m[1] + p[1] * m.m[5] + p[2] * m.m[9] + m.m[13],
          p[0] * m.m[2] + p[1] * m.m[6] + p[2] * m.m[10] + m.m[14]};
}

// Where every joint and bone end stands: each limb's animMatrix (written by the plug-in) times its
// local matrix, times its parent's world matrix, down the tree (parents come before children here).
void Pose(const sObject* obj, Snapshot* s) {
  Mat4 world[kLimbs];
  const float origin[3] = {0, 0, 0};
  for (uint32_t i = 0; i < kLimbs; ++i) {
    const sLimb* l = subhost::Limb(obj, i);
    Mat4 own;
    MatMultiply(&own, *AsMat4(l->animMatrix), *AsMat4(l->localMatrix));
    if (kBones[i].parent < 0) world[i] = own;
    else MatMultiply(&world[i], own, world[kBones[i].parent]);
    s->joints[i] = Transform(origin, world[i]);
    s->ends[i] = Transform(kBones[i].end, world[i]);
  }
}

// --- The picture ------------------------------------------------------------------------------------
const int kPanelW = 230, kPanelH = 340, kChartH = 160;
const float kScale = 12.0f;  // pixels per unit

// A three-quarter view: turned 25 degrees about Y, looking slightly down.
void Project(const Vec3& p, float cx, float groundY, float* sx, float* sy) {
  const float yaw = 0.44f, c = cosf(yaw), s = sinf(yaw);
  float x = p.x * c + p.z * s, depth = -p.x * s + p.z * c;
  *sx = cx + kScale * x;
  *sy = groundY - kScale * (p.y + 0.18f * depth);
}

const char* LimbColour(uint32_t i) {
  const char* n = kBones[i].name;
  size_t len = strlen(n);
  if (len > 2 && strcmp(n + len - 2, ".L") == 0) return "#1f5fbf";
  if (len > 2 && strcmp(n + len - 2, ".R") == 0) return "#c0392b";
  return "#333333";
}

bool IsLeft(uint32_t i) { return LimbColour(i)[1] == '1'; }
bool IsRight(uint32_t i) { return LimbColour(i)[1] == 'c'; }

void DrawSkeleton(FILE* f, const Snapshot& s, float cx, float groundY, bool bigLabels) {
  float jx[kLimbs], jy[kLimbs], ex[kLimbs], ey[kLimbs];
  for (uint32_t i = 0; i < kLimbs; ++i) {
    Project(s.joints[i], cx, groundY, &jx[i], &jy[i]);
    Project(s.ends[i], cx, groundY, &ex[i], &ey[i]);
  }
  // Hips and shoulders: thin links from a parent's joint to a side limb's joint.
  for (uint32_t i = 1; i < kLimbs; ++i) {
    int p = kBones[i].parent;
    if (p > 0 && (IsLeft(i) || IsRight(i)) && !IsLeft(p) && !IsRight(p))
      fprintf(f, "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' stroke='#888' stroke-width='2.5'/>\n", jx[p], jy[p],
              jx[i], jy[i]);
  }
  // Bones: the right side first (it lies behind in this view), then the middle, then the left.
  for (int pass = 0; pass < 3; ++pass)
    for (uint32_t i = 1; i < kLimbs; ++i) {
      int side = IsRight(i) ? 0 : IsLeft(i) ? 2 : 1;
      if (side != pass || i == kHead) continue;
      fprintf(f, "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' stroke='%s' stroke-width='5' "
                 "stroke-linecap='round'/>\n", jx[i], jy[i], ex[i], ey[i], LimbColour(i));
    }
  const float headX = (jx[kHead] + ex[kHead]) / 2, headY = (jy[kHead] + ey[kHead]) / 2;
  fprintf(f, "<circle cx='%.1f' cy='%.1f' r='%.1f' fill='#f4f4f4' stroke='#333' stroke-width='2.5'/>\n", headX,
          headY, 1.3f * kScale);
  for (uint32_t i = 1; i < kLimbs; ++i)
    fprintf(f, "<circle cx='%.1f' cy='%.1f' r='2.6' fill='white' stroke='%s' stroke-width='1.5'/>\n", jx[i], jy[i],
            LimbColour(i));
  // Names beside the middle of each bone: left limbs to the right, right limbs to the left.
  for (uint32_t i = 1; i < kLimbs; ++i) {
    float mx = (jx[i] + ex[i]) / 2, my = (jy[i] + ey[i]) / 2;
    // A long bone held out sideways gets its name above it (the first bone of a limb) or below.
    const float w = fabsf(ex[i] - jx[i]), h = fabsf(ey[i] - jy[i]);
    const bool level = w > h && w > 2 * kScale;
    const bool first = !IsLeft(kBones[i].parent) && !IsRight(kBones[i].parent);
    const bool toLeft = IsRight(i);
    float dx = level ? 0.0f : toLeft ? -7.0f : 7.0f, dy = level ? (first ? -6.0f : 12.0f) : 3.0f;
    if (i == kHead) dx = 1.3f * kScale + 4;
    // A white halo keeps a name readable where it crosses a bone or a shoulder link.
    fprintf(f, "<text x='%.1f' y='%.1f' font-size='%d' fill='%s' text-anchor='%s' stroke='white' "
               "stroke-width='2.5' stroke-linejoin='round' paint-order='stroke'>%s</text>\n", mx + dx, my + dy,
            bigLabels ? 9 : 8, LimbColour(i), level ? "middle" : toLeft ? "end" : "start", kBones[i].name);
  }
}

// The upper body's transition factor against time, with the drawn moments marked.
void DrawChart(FILE* f, float top, float width, const std::vector<float>& factor, const std::vector<uint32_t>& times) {
  const float left = 60, right = width - 20, h = kChartH - 50, bottom = top + 20 + h;
  fprintf(f, "<text x='%.0f' y='%.0f' font-size='12' font-weight='bold'>Upper body (spine and below): "
             "transition factor into the wave</text>\n", left, top + 12);
  fprintf(f, "<rect x='%.0f' y='%.0f' width='%.0f' height='%.0f' fill='#fafafa' stroke='#bbb'/>\n", left,
          top + 20, right - left, h);
  for (int v = 0; v <= 1; ++v)
    fprintf(f, "<text x='%.0f' y='%.1f' font-size='10' text-anchor='end'>%d</text>\n", left - 5,
            bottom - v * h + 3, v);
  for (uint32_t ms = 0; ms <= kEnd; ms += 500)
    fprintf(f, "<text x='%.1f' y='%.0f' font-size='10' text-anchor='middle'>%.1f s</text>\n",
            left + (right - left) * ms / kEnd, bottom + 14, ms / 1000.0);
  for (int m = 0; m < kMomentCount; ++m) {
    float mx = left + (right - left) * kMoments[m].ms / kEnd;
    fprintf(f, "<line x1='%.1f' y1='%.0f' x2='%.1f' y2='%.0f' stroke='#999' stroke-dasharray='3,3'/>\n", mx,
            top + 20, mx, bottom);
    fprintf(f, "<text x='%.1f' y='%.0f' font-size='10' fill='#666' text-anchor='middle'>%c</text>\n", mx,
            top + 32, 'A' + m);
  }
  fprintf(f, "<polyline fill='none' stroke='#c0392b' stroke-width='2' points='");
  for (size_t i = 0; i < factor.size(); ++i)
    fprintf(f, "%.1f,%.1f ", left + (right - left) * times[i] / kEnd, bottom - h * factor[i]);
  fprintf(f, "'/>\n");
}

bool WriteSvg(const char* path, const std::vector<Snapshot>& snaps, const Snapshot& rest,
              const std::vector<float>& factor, const std::vector<uint32_t>& times) {
  FILE* f = fopen(path, "w");
  if (!f) return false;
  const int panels = 1 + kMomentCount, width = panels * kPanelW, height = 50 + kPanelH + 20 + kChartH;
  fprintf(f, "<svg xmlns='http://www.w3.org/2000/svg' width='%d' height='%d' viewBox='0 0 %d %d' "
             "font-family='DejaVu Sans, Verdana, sans-serif'>\n", width, height, width, height);
  fprintf(f, "<rect width='100%%' height='100%%' fill='white'/>\n");
  fprintf(f, "<text x='12' y='22' font-size='15' font-weight='bold'>Xamovel demo: a 15-limb biped driven "
             "by one controller at 60 updates per second</text>\n");
  fprintf(f, "<text x='12' y='40' font-size='11' fill='#555'>Blue: left limbs, red: right limbs. Walk loops "
             "from the start; at %.1f s the upper body fades into the wave over %u ms; at %.1f s the whole "
             "body is held halfway between the two.</text>\n", kTransitionAt / 1000.0, kTransitionTime,
          kInterpolAt / 1000.0);
  for (int p = 0; p < panels; ++p) {
    float x0 = p * kPanelW, top = 50;
    fprintf(f, "<rect x='%.0f' y='%.0f' width='%d' height='%d' fill='%s' stroke='#ddd'/>\n", x0 + 4, top,
            kPanelW - 8, kPanelH - 10, p == 0 ? "#f7f7f0" : "#fcfcfc");
    float ground = top + kPanelH - 28;
    fprintf(f, "<line x1='%.0f' y1='%.0f' x2='%.0f' y2='%.0f' stroke='#ccc' stroke-width='2'/>\n", x0 + 20,
            ground + 4, x0 + kPanelW - 20, ground + 4);
    if (p == 0) {
      fprintf(f, "<text x='%.0f' y='%.0f' font-size='12' font-weight='bold' text-anchor='middle'>rest pose "
                 "(limb names)</text>\n", x0 + kPanelW / 2.0, top + 18);
      DrawSkeleton(f, rest, x0 + kPanelW / 2.0f, ground, true);
    } else {
      const Moment& m = kMoments[p - 1];
      fprintf(f, "<text x='%.0f' y='%.0f' font-size='12' font-weight='bold' text-anchor='middle'>%c  %.2f s"
                 "</text>\n", x0 + kPanelW / 2.0, top + 18, 'A' + p - 1, m.ms / 1000.0);
      fprintf(f, "<text x='%.0f' y='%.0f' font-size='11' text-anchor='middle' fill='#444'>%s</text>\n",
              x0 + kPanelW / 2.0, top + 33, m.caption);
      DrawSkeleton(f, snaps[p - 1], x0 + kPanelW / 2.0f, ground, false);
    }
  }
  DrawChart(f, 50 + kPanelH + 10, width, factor, times);
  fprintf(f, "</svg>\n");
  return fclose(f) == 0;
}

// --- The run -----------------------------------------------------------------------------------------
struct Outcome {
  uint32_t updates = 0;
  float maxFactor = 0;
  uint32_t factorOneAtMs = 0;
};

bool Run(const XamoApi& x, sObject* obj, uint32_t walk, uint32_t wave, const Snapshot& rest, FILE* csv,
         Outcome* out) {
  // The controller: made, saved, deleted and loaded back from its file.
  uint32_t made = x.Xamo_oacCreate(kObject);
  if (!made) {
    fprintf(stderr, "Xamo_oacCreate returned 0: this plug-in has no controller commands\n");
    return false;
  }
  std::string oacPath = PathIn("biped.oac");
  x.Xamo_oacSave(made, const_cast<char*>(oacPath.c_str()));
  x.Xamo_oacDelete(made);
  uint32_t oac = x.Xamo_oacLoad(const_cast<char*>(oacPath.c_str()), kObject);
  if (!oac) {
    fprintf(stderr, "the controller file %s did not load back\n", oacPath.c_str());
    return false;
  }

  x.Xamo_oacPlayAnim(oac, kPelvis, walk, 0, 0, -1, 1, 0);

  std::vector<Snapshot> snaps;
  std::vector<float> factors;
  std::vector<uint32_t> times;
  const uint32_t steps = kEnd * 60 / 1000;
  uint32_t now = 0;
  fprintf(csv, "update,time_ms,limb,name,play_frame,rot_x,rot_y,rot_z,pos_x,pos_y,pos_z,"
               "world_x,world_y,world_z,trans_active,trans_factor\n");
  for (uint32_t step = 1; step <= steps; ++step) {
    uint32_t next = step * 1000 / 60;  // 60 updates per second: 16 or 17 ms each
    uint32_t elapsed = next - now;
    if (now < kTransitionAt && next >= kTransitionAt)
      x.Xamo_oacAnimTransition(oac, kSpine, wave, 0, 0, -1, kTransitionTime, 1, 0);
    if (now < kInterpolAt && next >= kInterpolAt)
      x.Xamo_oacSetInterpolFrame(oac, kPelvis, walk, 10, wave, 10, kInterpolFactor, 0);
    x.Xamo_oacUpdate(oac, elapsed);
    now = next;

    Snapshot s;
    s.ms = now;
    Pose(obj, &s);
    float factor = static_cast<float>(x.Xamo_oacGetLimbTransInterpol(oac, kSpine));
    factors.push_back(factor);
    times.push_back(now);
    if (factor > out->maxFactor) out->maxFactor = factor;
    if (factor >= 1.0f && !out->factorOneAtMs) out->factorOneAtMs = now;
    for (uint32_t l = 0; l < kLimbs; ++l)
      fprintf(csv, "%u,%u,%u,%s,%.3f,%.3f,%.3f,%.3f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%d,%.4f\n", step, now, l,
              kBones[l].name, x.Xamo_oacGetCurrentFrame(oac, l), x.Xamo_oacGetLimbRotX(oac, l),
              x.Xamo_oacGetLimbRotY(oac, l), x.Xamo_oacGetLimbRotZ(oac, l), x.Xamo_oacGetLimbPosX(oac, l),
              x.Xamo_oacGetLimbPosY(oac, l), x.Xamo_oacGetLimbPosZ(oac, l), s.joints[l].x, s.joints[l].y,
              s.joints[l].z, x.Xamo_oacGetLimbTransIsActive(oac, l), x.Xamo_oacGetLimbTransInterpol(oac, l));
    for (int m = 0; m < kMomentCount; ++m)
      if (snaps.size() == static_cast<size_t>(m) && now >= kMoments[m].ms) snaps.push_back(s);
    ++out->updates;
  }

  std::string svg = PathIn("skeleton.svg");
  bool ok = WriteSvg(svg.c_str(), snaps, rest, factors, times);

  x.Xamo_oacDelete(oac);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const char* plugin = XAMO_PLUGIN_PATH;
  g_dir = "dist/demo";
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "-o") == 0 && i + 1 < argc) g_dir = argv[++i];
    else if (argv[i][0] != '-') plugin = argv[i];
    else {
      fprintf(stderr, "usage: xamo_demo [-o DIR] [PLUGIN]\n");
      return 2;
    }
  }
  if (!MakeDirs(g_dir)) {
    fprintf(stderr, "cannot create the folder %s\n", g_dir.c_str());
    return 1;
  }
  XamoApi x;
  if (!subhost::LoadPlugin(plugin, &x)) return 1;
  subhost::Reset();
  x.ReceiveCoreDataPtr(subhost::CoreData());
  printf("Xamovel loaded from %s\n", plugin);

  sObject* obj = BuildBiped();
  Snapshot rest = {};
  Pose(obj, &rest);  // no update yet: every animMatrix is the identity
  printf("object %u: a biped of %u limbs\n", kObject, x.Xamo_ObjTotalLimbs(kObject));

  std::string blank = PathIn("blank.xam");
  x.Xamo_ObjMakeNewAnimation(kObject, const_cast<char*>(blank.c_str()));
  uint32_t walk = MakeAnimation(x, blank.c_str(), "walk.xam", kWalk, sizeof kWalk / sizeof kWalk[0]);
  uint32_t wave = MakeAnimation(x, blank.c_str(), "wave.xam", kWave, sizeof kWave / sizeof kWave[0]);
  remove(blank.c_str());
  for (uint32_t anim : {walk, wave}) {
    printf("%s: %u limbs, %u frames, %u keys on %s, loaded back from its file\n", anim == walk ? "walk" : "wave",
           x.Xamo_AnimGetTotalLimbs(anim), x.Xamo_AnimGetTotalFrames(anim),
           x.Xamo_AnimGetLimbKeys(anim, anim == walk ? kThighL : kForeArmR), anim == walk ? "thigh.L" : "forearm.R");
    if (x.Xamo_AnimGetTotalLimbs(anim) != kLimbs) {
      fprintf(stderr, "the animation did not load back with %u limbs\n", kLimbs);
      return 1;
    }
  }

  if (!WriteModel(x, obj, "walk.xam", "walk", "biped.x") || !WriteModel(x, obj, "wave.xam", "wave", "biped_wave.x"))
    return 1;

  std::string csvPath = PathIn("limbs.csv");
  FILE* csv = fopen(csvPath.c_str(), "w");
  if (!csv) {
    fprintf(stderr, "cannot write %s\n", csvPath.c_str());
    return 1;
  }
  Outcome outcome;
  bool ok = Run(x, obj, walk, wave, rest, csv, &outcome);
  x.Xamo_AnimDelete(walk);
  x.Xamo_AnimDelete(wave);
  ok = fclose(csv) == 0 && ok;
  if (!ok) return 1;
  printf("controller: saved to biped.oac and loaded back; walk looping on pelvis and below\n");
  printf("%u updates at 60 per second (%.1f s); upper-body transition into the wave reached factor %.2f "
         "at %.3f s\n", outcome.updates, kEnd / 1000.0, outcome.maxFactor, outcome.factorOneAtMs / 1000.0);
  printf("files in %s: walk.xam, wave.xam, biped.x, biped_wave.x, biped.oac, limbs.csv, skeleton.svg\n",
         g_dir.c_str());
  return 0;
}
