// Files as whole buffers: every file is read with one call and written from one buffer built in
// memory. Writers follow the cursor-and-counter convention: each field adds its size to a byte
// counter and, when a cursor is given, is stored there and the cursor advances; one pass without a
// cursor learns the size, one pass with a cursor fills a buffer of exactly that size.
// Readers go through ByteReader, which never reads past the end of the buffer.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "math/xmath.h"

// Reads a whole file into a new malloc'd buffer (*data, *size). False when the file cannot be
// opened or read; then *data is null.
bool ReadWholeFile(const char* fileName, uint8_t** data, size_t* size);

// A whole file's bytes for reading: mapped into memory where the platform can map files (no copy
// and no fresh heap pages, which matters for large animation files), read with ReadWholeFile
// otherwise. Release with CloseFileImage.
struct FileImage {
  const uint8_t* data;   // the bytes, or null for an empty or unreadable file
  size_t size;           // byte count
  bool mapped;           // true when data is a file mapping, false when it is a malloc'd buffer
};
bool OpenFileImage(const char* fileName, FileImage* image);   // false when it cannot be opened or read
void CloseFileImage(FileImage* image);

// Deletes any file of that name, creates it anew and writes the buffer with one call.
// False when the file could not be created (nothing is written then; an old file is gone).
bool WriteBufferToFile(const char* fileName, const void* buffer, uint32_t byteCount);

// --- Writing: cursor (may be null) and byte counter -----------------------------------------------
// The counter saturates at kLayoutTooLarge: a layout that reaches it is too large to write.
const uint32_t kLayoutTooLarge = 0xFFFFFFFFu;
void PutU32(uint8_t** cursor, uint32_t* bytes, uint32_t value);
void PutF32(uint8_t** cursor, uint32_t* bytes, float value);
void PutBytes(uint8_t** cursor, uint32_t* bytes, const void* data, uint32_t size);
void PutMatrix(uint8_t** cursor, uint32_t* bytes, const Mat4& m);

// Lays out a file with `layout` twice (to learn its size, then into a buffer of that size) and
// hands the buffer to WriteBufferToFile; its result. False, with nothing written and any old
// file left alone, when the layout is too large or its buffer cannot be had.
typedef void (*FileLayoutFn)(uint8_t** cursor, uint32_t* bytes, const void* context);
bool WriteLaidOutFile(const char* fileName, FileLayoutFn layout, const void* context);

// --- Reading, bounded ------------------------------------------------------------------------------
struct ByteReader {
  const uint8_t* p;   // next byte
  size_t left;        // bytes left
  bool ok;            // false once a read ran past the end (reads then give 0)
};
ByteReader MakeReader(const uint8_t* data, size_t size);
uint32_t GetU32(ByteReader* r);
float GetF32(ByteReader* r);
void GetMatrix(ByteReader* r, Mat4* m);
void Skip(ByteReader* r, size_t n);
// True when at least `count` items of `size` bytes each are left (no overflow).
bool Fits(const ByteReader* r, uint64_t count, uint64_t size);
// Reads a magic text of length L as the loaders do: keeps the first min(L, 255) characters,
// NUL-terminated (ending at an earlier NUL), and moves past all L bytes. Compares it with `magic`
// ignoring the case of ASCII letters.
bool ReadMagic(ByteReader* r, const char* magic);
