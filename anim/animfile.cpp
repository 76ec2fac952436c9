#include "anim/animfile.h"

#include <stdlib.h>
#include <string.h>

#include "plugin/filebuf.h"
#include "plugin/handles.h"
#include "plugin/plugin.h"

namespace {
const uint32_t kEndMark = 723;
const uint32_t kFormat = 1000;
const uint32_t kTrackBytes = 68;  // reference matrix and key count
const uint32_t kKeyBytes = 68;    // time and matrix
}  // namespace

AnimData* AnimCreateEmpty() { return static_cast<AnimData*>(calloc(1, sizeof(AnimData))); }

namespace {
// Frees what an animation owns: its tracks and their keys.
void FreeTracks(AnimData* anim) {
  for (uint32_t i = 0; anim->tracks && i < anim->limbCount; ++i) {
    AnimTrack& t = anim->tracks[i];
    free(t.keys);
    free(t.rotationKeys);
    free(t.positionKeys);
    free(t.scaleKeys);
  }
  free(anim->tracks);
  anim->tracks = nullptr;
  anim->limbCount = 0;
}
}  // namespace

void AnimFree(AnimData* anim) {
  if (!anim) return;
  FreeTracks(anim);
  free(anim);
}

uint32_t ComputeTotalFrames(const AnimData* anim) {
  uint32_t total = 0;
  if (anim->limbCount < 2) return 0;
  for (uint32_t i = 1; i < anim->limbCount; ++i) {
    const AnimTrack& t = anim->tracks[i];
    for (uint32_t k = 1; k < t.keyCount; ++k)
      if (t.keys[k].time > total) total = t.keys[k].time;
  }
  return total;
}

void AnimUpdateTotalFrames(AnimData* anim) { anim->totalFrames = static_cast<float>(ComputeTotalFrames(anim)); }

AnimData* AnimParse(const uint8_t* data, size_t size, FileLoadResult* why) {
  AnimData* anim = AnimCreateEmpty();
  FileLoadResult ignored;
  if (!why) why = &ignored;
  *why = kFileForeign;
  ByteReader r = MakeReader(data, size);
  if (!ReadMagic(&r, "XAMOVELN")) return anim;
  *why = kFileTruncated;
  Skip(&r, 12);  // format number and two reserved words
  const uint32_t trackCount = GetU32(&r);
  const float statedTotal = GetF32(&r);
  (void)statedTotal;  // replaced by the total-frames rule
  if (!r.ok || !Fits(&r, trackCount, kTrackBytes)) return anim;

  // Check the whole layout first, so that nothing is allocated for a file that cannot back it.
  ByteReader scan = r;
  for (uint32_t i = 0; i < trackCount && scan.ok; ++i) {
    Skip(&scan, 64);
    const uint32_t keys = GetU32(&scan);
    if (!scan.ok || !Fits(&scan, keys, kKeyBytes)) return anim;
    Skip(&scan, static_cast<size_t>(keys) * kKeyBytes);
  }
  GetU32(&scan);  // end mark
  if (!scan.ok) return anim;
  *why = kFileLoaded;

  AnimTrack* tracks = trackCount ? static_cast<AnimTrack*>(calloc(trackCount, sizeof(AnimTrack))) : nullptr;
  for (uint32_t i = 0; i < trackCount; ++i) {
    AnimTrack& t = tracks[i];
    GetMatrix(&r, &t.referenceMatrix);
    t.keyCount = GetU32(&r);
    t.keys = static_cast<AnimKey*>(calloc(t.keyCount + 1, sizeof(AnimKey)));
    for (uint32_t k = 0; k < t.keyCount; ++k) {
      const uint32_t time = GetU32(&r);
      Mat4 m;
      GetMatrix(&r, &m);
      AnimKeySet(&t.keys[k], m, time);
    }
    AnimTrackKeysChanged(&t);
  }
  anim->limbCount = trackCount;
  anim->tracks = tracks;
  anim->endMark = GetU32(&r);
  anim->playSpeed = DefaultPlaySpeed();
  AnimUpdateTotalFrames(anim);
  return anim;
}

void PutAnimFileHeader(uint8_t** cursor, uint32_t* bytes, uint32_t trackCount, float totalFrames) {
  PutU32(cursor, bytes, 8);
  PutBytes(cursor, bytes, "XAMOVELN", 8);
  PutU32(cursor, bytes, kFormat);
  PutU32(cursor, bytes, 0);
  PutU32(cursor, bytes, 0);
  PutU32(cursor, bytes, trackCount);
  PutF32(cursor, bytes, totalFrames);
}

void PutAnimFileKey(uint8_t** cursor, uint32_t* bytes, uint32_t time, const Mat4& matrix) {
  PutU32(cursor, bytes, time);
  PutMatrix(cursor, bytes, matrix);
}

void PutAnimFileEnd(uint8_t** cursor, uint32_t* bytes) { PutU32(cursor, bytes, kEndMark); }

void PutAnimFileStillTrack(uint8_t** cursor, uint32_t* bytes) {
  PutMatrix(cursor, bytes, kIdentity);
  PutU32(cursor, bytes, 2);
  PutAnimFileKey(cursor, bytes, 0, kIdentity);
  PutAnimFileKey(cursor, bytes, 1, kIdentity);
}

void SerializeAnimation(uint8_t** cursor, const AnimData* anim, uint32_t* bytes) {
  PutAnimFileHeader(cursor, bytes, anim->limbCount, anim->totalFrames);
  for (uint32_t i = 0; i < anim->limbCount; ++i) {
    const AnimTrack& t = anim->tracks[i];
    PutMatrix(cursor, bytes, t.referenceMatrix);
    PutU32(cursor, bytes, t.keyCount);
    for (uint32_t k = 0; k < t.keyCount; ++k) PutAnimFileKey(cursor, bytes, t.keys[k].time, t.keys[k].matrix);
  }
  PutAnimFileEnd(cursor, bytes);
}

AnimData* AnimLoadFile(const char* fileName, FileLoadResult* why) {
  FileImage image;
  if (!OpenFileImage(fileName, &image)) {
    if (why) *why = kFileUnreadable;
    return AnimCreateEmpty();
  }
  AnimData* anim = AnimParse(image.data, image.size, why);
  CloseFileImage(&image);
  return anim;
}

namespace {
void LayOutAnimation(uint8_t** cursor, uint32_t* bytes, const void* anim) {
  SerializeAnimation(cursor, static_cast<const AnimData*>(anim), bytes);
}
}  // namespace

bool AnimSaveFile(const AnimData* anim, const char* fileName) {
  return WriteLaidOutFile(fileName, LayOutAnimation, anim);
}

uint32_t AnimRegister(AnimData* anim) { return HandleRegister(anim, kHandleAnim); }

AnimData* AnimFromHandle(uint32_t animId) { return static_cast<AnimData*>(HandleLookup(animId, kHandleAnim)); }

bool AnimRelease(uint32_t animId) {
  AnimData* anim = static_cast<AnimData*>(HandleRelease(animId, kHandleAnim));
  if (!anim) return false;
  FreeTracks(anim);
  HandleRetire(anim);
  return true;
}
