// xamo: looks into Xamovel's files.
//
//   xamo info FILE                      kind, tracks and keys, frames, end mark; for a controller
//                                       file its limbs, update order, tree and settings
//   xamo dump FILE [--limb N]           every key: time, Euler angles, position, scale
//   xamo check FILE                     what is wrong with the file; exit code 1 when anything is
//   xamo plot FILE --limb N -o OUT.svg  the limb's angles and position against time
//
// Exit codes: 0 fine, 1 the file is missing, unreadable or has errors, 2 wrong usage.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "anim/animfile.h"
#include "anim/euler.h"
#include "plugin/filebuf.h"
#include "xamofile.h"

namespace {

const size_t kProgressAbove = 4u << 20;  // files larger than this get a progress line

int Usage() {
  fprintf(stderr,
          "usage: xamo info FILE\n"
          "       xamo dump FILE [--limb N]\n"
          "       xamo check FILE\n"
          "       xamo plot FILE --limb N -o OUT.svg\n"
          "FILE is an animation file (XAMOVELN) or, for info and check, a controller file (OACOBJ).\n");
  return 2;
}

void ShowProgress(size_t done, size_t total) {
  static int shown = -1;
  const int percent = total ? static_cast<int>(done * 100 / total) : 100;
  if (percent / 5 == shown / 5 && percent != 100) return;
  shown = percent;
  fprintf(stderr, "\rreading: %3d%% of %.1f MB%s", percent, total / 1048576.0, percent == 100 ? "\n" : "");
  fflush(stderr);
}

struct Loaded {
  uint8_t* data = nullptr;
  size_t size = 0;
  FileKind kind = FileKind::Unknown;
};

// Reads the whole file; prints why not when it cannot.
bool Load(const char* path, Loaded* f) {
  if (!ReadWholeFile(path, &f->data, &f->size)) {
    FILE* probe = fopen(path, "rb");
    if (probe) fclose(probe);
    fprintf(stderr, "xamo: %s: %s\n", path, probe ? "cannot be read" : "no such file, or it cannot be opened");
    return false;
  }
  if (f->size > kProgressAbove) fprintf(stderr, "xamo: %s is %.1f MB\n", path, f->size / 1048576.0);
  f->kind = DetectKind(f->data, f->size);
  if (f->kind == FileKind::Unknown) {
    fprintf(stderr, "xamo: %s is neither an animation file (XAMOVELN) nor a controller file (OACOBJ)\n", path);
    return false;
  }
  return true;
}

void PrintProblems(const char* path, const std::vector<Problem>& problems) {
  for (const Problem& p : problems)
    printf("%s: byte %zu: %s: %s\n", path, p.offset, p.error ? "error" : "warning", p.message.c_str());
}

// The animation as the plug-in loads it, or null (with the checker's errors printed) when the
// plug-in would load it as an empty animation.
AnimData* ParseAnimation(const char* path, const Loaded& f) {
  std::vector<Problem> problems;
  CheckAnimationFile(f.data, f.size, &problems, f.size > kProgressAbove ? ShowProgress : nullptr);
  AnimData* anim = AnimParse(f.data, f.size);
  if (HasErrors(problems)) {
    PrintProblems(path, problems);
    fprintf(stderr, "xamo: %s is damaged (the plug-in loads it as %s)\n", path,
            anim->limbCount ? "it stands, but see above" : "an empty animation");
    if (!anim->limbCount) {
      AnimFree(anim);
      return nullptr;
    }
  }
  return anim;
}

// A value for printing: tiny values (and minus zero) as 0.
float Tidy(float v) { return v > -5e-5f && v < 5e-5f ? 0.0f : v; }

bool ParseLimb(const char* text, uint32_t* limb) {
  char* end = nullptr;
  unsigned long v = strtoul(text, &end, 10);
  if (!*text || *end || v > 0xFFFFFFFFul) return false;
  *limb = static_cast<uint32_t>(v);
  return true;
}

int InfoAnimation(const char* path, const Loaded& f) {
  AnimData* anim = ParseAnimation(path, f);
  if (!anim) return 1;
  printf("%s: animation file (XAMOVELN), %zu bytes\n", path, f.size);
  printf("tracks: %u\ntotal frames: %u\nend mark: %u\n", anim->limbCount, static_cast<uint32_t>(anim->totalFrames),
         anim->endMark);
  printf("track  keys  first  last\n");
  for (uint32_t t = 0; t < anim->limbCount; ++t) {
    const AnimTrack& tr = anim->tracks[t];
    if (tr.keyCount)
      printf("%5u %5u %6u %5u\n", t, tr.keyCount, tr.keys[0].time, tr.keys[tr.keyCount - 1].time);
    else
      printf("%5u %5u      -     -\n", t, 0u);
  }
  AnimFree(anim);
  return 0;
}

// A tree line per limb under `parent`, children in limb order.
void PrintTree(const OacFile& c, uint32_t parent, int depth, std::vector<bool>* shown) {
  for (uint32_t i = 1; i < c.limbCount; ++i) {
    if (c.parents[i] != parent || (*shown)[i]) continue;
    (*shown)[i] = true;
    printf("  %*slimb %u%s%s\n", 2 * depth, "", i, c.active[i] ? "" : " (inactive)",
           c.reference[i] == static_cast<int32_t>(i)
               ? ""
               : (" -> writes " + (c.reference[i] < 0 ? std::string("nowhere") : "limb " + std::to_string(c.reference[i])))
                     .c_str());
    if (depth < static_cast<int>(c.limbCount)) PrintTree(c, i, depth + 1, shown);
  }
}

int InfoController(const char* path, const Loaded& f) {
  OacFile c;
  std::vector<Problem> problems;
  ReadControllerFile(f.data, f.size, &c, &problems);
  if (!c.complete) {
    PrintProblems(path, problems);
    fprintf(stderr, "xamo: %s is damaged\n", path);
    return 1;
  }
  printf("%s: controller file (OACOBJ), %zu bytes\n", path, f.size);
  printf("limbs: %u\nmodel type: %u\nupdate order:", c.limbCount, c.modelType);
  for (uint32_t l : c.updateOrder) printf(" %u", l);
  printf("\ntree (limb 0 first, then each limb under its parent):\n");
  if (c.limbCount) {
    printf("  limb 0%s\n", c.active[0] ? "" : " (inactive)");
    std::vector<bool> shown(c.limbCount, false);
    shown[0] = true;
    PrintTree(c, 0, 1, &shown);
  }
  printf("limb  parent  active  reference\n");
  for (uint32_t i = 0; i < c.limbCount; ++i)
    printf("%4u %7u %7u %10d\n", i, c.parents[i], c.active[i], c.reference[i]);
  if (!problems.empty()) PrintProblems(path, problems);
  return HasErrors(problems) ? 1 : 0;
}

int Dump(const char* path, const Loaded& f, bool oneLimb, uint32_t limb) {
  if (f.kind != FileKind::Animation) {
    fprintf(stderr, "xamo: %s is a controller file; it has no keys (try xamo info)\n", path);
    return 1;
  }
  AnimData* anim = ParseAnimation(path, f);
  if (!anim) return 1;
  if (oneLimb && limb >= anim->limbCount) {
    fprintf(stderr, "xamo: %s has %u tracks; there is no limb %u\n", path, anim->limbCount, limb);
    AnimFree(anim);
    return 1;
  }
  printf("track key  time      rot_x     rot_y     rot_z      pos_x      pos_y      pos_z  scale_x  scale_y  scale_z\n");
  for (uint32_t t = oneLimb ? limb : 0; t < (oneLimb ? limb + 1 : anim->limbCount); ++t) {
    const AnimTrack& tr = anim->tracks[t];
    for (uint32_t k = 0; k < tr.keyCount; ++k) {
      const Mat4& m = tr.keys[k].matrix;
      EulerAngles e = MatrixToEuler(m);
      printf("%5u %3u %5u %10.4f %9.4f %9.4f %10.4f %10.4f %10.4f %8.4f %8.4f %8.4f\n", t, k, tr.keys[k].time, Tidy(e.x),
             Tidy(e.y), Tidy(e.z), Tidy(m.m[12]), Tidy(m.m[13]), Tidy(m.m[14]), MatRowLength(m, 0),
             MatRowLength(m, 1), MatRowLength(m, 2));
    }
  }
  AnimFree(anim);
  return 0;
}

int Check(const char* path, const Loaded& f) {
  std::vector<Problem> problems;
  if (f.kind == FileKind::Animation) {
    CheckAnimationFile(f.data, f.size, &problems, f.size > kProgressAbove ? ShowProgress : nullptr);
  } else {
    OacFile c;
    ReadControllerFile(f.data, f.size, &c, &problems);
  }
  PrintProblems(path, problems);
  const bool bad = HasErrors(problems);
  printf("%s: %s\n", path, bad ? "has errors" : problems.empty() ? "fine" : "loads, with warnings");
  return bad ? 1 : 0;
}

// One chart of three series against time.
void Chart(FILE* svg, float top, const char* title, const char* unit, const AnimTrack& tr,
           float (*value)(const Mat4&, int)) {
  const float left = 70, width = 620, height = 200;
  const char* colours[3] = {"#c0392b", "#27ae60", "#1f5fbf"};
  const char* names[3] = {"X", "Y", "Z"};
  float lo = 0, hi = 0;
  for (uint32_t k = 0; k < tr.keyCount; ++k)
    for (int c = 0; c < 3; ++c) {
      float v = value(tr.keys[k].matrix, c);
      lo = v < lo ? v : lo;
      hi = v > hi ? v : hi;
    }
  if (hi - lo < 1e-6f) hi = lo + 1;
  const uint32_t t0 = tr.keyCount ? tr.keys[0].time : 0;
  const uint32_t t1 = tr.keyCount ? tr.keys[tr.keyCount - 1].time : 1;
  const float span = t1 > t0 ? static_cast<float>(t1 - t0) : 1.0f;
  auto px = [&](uint32_t t) { return left + width * static_cast<float>(t - t0) / span; };
  auto py = [&](float v) { return top + height - height * (v - lo) / (hi - lo); };
  fprintf(svg, "<text x='%.0f' y='%.0f' font-size='13' font-weight='bold'>%s (%s)</text>\n", left, top - 8, title, unit);
  fprintf(svg, "<rect x='%.0f' y='%.0f' width='%.0f' height='%.0f' fill='#fafafa' stroke='#bbb'/>\n", left, top, width,
          height);
  for (int g = 0; g <= 4; ++g) {
    float v = lo + (hi - lo) * g / 4;
    fprintf(svg, "<line x1='%.0f' y1='%.1f' x2='%.0f' y2='%.1f' stroke='#eee'/>\n", left, py(v), left + width, py(v));
    fprintf(svg, "<text x='%.0f' y='%.1f' font-size='10' text-anchor='end'>%.3g</text>\n", left - 5, py(v) + 3, v);
  }
  for (int g = 0; g <= 4; ++g) {
    uint32_t t = t0 + static_cast<uint32_t>(span * g / 4);
    fprintf(svg, "<text x='%.1f' y='%.0f' font-size='10' text-anchor='middle'>%u</text>\n", px(t), top + height + 14, t);
  }
  for (int c = 0; c < 3; ++c) {
    fprintf(svg, "<polyline fill='none' stroke='%s' stroke-width='2' points='", colours[c]);
    for (uint32_t k = 0; k < tr.keyCount; ++k)
      fprintf(svg, "%.1f,%.1f ", px(tr.keys[k].time), py(value(tr.keys[k].matrix, c)));
    fprintf(svg, "'/>\n");
    for (uint32_t k = 0; k < tr.keyCount; ++k)
      fprintf(svg, "<circle cx='%.1f' cy='%.1f' r='3' fill='%s'/>\n", px(tr.keys[k].time),
              py(value(tr.keys[k].matrix, c)), colours[c]);
    fprintf(svg, "<text x='%.0f' y='%.0f' font-size='11' fill='%s'>%s</text>\n", left + width + 10, top + 14 + 14 * c,
            colours[c], names[c]);
  }
}

float AngleOf(const Mat4& m, int c) {
  EulerAngles e = MatrixToEuler(m);
  return c == 0 ? e.x : c == 1 ? e.y : e.z;
}
float PositionOf(const Mat4& m, int c) { return m.m[12 + c]; }

int Plot(const char* path, const Loaded& f, uint32_t limb, const char* out) {
  if (f.kind != FileKind::Animation) {
    fprintf(stderr, "xamo: %s is a controller file; only animation files can be plotted\n", path);
    return 1;
  }
  AnimData* anim = ParseAnimation(path, f);
  if (!anim) return 1;
  if (limb >= anim->limbCount) {
    fprintf(stderr, "xamo: %s has %u tracks; there is no limb %u\n", path, anim->limbCount, limb);
    AnimFree(anim);
    return 1;
  }
  FILE* svg = fopen(out, "w");
  if (!svg) {
    fprintf(stderr, "xamo: cannot write %s\n", out);
    AnimFree(anim);
    return 1;
  }
  const AnimTrack& tr = anim->tracks[limb];
  fprintf(svg, "<svg xmlns='http://www.w3.org/2000/svg' width='780' height='580' font-family='DejaVu Sans, Verdana, "
               "sans-serif'>\n<rect width='100%%' height='100%%' fill='white'/>\n");
  const char* name = strrchr(path, '/');
  fprintf(svg, "<text x='20' y='24' font-size='14' font-weight='bold'>%s, limb %u: %u keys; frames across</text>\n",
          name ? name + 1 : path, limb, tr.keyCount);
  Chart(svg, 60, "Rotation", "degrees", tr, AngleOf);
  Chart(svg, 330, "Position", "units", tr, PositionOf);
  fprintf(svg, "</svg>\n");
  const bool ok = fclose(svg) == 0;
  AnimFree(anim);
  if (!ok) fprintf(stderr, "xamo: cannot write %s\n", out);
  else printf("%s: limb %u of %s plotted\n", out, limb, path);
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string cmd = argv[1];
  const char* path = argv[2];
  bool hasLimb = false;
  uint32_t limb = 0;
  const char* out = nullptr;
  for (int i = 3; i < argc; ++i) {
    if (strcmp(argv[i], "--limb") == 0 && i + 1 < argc) {
      if (!ParseLimb(argv[++i], &limb)) {
        fprintf(stderr, "xamo: --limb takes a limb number, not \"%s\"\n", argv[i]);
        return 2;
      }
      hasLimb = true;
    } else if (strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      out = argv[++i];
    } else {
      fprintf(stderr, "xamo: unexpected argument \"%s\"\n", argv[i]);
      return Usage();
    }
  }
  if (cmd != "info" && cmd != "dump" && cmd != "check" && cmd != "plot") return Usage();
  if (cmd == "plot" && (!hasLimb || !out)) {
    fprintf(stderr, "xamo: plot needs --limb N and -o OUT.svg\n");
    return 2;
  }
  Loaded f;
  if (!Load(path, &f)) {
    free(f.data);
    return 1;
  }
  int rc;
  if (cmd == "info") rc = f.kind == FileKind::Animation ? InfoAnimation(path, f) : InfoController(path, f);
  else if (cmd == "dump") rc = Dump(path, f, hasLimb, limb);
  else if (cmd == "check") rc = Check(path, f);
  else rc = Plot(path, f, limb, out);
  free(f.data);
  return rc;
}
