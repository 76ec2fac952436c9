// What xamo knows about the two file formats beyond what the plug-in's loaders need: which kind a
// file is, and a walk through it with ByteReader that explains what is wrong instead of giving up.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

enum class FileKind { Unknown, Animation, Controller };

// Which format the magic text names ("XAMOVELN" or "OACOBJ", any letter case).
FileKind DetectKind(const uint8_t* data, size_t size);

struct Problem {
  bool error;           // false: unusual, but the plug-in loads the file as it is
  size_t offset;        // byte offset in the file where it shows
  std::string message;
};

// Calls back with the bytes walked so far, for a progress line on big files.
typedef void (*ProgressFn)(size_t done, size_t total);

// Walks an animation file field by field: magic, header, every track's key count and key times,
// the end mark. Reports truncation, counts the size cannot back, key times out of order or
// repeated, bytes after the end mark, an unusual end mark, a stated total that differs from the
// keys, and tracks too short to be played.
void CheckAnimationFile(const uint8_t* data, size_t size, std::vector<Problem>* problems, ProgressFn progress);

// A controller file's content as stored.
struct OacFile {
  uint32_t limbCount = 0;
  uint32_t modelType = 0;
  std::vector<uint32_t> updateOrder;
  std::vector<uint32_t> parents;
  std::vector<std::vector<uint32_t>> childFlags;  // [limb][limb]
  std::vector<uint32_t> active;
  std::vector<int32_t> reference;
  bool complete = false;  // every field was there
};

// Reads a controller file ("OACOBJ") and reports what does not fit: truncation, extra bytes, limb
// numbers out of range, an update order that is not every limb once with parents first, child
// flags other than 0 or 1 or disagreeing with the parents, active flags other than 0 or 1.
void ReadControllerFile(const uint8_t* data, size_t size, OacFile* file, std::vector<Problem>* problems);

bool HasErrors(const std::vector<Problem>& problems);
