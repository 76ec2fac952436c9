// What xamo knows about the two file formats beyond what the plug-in's loaders need: which kind a
// file is, and a walk through it with ByteReader that keeps whatever can be read, says where the
// file stops, and explains what is wrong instead of giving up. Nothing is allocated beyond what
// the file's bytes back, whatever its counts claim.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "math/xmath.h"
#include "plugin/debuglog.h"  // XAMO_PRINTF

enum class FileKind { Empty, Unknown, Animation, Controller };

// Empty for 0 bytes, else which format the magic text names ("XAMOVELN" or "OACOBJ", any case).
FileKind DetectKind(const uint8_t* data, size_t size);

struct Problem {
  bool error;           // false: unusual, but the plug-in loads the file as it is
  size_t offset;        // byte offset in the file where it shows
  std::string message;
};

bool HasErrors(const std::vector<Problem>& problems);

// Called with the bytes walked so far, for a progress line on big files.
typedef void (*ProgressFn)(void* context, size_t done, size_t total);

// One track of an animation file as far as the file holds it.
struct AnimFileTrack {
  size_t at;            // offset of its reference matrix; its keys follow the key count
  uint32_t keyCount;    // as stated
  uint32_t keysInFile;  // whole keys present: keyCount unless the file ends first
};

struct AnimFile {
  uint32_t trackCount = 0;            // as stated in the header
  float statedTotal = 0;
  std::vector<AnimFileTrack> tracks;  // every track whose header is in the file
  bool complete = false;              // read through the end mark
  uint32_t endMark = 0;
  std::string stop;                   // where the file gives out, when it is not complete
};

// Walks an animation file field by field: magic, header, every track's key count and key times,
// the end mark. Reports truncation, counts the size cannot back, key times out of order or
// repeated, bytes after the end mark, an unusual end mark, a stated total that differs from the
// keys, and tracks too short to be played.
void ReadAnimationFile(const uint8_t* data, size_t size, AnimFile* file, std::vector<Problem>* problems,
                       ProgressFn progress, void* context);

// Key k (below keysInFile) of a track that ReadAnimationFile found.
void ReadAnimationKey(const uint8_t* data, const AnimFileTrack& track, uint32_t k, uint32_t* time, Mat4* matrix);

// A controller file's content as stored, as far as the file holds it.
struct OacLink {
  uint32_t parent;
  std::vector<uint32_t> childFlags;  // one per limb when whole
};

struct OacFile {
  uint32_t magicLength = 0;
  std::string magic;                 // the text the loader compares
  uint32_t format = 0, reserved[2] = {0, 0};
  uint32_t limbCount = 0;
  uint32_t modelType = 0;
  std::vector<uint32_t> updateOrder;
  std::vector<OacLink> links;
  std::vector<uint32_t> active;
  std::vector<int32_t> reference;
  bool header = false;               // the fields up to the model type were there
  bool complete = false;             // every field was there
  std::string stop;                  // where the file gives out, when it is not complete
};

// Reads a controller file ("OACOBJ") and reports what does not fit: truncation, extra bytes, limb
// numbers out of range, an update order that is not every limb once with parents first, child
// flags other than 0 or 1 or disagreeing with the parents, active flags other than 0 or 1.
void ReadControllerFile(const uint8_t* data, size_t size, OacFile* file, std::vector<Problem>* problems);
