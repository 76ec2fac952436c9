#include "xfile.h"

#include <math.h>
#include <stdio.h>

namespace {

void WriteMatrix(FILE* f, const Mat4& m) {
  // Always with a decimal point: some readers take "1,0" for one number written with a decimal comma.
  for (int i = 0; i < 16; ++i) fprintf(f, "%s%.7f", i ? "," : "", m.m[i]);
}

// An axis-aligned box around the bone from the joint to `end`, `r` units thick on every side.
void WriteBox(FILE* f, const XFrame& frame, const char* indent) {
  const float r = 0.45f;
  float lo[3], hi[3];
  for (int a = 0; a < 3; ++a) {
    lo[a] = fminf(0.0f, frame.end[a]) - r;
    hi[a] = fmaxf(0.0f, frame.end[a]) + r;
  }
  fprintf(f, "%sMesh %s_box {\n%s 8;\n", indent, frame.name.c_str(), indent);
  for (int v = 0; v < 8; ++v)
    fprintf(f, "%s %.4f;%.4f;%.4f;%s\n", indent, (v & 1 ? hi : lo)[0], (v & 2 ? hi : lo)[1], (v & 4 ? hi : lo)[2],
            v == 7 ? ";" : ",");
  // Two triangles per side, clockwise seen from outside (the front face in a left-handed view).
  static const int kFaces[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                                    {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
  fprintf(f, "%s 12;\n", indent);
  for (int t = 0; t < 12; ++t)
    fprintf(f, "%s 3;%d,%d,%d;%s\n", indent, kFaces[t][0], kFaces[t][1], kFaces[t][2], t == 11 ? ";" : ",");
  fprintf(f, "%s}\n", indent);
}

void WriteFrame(FILE* f, const std::vector<XFrame>& frames, size_t i, int depth) {
  const std::string indent(2 * depth, ' ');
  fprintf(f, "%sFrame %s {\n%s  FrameTransformMatrix {\n%s    ", indent.c_str(), frames[i].name.c_str(),
          indent.c_str(), indent.c_str());
  WriteMatrix(f, frames[i].rest);
  fprintf(f, ";;\n%s  }\n", indent.c_str());
  WriteBox(f, frames[i], (indent + "  ").c_str());
  for (size_t c = 0; c < frames.size(); ++c)
    if (frames[c].parent == static_cast<int>(i)) WriteFrame(f, frames, c, depth + 1);
  fprintf(f, "%s}\n", indent.c_str());
}

}  // namespace

bool WriteXFile(const char* path, const std::vector<XFrame>& frames, const AnimData& anim, const char* setName,
                float framesPerSecond) {
  if (anim.limbCount != frames.size()) return false;
  FILE* f = fopen(path, "w");
  if (!f) return false;
  fprintf(f, "xof 0303txt 0032\n\n");
  fprintf(f, "// The Xamovel sample character: %zu frames, one box each, and the animation \"%s\" as matrix\n"
             "// keys. One tick is one frame.\n\n", frames.size(), setName);
  fprintf(f, "AnimTicksPerSecond {\n  %g;\n}\n\n", framesPerSecond);
  for (size_t i = 0; i < frames.size(); ++i)
    if (frames[i].parent < 0) WriteFrame(f, frames, i, 0);
  fprintf(f, "\nAnimationSet %s {\n", setName);
  for (size_t i = 0; i < frames.size(); ++i) {
    const AnimTrack& t = anim.tracks[i];
    fprintf(f, "  Animation {\n    {%s}\n    AnimationKey {\n      4;\n      %u;\n", frames[i].name.c_str(), t.keyCount);
    for (uint32_t k = 0; k < t.keyCount; ++k) {
      Mat4 key;
      MatMultiply(&key, frames[i].rest, t.keys[k].matrix);
      fprintf(f, "      %u;16;", t.keys[k].time);
      WriteMatrix(f, key);
      fprintf(f, ";;%s\n", k + 1 == t.keyCount ? ";" : ",");
    }
    fprintf(f, "    }\n  }\n");
  }
  fprintf(f, "}\n");
  return fclose(f) == 0;
}
