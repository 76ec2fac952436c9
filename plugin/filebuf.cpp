#include "plugin/filebuf.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

bool ReadWholeFile(const char* fileName, uint8_t** data, size_t* size) {
  *data = nullptr;
  *size = 0;
  if (!fileName) return false;
#if !defined(_WIN32)
  // A folder opens for reading here and reports a nonsense size: take regular files only.
  struct stat st;
  if (stat(fileName, &st) != 0 || !S_ISREG(st.st_mode)) return false;
#endif
  FILE* f = fopen(fileName, "rb");
  if (!f) return false;
  long n = -1;
  if (fseek(f, 0, SEEK_END) == 0) n = ftell(f);
  if (n < 0 || fseek(f, 0, SEEK_SET) != 0) {
    fclose(f);
    return false;
  }
  uint8_t* buf = static_cast<uint8_t*>(malloc(n ? static_cast<size_t>(n) : 1));
  if (!buf) {
    fclose(f);
    return false;
  }
  const size_t got = n ? fread(buf, 1, static_cast<size_t>(n), f) : 0;
  fclose(f);
  if (got != static_cast<size_t>(n)) {
    free(buf);
    return false;
  }
  *data = buf;
  *size = static_cast<size_t>(n);
  return true;
}

bool OpenFileImage(const char* fileName, FileImage* image) {
  *image = FileImage{nullptr, 0, false};
  if (!fileName) return false;
#if !defined(_WIN32)
  const int fd = open(fileName, O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  if (st.st_size > 0) {
    void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      close(fd);
      *image = FileImage{static_cast<const uint8_t*>(p), static_cast<size_t>(st.st_size), true};
      return true;
    }
  }
  close(fd);
#endif
  uint8_t* data;
  size_t size;
  if (!ReadWholeFile(fileName, &data, &size)) return false;
  *image = FileImage{data, size, false};
  return true;
}

void CloseFileImage(FileImage* image) {
#if !defined(_WIN32)
  if (image->mapped) munmap(const_cast<uint8_t*>(image->data), image->size);
  else
#endif
    free(const_cast<uint8_t*>(image->data));
  *image = FileImage{nullptr, 0, false};
}

bool WriteBufferToFile(const char* fileName, const void* buffer, uint32_t byteCount) {
  if (!fileName) return false;
  remove(fileName);
  FILE* f = fopen(fileName, "wb");
  if (!f) return false;
  if (byteCount) fwrite(buffer, 1, byteCount, f);
  fclose(f);
  return true;
}

bool WriteLaidOutFile(const char* fileName, FileLayoutFn layout, const void* context) {
  uint32_t size = 0;
  layout(nullptr, &size, context);
  if (size == kLayoutTooLarge) return false;
  uint8_t* buffer = static_cast<uint8_t*>(malloc(size ? size : 1));
  if (!buffer) return false;
  uint8_t* cursor = buffer;
  uint32_t written = 0;
  layout(&cursor, &written, context);
  const bool ok = WriteBufferToFile(fileName, buffer, size);
  free(buffer);
  return ok;
}

void PutBytes(uint8_t** cursor, uint32_t* bytes, const void* data, uint32_t size) {
  // The counter stops at kLayoutTooLarge instead of wrapping, so a file too large to lay out is
  // never given a buffer too small for it.
  *bytes = size < kLayoutTooLarge - *bytes ? *bytes + size : kLayoutTooLarge;
  if (cursor && *cursor) {
    memcpy(*cursor, data, size);
    *cursor += size;
  }
}

void PutU32(uint8_t** cursor, uint32_t* bytes, uint32_t value) {
  uint8_t le[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                   static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  PutBytes(cursor, bytes, le, 4);
}

void PutF32(uint8_t** cursor, uint32_t* bytes, float value) {
  uint32_t u;
  memcpy(&u, &value, 4);
  PutU32(cursor, bytes, u);
}

void PutMatrix(uint8_t** cursor, uint32_t* bytes, const Mat4& m) {
  for (float v : m.m) PutF32(cursor, bytes, v);
}

ByteReader MakeReader(const uint8_t* data, size_t size) { return ByteReader{data, data ? size : 0, true}; }

uint32_t GetU32(ByteReader* r) {
  if (r->left < 4) {
    r->ok = false;
    r->left = 0;
    return 0;
  }
  const uint8_t* p = r->p;
  r->p += 4;
  r->left -= 4;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

float GetF32(ByteReader* r) {
  const uint32_t u = GetU32(r);
  float v;
  memcpy(&v, &u, 4);
  return v;
}

void GetMatrix(ByteReader* r, Mat4* m) {
  for (float& v : m->m) v = GetF32(r);
}

void Skip(ByteReader* r, size_t n) {
  if (r->left < n) {
    r->ok = false;
    r->left = 0;
    return;
  }
  r->p += n;
  r->left -= n;
}

bool Fits(const ByteReader* r, uint64_t count, uint64_t size) {
  return size == 0 || count <= r->left / size;
}

bool ReadMagic(ByteReader* r, const char* magic) {
  const uint32_t length = GetU32(r);
  char text[256];
  const size_t kept = length < 255 ? length : 255;
  if (!r->ok || r->left < kept) {
    r->ok = false;
    return false;
  }
  memcpy(text, r->p, kept);
  text[kept] = 0;
  Skip(r, length);
  if (!r->ok) return false;
  for (size_t i = 0;; ++i) {
    char a = text[i], b = magic[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
    if (!a) return true;
  }
}
