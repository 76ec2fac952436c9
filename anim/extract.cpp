#include "anim/extract.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "anim/animfile.h"
#include "oac/sample.h"
#include "objutil/objstats.h"
#include "plugin/filebuf.h"

namespace {

const uint32_t kNoInterval = 0xFFFFFFFFu;  // FindKeyIndex: the time lies before the kind's first key

// An ordered list of matrix keys wherever they are stored: key j's time and matrix lie at
// base + j * stride + timeOffset and + matrixOffset. At least one key.
struct KeyList {
  const uint8_t* base;
  uint32_t count;
  uint32_t stride;
  uint32_t timeOffset;
  uint32_t matrixOffset;
};

uint32_t KeyTime(const KeyList& k, uint32_t j) {
  uint32_t t;
  memcpy(&t, k.base + static_cast<size_t>(j) * k.stride + k.timeOffset, sizeof t);
  return t;
}

const Mat4& KeyMatrix(const KeyList& k, uint32_t j) {
  return *reinterpret_cast<const Mat4*>(k.base + static_cast<size_t>(j) * k.stride + k.matrixOffset);
}

// What every written matrix M becomes: R * M for matrix keys, R * (K0 * M * R) for resampled ones.
struct KeyTransform {
  bool resampled;
  Mat4 reference;  // R, also written as the track's reference matrix
  Mat4 first;      // K0, the first resampled matrix
};

void ApplyTransform(Mat4* out, const KeyTransform& x, const Mat4& m) {
  if (!x.resampled) {
    MatMultiply(out, x.reference, m);
    return;
  }
  Mat4 t;
  MatMultiply(&t, x.first, m);
  MatMultiply(&t, t, x.reference);
  MatMultiply(out, x.reference, t);
}

// Where the range closes: matrix keys at the first key at or after End, resampled keys at the
// first key after it.
enum EndRule { kCloseAtOrAfter, kCloseAfter };

// The factor of time t between key times ta and tb; 0 when the two are equal.
float Factor(float t, uint32_t ta, uint32_t tb) {
  const float fa = static_cast<float>(ta), fb = static_cast<float>(tb);
  return fb == fa ? 0.0f : (t - fa) / (fb - fa);
}

// One key of the file: the blend of keys i and j at factor s (key i alone for s <= 0), turned by
// x. The size pass (no cursor) computes nothing.
void PutBlendedKey(uint8_t** cursor, uint32_t* bytes, uint32_t time, const KeyList& k, uint32_t i, uint32_t j,
                   float s, const KeyTransform& x) {
  Mat4 m = kIdentity;
  if (cursor) {
    Mat4 blend;
    BlendMatrices(&blend, KeyMatrix(k, i), KeyMatrix(k, j), s);
    ApplyTransform(&m, x, blend);
  }
  PutAnimFileKey(cursor, bytes, time, m);
}

// The key count and keys of one animated track over Start..End. `lastTime` is the limb's end under
// the to-end rule.
void PutKeyRange(uint8_t** cursor, uint32_t* bytes, const KeyList& k, const KeyTransform& x, EndRule rule,
                 uint32_t lastTime, uint32_t start, int32_t end) {
  const uint32_t n = k.count;
  uint32_t stop = end == kExtractToEnd ? lastTime : (end < 0 ? 0u : static_cast<uint32_t>(end));
  if (stop < start) stop = start;  // an empty range: the pose at Start

  // a opens the interval holding Start: the key before the first one at or after Start, or key 0
  // when every key lies before Start (the first key then blends keys 0 and 1 past their end,
  // which gives key 1).
  uint32_t a = 0;
  for (uint32_t j = 1; j < n; ++j)
    if (KeyTime(k, j) >= start) {
      a = j - 1;
      break;
    }
  // b closes the interval holding End.
  uint32_t b = n - 1;
  for (uint32_t j = 1; j < n; ++j) {
    const uint32_t t = KeyTime(k, j);
    if (rule == kCloseAfter ? t > stop : t >= stop) {
      b = j;
      break;
    }
  }
  uint32_t middle = 0;
  for (uint32_t j = 0; j < n; ++j)
    if (start < KeyTime(k, j) && KeyTime(k, j) < stop) ++middle;

  PutU32(cursor, bytes, middle + 2);
  const uint32_t a1 = n >= 2 ? a + 1 : a;
  const uint32_t b0 = b ? b - 1 : b;
  const float fStart = static_cast<float>(start), fStop = static_cast<float>(stop);
  PutBlendedKey(cursor, bytes, 0, k, a, a1, Factor(fStart, KeyTime(k, a), KeyTime(k, a1)), x);
  for (uint32_t j = 0; j < n; ++j) {
    const uint32_t t = KeyTime(k, j);
    if (start < t && t < stop) PutBlendedKey(cursor, bytes, t - start, k, j, j, 0.0f, x);
  }
  PutBlendedKey(cursor, bytes, stop - start, k, b0, b, Factor(fStop, KeyTime(k, b0), KeyTime(k, b)), x);
}

void PutMatrixKeyTrack(uint8_t** cursor, uint32_t* bytes, const sLimbAnim* a, uint32_t start, int32_t end) {
  const KeyList k = {HostPtr<const uint8_t>(a->matrixKeys), a->matrixKeyCount, sizeof(sMatrixKey),
                     offsetof(sMatrixKey, time), offsetof(sMatrixKey, matrix)};
  KeyTransform x;
  x.resampled = false;
  MatInverse(&x.reference, *AsMat4(HostPtr<const sLimb>(a->limb)->localMatrix));
  x.first = kIdentity;
  PutMatrix(cursor, bytes, x.reference);
  PutKeyRange(cursor, bytes, k, x, kCloseAtOrAfter, KeyTime(k, k.count - 1), start, end);
}

// --- The resampled case --------------------------------------------------------------------------

// Position and scale keys share one host layout.
static_assert(sizeof(sPosKey) == sizeof(sScaleKey) && offsetof(sPosKey, position) == offsetof(sScaleKey, scale),
              "position and scale keys alike");

// A kind of the working track from the host's keys: all of them when there are two or more, else
// two keys at frames 0 and 1 holding the single key's value (or `neutral`).
AnimVecKey* WorkingVecKeys(HostAddr hostKeys, uint32_t c, float neutral, uint32_t* count) {
  const sPosKey* h = HostPtr<const sPosKey>(hostKeys);
  const uint32_t n = c > 1 ? c : 2;
  AnimVecKey* out = static_cast<AnimVecKey*>(calloc(n, sizeof(AnimVecKey)));
  if (c > 1) {
    for (uint32_t i = 0; i < c; ++i)
      out[i] = AnimVecKey{h[i].position[0], h[i].position[1], h[i].position[2], h[i].time};
  } else {
    const AnimVecKey v = c ? AnimVecKey{h[0].position[0], h[0].position[1], h[0].position[2], 0}
                           : AnimVecKey{neutral, neutral, neutral, 0};
    out[0] = v;
    out[1] = v;
    out[1].time = 1;
  }
  *count = n;
  return out;
}

AnimRotKey* WorkingRotKeys(HostAddr hostKeys, uint32_t c, uint32_t* count) {
  const sRotKey* h = HostPtr<const sRotKey>(hostKeys);
  const uint32_t n = c > 1 ? c : 2;
  AnimRotKey* out = static_cast<AnimRotKey*>(calloc(n, sizeof(AnimRotKey)));
  if (c > 1) {
    for (uint32_t i = 0; i < c; ++i)
      out[i] = AnimRotKey{Quat{h[i].rotation[0], h[i].rotation[1], h[i].rotation[2], h[i].rotation[3]}, h[i].time};
  } else {
    const Quat q = c ? Quat{h[0].rotation[0], h[0].rotation[1], h[0].rotation[2], h[0].rotation[3]}
                     : Quat{0.0f, 0.0f, 0.0f, 1.0f};
    out[0] = AnimRotKey{q, 0};
    out[1] = AnimRotKey{q, 1};
  }
  *count = n;
  return out;
}

int CompareTimes(const void* a, const void* b) {
  const uint32_t x = *static_cast<const uint32_t*>(a), y = *static_cast<const uint32_t*>(b);
  return x < y ? -1 : x > y;
}

// Where time t falls in one kind: keys *i and *i + 1 at factor *s (not clamped past the last key);
// *hold when t lies before the kind's first key, which then holds that key's value.
template <class Key>
void LocateInKind(const AnimTrack* track, int kind, const Key* keys, uint32_t t, uint32_t* i, float* s, bool* hold) {
  const uint32_t j = FindKeyIndexInTrack(track, kind, static_cast<float>(t));
  *hold = j == kNoInterval || t < keys[0].time;
  *i = *hold ? 0 : j;
  *s = *hold ? 0.0f : Factor(static_cast<float>(t), keys[*i].time, keys[*i + 1].time);
}

void SampleVec(const AnimTrack* track, int kind, const AnimVecKey* keys, uint32_t t, float out[3]) {
  uint32_t i;
  float s;
  bool hold;
  LocateInKind(track, kind, keys, t, &i, &s, &hold);
  const AnimVecKey& a = keys[i];
  if (hold) {
    out[0] = a.x, out[1] = a.y, out[2] = a.z;
    return;
  }
  const AnimVecKey& b = keys[i + 1];
  out[0] = a.x + (b.x - a.x) * s;
  out[1] = a.y + (b.y - a.y) * s;
  out[2] = a.z + (b.z - a.z) * s;
}

void SampleRotation(const AnimTrack* track, uint32_t t, Quat* out) {
  uint32_t i;
  float s;
  bool hold;
  LocateInKind(track, kKindRotation, track->rotationKeys, t, &i, &s, &hold);
  if (hold) *out = track->rotationKeys[0].rotation;
  else QuatSlerp(out, track->rotationKeys[i].rotation, track->rotationKeys[i + 1].rotation, s);
}

// The matrix of the working track at frame t: identity, then scaling, rotation, translation.
void ResampleAt(const AnimTrack* track, uint32_t t, Mat4* out) {
  float scale[3], position[3];
  Quat rotation;
  SampleVec(track, kKindScale, track->scaleKeys, t, scale);
  SampleRotation(track, t, &rotation);
  SampleVec(track, kKindPosition, track->positionKeys, t, position);
  Mat4 part;
  MatScaling(&part, scale[0], scale[1], scale[2]);
  MatMultiply(out, kIdentity, part);
  MatFromQuat(&part, rotation);
  MatMultiply(out, *out, part);
  MatTranslation(&part, position[0], position[1], position[2]);
  MatMultiply(out, *out, part);
}

// The one-track working animation of a limb animated by position, rotation and scale keys: the
// three kinds, and one matrix key at every frame from 0 to the last key where any kind has a key.
// The matrices and the reference matrix are computed only when `withMatrices` (the size of the
// file depends on the key times alone).
AnimData* BuildWorkingAnimation(const sLimbAnim* a, float totalFrames, bool withMatrices) {
  AnimData* work = AnimCreateEmpty();
  work->limbCount = 1;
  work->totalFrames = totalFrames;
  work->tracks = static_cast<AnimTrack*>(calloc(1, sizeof(AnimTrack)));
  AnimTrack* t = work->tracks;
  t->rotationKeys = WorkingRotKeys(a->rotationKeys, a->rotationKeyCount, &t->rotationKeyCount);
  t->positionKeys = WorkingVecKeys(a->positionKeys, a->positionKeyCount, 0.0f, &t->positionKeyCount);
  t->scaleKeys = WorkingVecKeys(a->scaleKeys, a->scaleKeyCount, 1.0f, &t->scaleKeyCount);

  uint32_t last = t->rotationKeys[t->rotationKeyCount - 1].time;
  if (t->positionKeys[t->positionKeyCount - 1].time > last) last = t->positionKeys[t->positionKeyCount - 1].time;
  if (t->scaleKeys[t->scaleKeyCount - 1].time > last) last = t->scaleKeys[t->scaleKeyCount - 1].time;

  // The union of the three kinds' key times up to the last, ascending, each once.
  const size_t most = static_cast<size_t>(t->rotationKeyCount) + t->positionKeyCount + t->scaleKeyCount;
  uint32_t* times = static_cast<uint32_t*>(malloc(most * sizeof(uint32_t)));
  size_t n = 0;
  for (uint32_t i = 0; i < t->rotationKeyCount; ++i) times[n++] = t->rotationKeys[i].time;
  for (uint32_t i = 0; i < t->positionKeyCount; ++i) times[n++] = t->positionKeys[i].time;
  for (uint32_t i = 0; i < t->scaleKeyCount; ++i) times[n++] = t->scaleKeys[i].time;
  qsort(times, n, sizeof(uint32_t), CompareTimes);
  size_t unique = 0;
  for (size_t i = 0; i < n && times[i] <= last; ++i)
    if (unique == 0 || times[unique - 1] != times[i]) times[unique++] = times[i];

  t->keyCount = static_cast<uint32_t>(unique);
  t->keys = static_cast<AnimKey*>(calloc(unique + 1, sizeof(AnimKey)));
  for (size_t i = 0; i < unique; ++i) {
    Mat4 m = kIdentity;
    if (withMatrices) ResampleAt(t, times[i], &m);
    AnimKeySet(&t->keys[i], m, times[i]);
  }
  AnimTrackKeysChanged(t);
  free(times);
  t->referenceMatrix = kIdentity;
  if (withMatrices) MatInverse(&t->referenceMatrix, t->keys[0].matrix);
  return work;
}

void PutResampledTrack(uint8_t** cursor, uint32_t* bytes, const sLimbAnim* a, float totalFrames, uint32_t start,
                       int32_t end) {
  AnimData* work = BuildWorkingAnimation(a, totalFrames, cursor != nullptr);
  const AnimTrack& t = work->tracks[0];
  const KeyList k = {reinterpret_cast<const uint8_t*>(t.keys), t.keyCount, sizeof(AnimKey), offsetof(AnimKey, time),
                     offsetof(AnimKey, matrix)};
  KeyTransform x;
  x.resampled = true;
  x.reference = t.referenceMatrix;
  x.first = t.keys[0].matrix;
  PutMatrix(cursor, bytes, t.referenceMatrix);
  PutKeyRange(cursor, bytes, k, x, kCloseAfter, t.rotationKeys[t.rotationKeyCount - 1].time, start, end);
  AnimFree(work);
}

struct ExtractRequest {
  const HostObject* obj;
  uint32_t start;
  int32_t end;
};

void LayOutExtraction(uint8_t** cursor, uint32_t* bytes, const void* context) {
  const ExtractRequest* r = static_cast<const ExtractRequest*>(context);
  ExtractAnimationFile(*r->obj, cursor, bytes, r->start, r->end);
}

}  // namespace

void ExtractAnimationFile(const HostObject& obj, uint8_t** cursor, uint32_t* bytes, uint32_t start, int32_t end) {
  const float total = HostTotalAnimFrames(obj);
  const bool animated = total > 0.0f;
  const uint32_t limbs = animated ? obj.rec->limbCount : 0;
  PutAnimFileHeader(cursor, bytes, limbs, total);
  if (animated) {
    // Both comparisons hold only for a total that fits the integer it is truncated to.
    if (total < static_cast<float>(start)) start = static_cast<uint32_t>(total);
    if (total < static_cast<float>(end)) end = static_cast<int32_t>(total);
  }
  for (uint32_t i = 0; i < limbs; ++i) {
    const sLimbAnim* a = FindLimbAnim(obj.rec, i);
    if (!a) PutAnimFileStillTrack(cursor, bytes);
    else if (a->matrixKeyCount > 1) PutMatrixKeyTrack(cursor, bytes, a, start, end);
    else if (a->positionKeyCount > 1 || a->scaleKeyCount > 1 || a->rotationKeyCount > 1)
      PutResampledTrack(cursor, bytes, a, total, start, end);
    else PutAnimFileStillTrack(cursor, bytes);
  }
  PutAnimFileEnd(cursor, bytes);
}

bool ExtractAnimationToFile(const HostObject& obj, const char* fileName, uint32_t start, int32_t end) {
  const ExtractRequest r = {&obj, start, end};
  return WriteLaidOutFile(fileName, LayOutExtraction, &r);
}
