// A blank animation file laid out for a host object: one track per limb, each with two identity
// keys at frames 0 and 1, ready to be loaded and edited.
#pragma once
#include <stdint.h>

// What the blank file is made from.
struct BlankAnimation {
  uint32_t limbCount;   // tracks to write (the object's limb count)
  float totalFrames;    // stored as the file's total frames (the object's own total animation frames)
};

// Lays out the file (cursor-and-counter convention): 36 + 204 * limbCount bytes.
void SerializeBlankAnimation(uint8_t** cursor, const BlankAnimation* blank, uint32_t* bytes);
// Writes it through WriteBufferToFile; false when the file could not be created.
bool WriteBlankAnimation(const char* fileName, const BlankAnimation* blank);
