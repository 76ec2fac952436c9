#include "xamofile.h"

#include <stdarg.h>
#include <stdio.h>

#include "plugin/filebuf.h"

namespace {

const uint32_t kEndMark = 723;
const size_t kKeyBytes = 68;     // time + 16 floats
const size_t kTrackHead = 68;    // reference matrix + key count

size_t OffsetOf(const ByteReader& r, const uint8_t* data) { return static_cast<size_t>(r.p - data); }

void Add(std::vector<Problem>* problems, bool error, size_t offset, const char* fmt, ...)
    __attribute__((format(gnu_printf, 4, 5)));
void Add(std::vector<Problem>* problems, bool error, size_t offset, const char* fmt, ...) {
  char text[512];
  va_list args;
  va_start(args, fmt);
  vsnprintf(text, sizeof text, fmt, args);
  va_end(args);
  problems->push_back({error, offset, text});
}

}  // namespace

FileKind DetectKind(const uint8_t* data, size_t size) {
  ByteReader r = MakeReader(data, size);
  if (ReadMagic(&r, "XAMOVELN")) return FileKind::Animation;
  r = MakeReader(data, size);
  if (ReadMagic(&r, "OACOBJ")) return FileKind::Controller;
  return FileKind::Unknown;
}

bool HasErrors(const std::vector<Problem>& problems) {
  for (const Problem& p : problems)
    if (p.error) return true;
  return false;
}

void CheckAnimationFile(const uint8_t* data, size_t size, std::vector<Problem>* problems, ProgressFn progress) {
  ByteReader r = MakeReader(data, size);
  if (!ReadMagic(&r, "XAMOVELN")) {
    Add(problems, true, 0, "not an animation file: the magic text is not \"XAMOVELN\"");
    return;
  }
  Skip(&r, 12);
  const uint32_t tracks = GetU32(&r);
  const float stated = GetF32(&r);
  if (!r.ok) {
    Add(problems, true, size, "truncated: the file ends inside its header (%zu bytes)", size);
    return;
  }
  if (!Fits(&r, tracks, kTrackHead))
    Add(problems, true, OffsetOf(r, data) - 8,
        "the track count %u needs at least %llu bytes of tracks, but only %zu bytes follow the header", tracks,
        static_cast<unsigned long long>(tracks) * kTrackHead, r.left);
  uint32_t computedTotal = 0;
  for (uint32_t t = 0; t < tracks; ++t) {
    if (progress) progress(OffsetOf(r, data), size);
    const size_t trackAt = OffsetOf(r, data);
    Skip(&r, 64);
    const uint32_t keys = GetU32(&r);
    if (!r.ok) {
      Add(problems, true, trackAt, "truncated: the file ends in the header of track %u of %u", t, tracks);
      return;
    }
    if (!Fits(&r, keys, kKeyBytes)) {
      Add(problems, true, trackAt + 64, "truncated or miscounted: track %u states %u keys (%llu bytes) but only %zu bytes are left", t, keys,
          static_cast<unsigned long long>(keys) * kKeyBytes, r.left);
      return;
    }
    if (keys < 2)
      Add(problems, false, trackAt + 64, "track %u has %u key%s: a controller cannot play it between two keys", t,
          keys, keys == 1 ? "" : "s");
    uint32_t previous = 0;
    for (uint32_t k = 0; k < keys; ++k) {
      const size_t keyAt = OffsetOf(r, data);
      const uint32_t time = GetU32(&r);
      Skip(&r, 64);
      if (k > 0 && time < previous)
        Add(problems, true, keyAt, "track %u: key %u at frame %u comes after key %u at frame %u (out of order)", t, k,
            time, k - 1, previous);
      else if (k > 0 && time == previous)
        Add(problems, false, keyAt, "track %u: keys %u and %u both stand at frame %u", t, k - 1, k, time);
      if (t >= 1 && k >= 1 && time > computedTotal) computedTotal = time;
      previous = time;
    }
  }
  const size_t endAt = OffsetOf(r, data);
  const uint32_t end = GetU32(&r);
  if (!r.ok) {
    Add(problems, true, endAt, "truncated: the end mark is missing (the file ends at byte %zu)", size);
    return;
  }
  if (end != kEndMark) Add(problems, false, endAt, "the end mark is %u, not %u", end, kEndMark);
  if (r.left) Add(problems, true, endAt + 4, "%zu bytes follow the end mark: the counts do not fit the file size", r.left);
  if (stated != static_cast<float>(computedTotal))
    Add(problems, false, 4 + (data[0] | data[1] << 8 | data[2] << 16 | static_cast<size_t>(data[3]) << 24) + 16,
        "the header states %g total frames, the keys give %u (the loader uses %u)", stated, computedTotal,
        computedTotal);
  if (progress) progress(size, size);
}

void ReadControllerFile(const uint8_t* data, size_t size, OacFile* f, std::vector<Problem>* problems) {
  ByteReader r = MakeReader(data, size);
  if (!ReadMagic(&r, "OACOBJ")) {
    Add(problems, true, 0, "not a controller file: the magic text is not \"OACOBJ\"");
    return;
  }
  Skip(&r, 12);
  f->limbCount = GetU32(&r);
  f->modelType = GetU32(&r);
  const uint32_t n = f->limbCount;
  if (!r.ok) {
    Add(problems, true, size, "truncated: the file ends inside its header (%zu bytes)", size);
    return;
  }
  const uint64_t need = 16ull * n + 4ull * n * n;
  if (need != r.left) {
    Add(problems, true, OffsetOf(r, data) - 8, "%u limbs need %llu bytes after the header, the file has %zu%s", n,
        static_cast<unsigned long long>(need), r.left, need > r.left ? " (truncated)" : " (extra bytes)");
    if (need > r.left) return;
  }
  f->updateOrder.resize(n);
  f->parents.resize(n);
  f->childFlags.assign(n, std::vector<uint32_t>(n));
  f->active.resize(n);
  f->reference.resize(n);
  for (uint32_t i = 0; i < n; ++i) f->updateOrder[i] = GetU32(&r);
  for (uint32_t i = 0; i < n; ++i) {
    f->parents[i] = GetU32(&r);
    for (uint32_t j = 0; j < n; ++j) f->childFlags[i][j] = GetU32(&r);
  }
  for (uint32_t i = 0; i < n; ++i) f->active[i] = GetU32(&r);
  for (uint32_t i = 0; i < n; ++i) f->reference[i] = static_cast<int32_t>(GetU32(&r));
  f->complete = r.ok;

  std::vector<int> seenAt(n, -1);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t l = f->updateOrder[i];
    if (l >= n) Add(problems, true, 30 + 4 * i, "update order position %u names limb %u of %u", i, l, n);
    else if (seenAt[l] >= 0) Add(problems, true, 30 + 4 * i, "limb %u stands twice in the update order", l);
    else seenAt[l] = static_cast<int>(i);
  }
  for (uint32_t i = 0; i < n; ++i) {
    const size_t linkAt = 30 + 4 * n + i * (4 + 4 * static_cast<size_t>(n));
    const uint32_t p = f->parents[i];
    if (p >= n) {
      Add(problems, true, linkAt, "limb %u has parent %u, beyond the %u limbs", i, p, n);
      continue;
    }
    if (p != 0 && seenAt[i] >= 0 && seenAt[p] >= 0 && seenAt[p] > seenAt[i])
      Add(problems, true, linkAt, "limb %u is updated before its parent %u", i, p);
    for (uint32_t j = 0; j < n; ++j)
      if (f->childFlags[i][j] > 1)
        Add(problems, true, linkAt + 4 + 4 * j, "child flag of limb %u for limb %u is %u, not 0 or 1", i, j,
            f->childFlags[i][j]);
  }
  // Every limb with a parent other than 0 must be flagged as a descendant of that parent.
  for (uint32_t j = 0; j < n; ++j) {
    const uint32_t p = f->parents[j];
    if (p != 0 && p < n && f->childFlags[p][j] != 1)
      Add(problems, true, 30 + 4 * n + p * (4 + 4 * static_cast<size_t>(n)) + 4 + 4 * j,
          "limb %u has parent %u but is not flagged as its child", j, p);
  }
  const size_t activeAt = 30 + 8 * static_cast<size_t>(n) + 4 * static_cast<size_t>(n) * n;
  for (uint32_t i = 0; i < n; ++i) {
    if (f->active[i] > 1)
      Add(problems, false, activeAt + 4 * i, "active flag of limb %u is %u (loads as 1)", i, f->active[i]);
    const int32_t ref = f->reference[i];
    if (ref >= static_cast<int32_t>(n))
      Add(problems, true, activeAt + 4 * n + 4 * i, "limb %u refers to limb %d, beyond the %u limbs", i, ref, n);
  }
}
