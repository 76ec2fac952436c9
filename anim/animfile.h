// Animations in memory and in the animation file ("XAMOVELN").
//
// File layout (little-endian, no padding): magic length L, L magic bytes, 1000, 0, 0, track count
// N, total frames (float), N tracks of {reference matrix (16 floats), key count K, K keys of
// {time, matrix}}, end mark 723. With L = 8: 36 + sum over tracks of 68 * (K + 1) bytes.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "anim/anim.h"
#include "plugin/debuglog.h"

// A new empty animation: no tracks, total frames 0, end mark 0, play speed 0.
AnimData* AnimCreateEmpty();
// Frees an animation with all its tracks and keys (null is fine).
void AnimFree(AnimData* anim);

// The total-frames rule: the largest key time among tracks 1 and up, keys 1 and up; 0 when the
// animation has fewer than 2 tracks or nothing is examined.
uint32_t ComputeTotalFrames(const AnimData* anim);
// Stores ComputeTotalFrames in totalFrames (unsigned to float), as every change of keys does.
void AnimUpdateTotalFrames(AnimData* anim);

// Builds an animation from a whole file image. Anything that is not a complete, well-formed file
// (wrong magic, too short, counts the size cannot back) gives the empty animation: all or nothing.
// The play speed is the default play speed, except for the empty animation (0). *why (when given)
// tells a whole file from a foreign or truncated one.
AnimData* AnimParse(const uint8_t* data, size_t size, FileLoadResult* why = nullptr);

// Lays out an animation's file (cursor-and-counter convention of plugin/filebuf.h).
void SerializeAnimation(uint8_t** cursor, const AnimData* anim, uint32_t* bytes);
// The parts of the file, for writers that lay out a file from other records than an AnimData:
// the header up to the total frames, one key record (time, then matrix), and the end mark.
void PutAnimFileHeader(uint8_t** cursor, uint32_t* bytes, uint32_t trackCount, float totalFrames);
void PutAnimFileKey(uint8_t** cursor, uint32_t* bytes, uint32_t time, const Mat4& matrix);
void PutAnimFileEnd(uint8_t** cursor, uint32_t* bytes);
// A track that holds still: identity reference, identity keys at frames 0 and 1 (204 bytes).
void PutAnimFileStillTrack(uint8_t** cursor, uint32_t* bytes);

// Loads a file (a missing or unreadable one gives the empty animation, *why kFileUnreadable).
AnimData* AnimLoadFile(const char* fileName, FileLoadResult* why = nullptr);
// Writes an animation's file; false when the file could not be created.
bool AnimSaveFile(const AnimData* anim, const char* fileName);

// Handles: AnimID <-> record. AnimFromHandle answers null for anything but a live animation.
uint32_t AnimRegister(AnimData* anim);
AnimData* AnimFromHandle(uint32_t animId);
// Forgets the handle and frees the animation (its own small record is retired, HandleRetire);
// false when the handle names no live animation.
bool AnimRelease(uint32_t animId);
