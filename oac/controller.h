// Object animation controllers: per-limb playback of animations on one host object.
//
// A controller keeps, for every limb of its object, a play state (an animation range, its frame
// and speed, the last pose) and a transition state (a second animation into which the limb is
// blended over a time). The playback commands fill these states; OacUpdate advances them, samples
// the animations and writes the limb matrices into the host object.
//
// Limb numbers: a limb is valid when it is below both the host object's live limbCount and the
// controller's own limbCount (the size of its arrays). An oacID names an OacData through the handle
// registry (kHandleOac); an AnimID stored in a record whose animation was deleted since is treated
// as no animation (the limb holds its pose).
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "anim/anim.h"
#include "oac/sample.h"
#include "math/xmath.h"
#include "plugin/debuglog.h"  // FileLoadResult
#include "plugin/host.h"

// Play state of one limb.
struct OacLimbPlay {
  uint32_t animId;      // AnimID played; 0 = none
  float startFrame;     // first frame of the range; 0
  float endFrame;       // last frame of the range; 0
  float currentFrame;   // frame reached; 0
  float speed;          // frames per second (negative plays backwards); 0
  uint8_t looping;      // 1 = the frame wraps within the range, 0 = it stops at the end
  uint8_t active;       // 1 = the update advances and samples; 0 = the limb holds its pose
  uint32_t keyHint;     // matrix key index of the last sampling; 0
};
// The play pose of a limb (the last sampled pose, or the pose a command put there; identity at
// first) is kept apart from these fields, in OacData::playPose, so that the fields the update reads
// for every limb lie close together.

// Transition state of one limb.
struct OacLimbTrans {
  uint32_t animId;      // AnimID blended into; stays set after the transition ends; 0
  float startFrame, endFrame, currentFrame, speed;  // as in OacLimbPlay; 0
  uint8_t looping;      // as in OacLimbPlay
  uint8_t active;       // 1 = a transition is running
  uint8_t blended;      // 1 = OacData::blendPose holds the blend of the running transition
  uint32_t totalTime;   // length in milliseconds
  uint32_t timeUsed;    // milliseconds elapsed, at most totalTime after an update
  float interpol;       // factor of the last update, timeUsed / totalTime
  uint32_t keyHint;     // as in OacLimbPlay
};

// One limb of the tree recorded at creation.
struct LimbLink {
  uint32_t parent;       // FindLimbParent answer: 0 for a root and for a child of limb 0
  uint32_t* childFlags;  // limbCount entries: 1 when limb j descends from this limb, else 0
};

// Work the update would redo every frame with the same result, kept per limb with its inputs and
// reused only while the inputs hold the very same bits.
// The limb's own transform U = S x Rx x Ry x Rz x T of the host's limbOffset, limbScale and
// limbRotation (nine floats in a row in the host's limb record).
// (112 bytes, every row on a 16-byte boundary: no load of a row or of the key spans two cache lines.)
struct OacTransformCache {
  Mat4 u;
  float key[9];    // limbOffset, limbScale, limbRotation that `u` was built from
  uint32_t state;  // kTransformNone, kTransformBuilt, or kTransformIdentity (built and U = I)
  uint32_t pad[2];
};
enum : uint32_t { kTransformNone = 0, kTransformBuilt = 1, kTransformIdentity = 2 };

// The limb's localMatrix M as a transition last saw it: whether it is rigid, and its inverse once a
// blend that is not rigid needed it.
struct OacLocalCache {
  Mat4 m;          // the localMatrix these facts are about
  Mat4 inverse;    // MatInverse(m), when state has kLocalInverse
  uint32_t state;  // 0 = nothing known yet, else kLocalKnown, plus kLocalRigid and kLocalInverse
  uint32_t pad[3];
};
enum : uint32_t { kLocalKnown = 1, kLocalRigid = 2, kLocalInverse = 4 };

struct OacData {
  uint32_t objectNumber;        // host object number given at creation
  HostObject object;            // the host object as looked up at creation (record and generation)
  uint32_t limbCount;           // size of every per-limb array, fixed for life
  OacLimbPlay* limbPlay;        // [limbCount]
  OacLimbTrans* limbTrans;      // [limbCount]
  uint32_t* updateOrder;        // [limbCount] limbs in visiting order: limb 0, then by depth
  Mat4* localMatrices;          // [limbCount] what the last update wrote for each limb; identity
  LimbLink* limbLinks;          // [limbCount]
  uint32_t modelType;           // 1 = the limb's localMatrix enters a blend on the right, else left
  uint8_t* limbActive;          // [limbCount] 1 = the update processes the limb; 1
  uint8_t updateBounds;         // 1 = a written limb also raises the object's bounds flags; 0
  int32_t* limbReference;       // [limbCount] host limb written for this limb; its own number
  // Resolved animations of each record (null: none, deleted, or not looked up), and the limb's
  // track in each (null also when the animation has no track for the limb). Set through
  // OacSetPlayAnim and OacSetTransAnim, which keep the two together.
  const AnimData** playAnim;    // [limbCount]
  const AnimData** transAnim;   // [limbCount]
  const AnimTrack** playTrack;  // [limbCount]
  const AnimTrack** transTrack; // [limbCount]
  uint32_t animReleases;        // HandleReleaseCount(kHandleAnim) when the pointers were resolved
  Pose* playPose;               // [limbCount] play pose of each limb; identity (64-byte aligned)
  Pose* transPose;              // [limbCount] transition pose sampled by the running update
  Pose* blendPose;              // [limbCount] pose of the last blend, before the limb transform
  OacTransformCache* transform; // [limbCount]
  OacLocalCache* local;         // [limbCount]
  uint32_t orderState;          // kOrderUnknown until the update has looked at updateOrder
  uint8_t* orderMarks;          // [limbCount] all 0: room to mark limbs while looking
  uint32_t* visit;              // [limbCount] the limbs the update processes, in order
  uint32_t visitCount;          // how many of them
  uint32_t visitFor;            // the host's limbCount + 1 when `visit` was made; 0: to be made again
  uint32_t* blending;           // [limbCount] room for those of them whose transition it blends
  const Pose** shown;           // [limbCount] room for the pose each of them shows
};
enum : uint32_t { kOrderUnknown = 0, kOrderDistinct = 1, kOrderRepeats = 2 };

// --- Lifecycle ---------------------------------------------------------------------------------
// A record of n limbs at its fresh values: idle play and transition states with identity poses,
// identity local matrices, every limb active and referring to itself, the order 0, 1, 2, ... and
// links without parent or descendants, model type 0, updateBounds 0.
OacData* OacAlloc(const HostObject& obj, uint32_t n);
OacData* OacCreate(const HostObject& obj);                        // tree, order, model type from obj
OacData* OacClone(const HostObject& obj, const OacData* source);  // tree and settings from source
void OacFree(OacData* c);                                          // frees by the controller's own count
uint32_t OacRegister(OacData* c);                                  // oacID of a new controller
OacData* OacFromHandle(uint32_t oacId);                            // null unless a live controller
void OacRelease(uint32_t oacId);                                   // forgets the handle and frees

// The bound of limb numbers: min(object's live limbCount, controller's limbCount).
uint32_t OacLimbBound(const OacData* c);
inline bool OacLimbValid(const OacData* c, uint32_t limb) { return limb < OacLimbBound(c); }

// --- Playback (limb must be valid and below each animation's limbCount, else nothing) ----------
// Why a playback command on `limb` with `animId` would do nothing, or kPlaybackOk; *anim gets the
// animation (null for a dead handle). The commands below refuse exactly these cases, returning false.
enum PlaybackCheck : uint32_t {
  kPlaybackOk = 0,
  kPlaybackNoAnimation,          // animId names no live animation
  kPlaybackLimbBeyondObject,     // limb is not below OacLimbBound
  kPlaybackLimbBeyondAnimation,  // limb is not below the animation's limbCount
};
PlaybackCheck OacCheckPlayback(const OacData* c, uint32_t limb, uint32_t animId, const AnimData** anim);
bool OacSetFrame(OacData* c, uint32_t limb, uint32_t animId, float frame, int32_t exChild);
bool OacPlayAnim(OacData* c, uint32_t limb, uint32_t animId, float start, float current, float end,
                 int32_t loop, int32_t exChild);
bool OacAnimTransition(OacData* c, uint32_t limb, uint32_t animId, float start, float current, float end,
                       uint32_t transTime, int32_t loop, int32_t exChild);
bool OacSetInterpolFrame(OacData* c, uint32_t limb, uint32_t animIdA, float frameA, uint32_t animIdB,
                         float frameB, float interpol, int32_t exChild);

// Resolves the play or transition record of limb l to animation a (null: none).
void OacSetPlayAnim(OacData* c, uint32_t l, const AnimData* a);
void OacSetTransAnim(OacData* c, uint32_t l, const AnimData* a);

// A limb's switch (1 = processed by the update) and the host limb it writes to.
void OacSetLimbActive(OacData* c, uint32_t limb, uint8_t active);
void OacSetLimbReference(OacData* c, uint32_t limb, int32_t ref);

// Truncation toward zero to a 64-bit integer, its low 32 bits (0 for NaN and out-of-range values).
uint32_t TruncLow32(double v);

// Advances every processed limb by `time` milliseconds and writes the host limbs. Allocates nothing.
void OacUpdate(OacData* c, uint32_t time);

// --- Settings and queries ----------------------------------------------------------------------
// Sets the play (trans = false) or transition speed of `limb` and, unless exChild, its descendants
// in the host object's tree as it stands now. Limb 0 changes nothing.
// False (nothing changed) when limb is not valid.
bool OacSetLimbSpeed(OacData* c, uint32_t limb, float speed, int32_t exChild, bool trans);
// Object-space matrix of a limb: F(L) x localMatrix(L) x global(parent of L) on the host's tree.
void OacGlobalMatrix(const OacData* c, uint32_t limb, Mat4* out);
// Turns limb to the global angles (degrees) as its held pose, cancelling its parent's rotation.
bool OacGlobalRotateLimb(OacData* c, uint32_t limb, float x, float y, float z);  // false: limb not valid
// The same on a host object directly: writes the limb's animMatrix and the three change flags.
bool HostGlobalRotateLimb(const HostObject& obj, uint32_t limb, float x, float y, float z);  // likewise

// --- Controller file ("OACOBJ") ----------------------------------------------------------------
// Bytes of a controller's file; the cursor-and-counter convention of plugin/filebuf.h.
void SerializeController(uint8_t** cursor, const OacData* c, uint32_t* bytes);
bool OacSaveFile(const OacData* c, const char* fileName);          // false when not written
// A controller for obj from a file image; null (nothing allocated) for a wrong magic, a short
// image or a limb count other than the object's.
// `why`, when not null, tells a foreign, truncated or other-limb-count image (or, from OacLoadFile,
// an unreadable file) from a loaded one.
OacData* OacParse(const HostObject& obj, const uint8_t* data, size_t size, FileLoadResult* why = nullptr);
OacData* OacLoadFile(const HostObject& obj, const char* fileName, FileLoadResult* why = nullptr);
