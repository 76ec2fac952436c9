#include "xamofile.h"

#include <stdarg.h>
#include <stdio.h>

#include "plugin/filebuf.h"

namespace {

const uint32_t kEndMark = 723;
const size_t kKeyBytes = 68;     // time + 16 floats
const size_t kTrackHead = 68;    // reference matrix + key count

size_t OffsetOf(const ByteReader& r, const uint8_t* data) { return static_cast<size_t>(r.p - data); }

std::string Format(const char* fmt, va_list args) {
  char text[512];
  vsnprintf(text, sizeof text, fmt, args);
  return text;
}

void Add(std::vector<Problem>* problems, bool error, size_t offset, const char* fmt, ...)
    XAMO_PRINTF(4, 5);
void Add(std::vector<Problem>* problems, bool error, size_t offset, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  problems->push_back({error, offset, Format(fmt, args)});
  va_end(args);
}

// Records where the file gives out: "at byte N, <where>".
void Stop(std::string* stop, size_t at, const char* fmt, ...) XAMO_PRINTF(3, 4);
void Stop(std::string* stop, size_t at, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  *stop = "at byte " + std::to_string(at) + ", " + Format(fmt, args);
  va_end(args);
}

// Reads up to `count` words into `words`, as many as the file holds; true when all were there.
template <typename T>
bool ReadWords(ByteReader* r, uint32_t count, std::vector<T>* words) {
  words->reserve(count < r->left / 4 ? count : r->left / 4);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t v = GetU32(r);
    if (!r->ok) return false;
    words->push_back(static_cast<T>(v));
  }
  return true;
}

// a * b + c as a byte count, or false when it does not fit in 64 bits.
bool CountBytes(uint64_t a, uint64_t b, uint64_t c, uint64_t* out) {
  if (b && a > (UINT64_MAX - c) / b) return false;
  *out = a * b + c;
  return true;
}

}  // namespace

FileKind DetectKind(const uint8_t* data, size_t size) {
  if (size == 0) return FileKind::Empty;
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

void ReadAnimationKey(const uint8_t* data, const AnimFileTrack& track, uint32_t k, uint32_t* time, Mat4* matrix) {
  ByteReader r = MakeReader(data + track.at + kTrackHead + k * kKeyBytes, kKeyBytes);
  *time = GetU32(&r);
  GetMatrix(&r, matrix);
}

void ReadAnimationFile(const uint8_t* data, size_t size, AnimFile* f, std::vector<Problem>* problems,
                       ProgressFn progress, void* context) {
  ByteReader r = MakeReader(data, size);
  if (!ReadMagic(&r, "XAMOVELN")) {
    Add(problems, true, 0, "not an animation file: the magic text is not \"XAMOVELN\"");
    Stop(&f->stop, 0, "in the magic text");
    return;
  }
  Skip(&r, 12);
  f->trackCount = GetU32(&r);
  f->statedTotal = GetF32(&r);
  const size_t totalAt = OffsetOf(r, data) - 4;
  if (!r.ok) {
    Add(problems, true, size, "truncated: the file ends inside its header (%zu bytes)", size);
    Stop(&f->stop, size, "in the header");
    return;
  }
  if (!Fits(&r, f->trackCount, kTrackHead))
    Add(problems, true, totalAt - 4,
        "the track count %u needs at least %llu bytes of tracks, but only %zu bytes follow the header",
        f->trackCount, static_cast<unsigned long long>(f->trackCount) * kTrackHead, r.left);
  uint32_t computedTotal = 0;
  for (uint32_t t = 0; t < f->trackCount; ++t) {
    if (progress) progress(context, OffsetOf(r, data), size);
    const size_t trackAt = OffsetOf(r, data);
    Skip(&r, 64);
    const uint32_t keys = GetU32(&r);
    if (!r.ok) {
      Add(problems, true, trackAt, "truncated: the file ends in the header of track %u of %u", t, f->trackCount);
      Stop(&f->stop, size, "in the header of track %u of %u", t, f->trackCount);
      return;
    }
    AnimFileTrack track{trackAt, keys, keys};
    if (!Fits(&r, keys, kKeyBytes)) {
      track.keysInFile = static_cast<uint32_t>(r.left / kKeyBytes);
      Add(problems, true, trackAt + 64,
          "truncated or miscounted: track %u states %u keys (%llu bytes) but only %zu bytes are left", t, keys,
          static_cast<unsigned long long>(keys) * kKeyBytes, r.left);
    }
    f->tracks.push_back(track);
    if (keys < 2)
      Add(problems, false, trackAt + 64, "track %u has %u key%s: a controller cannot play it between two keys", t,
          keys, keys == 1 ? "" : "s");
    uint32_t previous = 0;
    for (uint32_t k = 0; k < track.keysInFile; ++k) {
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
    if (track.keysInFile < keys) {
      Stop(&f->stop, size, "in key %u of track %u (of %u keys)", track.keysInFile, t, keys);
      return;
    }
  }
  const size_t endAt = OffsetOf(r, data);
  f->endMark = GetU32(&r);
  if (!r.ok) {
    Add(problems, true, endAt, "truncated: the end mark is missing (the file ends at byte %zu)", size);
    Stop(&f->stop, size, "before the end mark");
    return;
  }
  f->complete = true;
  if (f->endMark != kEndMark) Add(problems, false, endAt, "the end mark is %u, not %u", f->endMark, kEndMark);
  if (r.left)
    Add(problems, true, endAt + 4, "%zu bytes follow the end mark: the counts do not fit the file size", r.left);
  if (f->statedTotal != static_cast<float>(computedTotal))
    Add(problems, false, totalAt, "the header states %g total frames, the keys give %u (the loader uses %u)",
        f->statedTotal, computedTotal, computedTotal);
  if (progress) progress(context, size, size);
}

void ReadControllerFile(const uint8_t* data, size_t size, OacFile* f, std::vector<Problem>* problems) {
  ByteReader r = MakeReader(data, size);
  f->magicLength = GetU32(&r);
  r = MakeReader(data, size);
  if (!ReadMagic(&r, "OACOBJ")) {
    Add(problems, true, 0, "not a controller file: the magic text is not \"OACOBJ\"");
    Stop(&f->stop, 0, "in the magic text");
    return;
  }
  f->magic.assign(reinterpret_cast<const char*>(data) + 4, f->magicLength < 255 ? f->magicLength : 255);
  f->magic.resize(f->magic.find('\0') == std::string::npos ? f->magic.size() : f->magic.find('\0'));
  f->format = GetU32(&r);
  f->reserved[0] = GetU32(&r);
  f->reserved[1] = GetU32(&r);
  f->limbCount = GetU32(&r);
  f->modelType = GetU32(&r);
  const uint32_t n = f->limbCount;
  if (!r.ok) {
    Add(problems, true, size, "truncated: the file ends inside its header (%zu bytes)", size);
    Stop(&f->stop, size, "in the header");
    return;
  }
  f->header = true;
  const size_t bodyAt = OffsetOf(r, data);
  // 16n + 4n² bytes follow the header: n (4n + 16), which may not fit in 64 bits.
  uint64_t need = 0;
  const bool countable = CountBytes(n, 4ull * n + 16, 0, &need);
  if (!countable || need != r.left) {
    char needText[64];
    if (countable) snprintf(needText, sizeof needText, "%llu", static_cast<unsigned long long>(need));
    else snprintf(needText, sizeof needText, "about %.3g", (4.0 * n + 16.0) * n);
    Add(problems, true, bodyAt - 8, "%u limbs need %s bytes after the header, the file has %zu%s", n, needText,
        r.left, !countable || need > r.left ? " (truncated)" : " (extra bytes)");
  }

  // Field by field, keeping what is there; the vectors grow only with bytes the file holds.
  if (!ReadWords(&r, n, &f->updateOrder)) {
    Stop(&f->stop, size, "in the update order (position %zu of %u)", f->updateOrder.size(), n);
    return;
  }
  for (uint32_t i = 0; i < n; ++i) {
    f->links.push_back(OacLink{GetU32(&r), {}});
    if (!r.ok) {
      f->links.pop_back();
      Stop(&f->stop, size, "at the parent of limb %u of %u", i, n);
      return;
    }
    if (!ReadWords(&r, n, &f->links.back().childFlags)) {
      Stop(&f->stop, size, "in the child flags of limb %u (flag %zu of %u)", i, f->links.back().childFlags.size(), n);
      return;
    }
  }
  if (!ReadWords(&r, n, &f->active)) {
    Stop(&f->stop, size, "in the active flags (limb %zu of %u)", f->active.size(), n);
    return;
  }
  if (!ReadWords(&r, n, &f->reference)) {
    Stop(&f->stop, size, "in the references (limb %zu of %u)", f->reference.size(), n);
    return;
  }
  f->complete = true;

  // Every field is there, so every offset below lies inside the file.
  const size_t linksAt = bodyAt + 4 * static_cast<size_t>(n);
  const size_t linkBytes = 4 + 4 * static_cast<size_t>(n);
  const size_t activeAt = linksAt + n * linkBytes;
  const uint32_t kUnseen = 0xFFFFFFFFu;
  std::vector<uint32_t> seenAt(n, kUnseen);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t l = f->updateOrder[i];
    if (l >= n) Add(problems, true, bodyAt + 4 * i, "update order position %u names limb %u of %u", i, l, n);
    else if (seenAt[l] != kUnseen) Add(problems, true, bodyAt + 4 * i, "limb %u stands twice in the update order", l);
    else seenAt[l] = i;
  }
  for (uint32_t i = 0; i < n; ++i) {
    const size_t linkAt = linksAt + i * linkBytes;
    const uint32_t p = f->links[i].parent;
    if (p >= n) {
      Add(problems, true, linkAt, "limb %u has parent %u, beyond the %u limbs", i, p, n);
      continue;
    }
    if (p != 0 && seenAt[i] != kUnseen && seenAt[p] != kUnseen && seenAt[p] > seenAt[i])
      Add(problems, true, linkAt, "limb %u is updated before its parent %u", i, p);
    for (uint32_t j = 0; j < n; ++j)
      if (f->links[i].childFlags[j] > 1)
        Add(problems, true, linkAt + 4 + 4 * j, "child flag of limb %u for limb %u is %u, not 0 or 1", i, j,
            f->links[i].childFlags[j]);
  }
  // Every limb with a parent other than 0 must be flagged as a descendant of that parent.
  for (uint32_t j = 0; j < n; ++j) {
    const uint32_t p = f->links[j].parent;
    if (p != 0 && p < n && f->links[p].childFlags[j] != 1)
      Add(problems, true, linksAt + p * linkBytes + 4 + 4 * j, "limb %u has parent %u but is not flagged as its child",
          j, p);
  }
  for (uint32_t i = 0; i < n; ++i) {
    if (f->active[i] > 1)
      Add(problems, false, activeAt + 4 * i, "active flag of limb %u is %u (loads as 1)", i, f->active[i]);
    if (f->reference[i] >= 0 && static_cast<uint32_t>(f->reference[i]) >= n)
      Add(problems, true, activeAt + 4 * n + 4 * i, "limb %u refers to limb %d, beyond the %u limbs", i,
          f->reference[i], n);
  }
}
