// xamo: looks into Xamovel's files.
//
//   xamo info FILE                      kind, tracks and keys, frames, end mark; for a controller
//                                       file its limbs, update order, tree and settings
//   xamo dump FILE [--limb N]           every key: time, Euler angles, position, scale; every field
//                                       of a controller file
//   xamo check FILE                     what is wrong with the file; exit code 1 when anything is
//   xamo plot FILE --limb N -o OUT.svg  the limb's angles and position against time
//
// info, dump and plot show whatever a damaged file holds, then its errors on stderr, and exit 1.
// Complaints go to stderr only after stdout is flushed, so both stay in order in one pipe.
#include "xamo.h"

#include <math.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "anim/animfile.h"
#include "anim/animquery.h"
#include "anim/euler.h"
#include "plugin/filebuf.h"
#include "xamofile.h"

namespace {

const size_t kProgressAbove = 4u << 20;  // files larger than this get a progress line

const char kUsage[] =
    "usage: xamo info FILE\n"
    "       xamo dump FILE [--limb N]\n"
    "       xamo check FILE\n"
    "       xamo plot FILE --limb N -o OUT.svg\n"
    "       xamo --help | --version\n"
    "FILE is an animation file (XAMOVELN) or, except for plot, a controller file (OACOBJ).\n"
    "Exit codes: 0 fine, 1 a missing, unreadable, foreign or damaged file, 2 wrong usage.\n";

// One run of the tool: where it writes and the file it works on.
struct Run {
  FILE* out;
  FILE* err;
  const char* path = nullptr;
  uint8_t* data = nullptr;
  size_t size = 0;
  FileKind kind = FileKind::Unknown;
  int progressShown = -1;
};

void VComplain(Run* run, const char* fmt, va_list args) {
  fflush(run->out);
  fputs("xamo: ", run->err);
  vfprintf(run->err, fmt, args);
  fputc('\n', run->err);
}

void Complain(Run* run, const char* fmt, ...) XAMO_PRINTF(2, 3);
void Complain(Run* run, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  VComplain(run, fmt, args);
  va_end(args);
}

// Wrong usage: what is wrong and the usage, on stderr; exit code 2.
int UsageError(Run* run, const char* fmt, ...) XAMO_PRINTF(2, 3);
int UsageError(Run* run, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  VComplain(run, fmt, args);
  va_end(args);
  fputs(kUsage, run->err);
  return 2;
}

void ShowProgress(void* context, size_t done, size_t total) {
  Run* run = static_cast<Run*>(context);
  const int percent = total ? static_cast<int>(done / (total / 100 + 1)) : 100;
  const int shown = percent < 100 && done < total ? percent : 100;
  if (shown / 5 == run->progressShown / 5) return;
  run->progressShown = shown;
  fprintf(run->err, "\rreading: %3d%% of %.1f MB%s", shown, total / 1048576.0, shown == 100 ? "\n" : "");
  fflush(run->err);
}

// Reads the whole file; says why not when it cannot or when it is none of ours.
bool Load(Run* run) {
  if (!ReadWholeFile(run->path, &run->data, &run->size)) {
    FILE* probe = fopen(run->path, "rb");
    if (probe) fclose(probe);
    Complain(run, "%s: %s", run->path, probe ? "cannot be read" : "no such file, or it cannot be opened");
    return false;
  }
  if (run->size > kProgressAbove) Complain(run, "%s is %.1f MB", run->path, run->size / 1048576.0);
  run->kind = DetectKind(run->data, run->size);
  if (run->kind == FileKind::Empty) Complain(run, "%s is empty (0 bytes)", run->path);
  else if (run->kind == FileKind::Unknown)
    Complain(run, "%s is neither an animation file (XAMOVELN) nor a controller file (OACOBJ)", run->path);
  return run->kind == FileKind::Animation || run->kind == FileKind::Controller;
}

void PrintProblem(FILE* to, const char* path, const Problem& p) {
  fprintf(to, "%s: byte %zu: %s: %s\n", path, p.offset, p.error ? "error" : "warning", p.message.c_str());
}

// After info, dump or plot: the file's errors on stderr, then what they mean; 1 when there were
// any, else 0.
int ReportErrors(Run* run, const std::vector<Problem>& problems, const std::string& meaning) {
  if (!HasErrors(problems)) return 0;
  fflush(run->out);
  for (const Problem& p : problems)
    if (p.error) PrintProblem(run->err, run->path, p);
  Complain(run, "%s is damaged%s", run->path, meaning.c_str());
  return 1;
}

std::string StopsText(const std::string& stop, const char* shown) {
  return stop.empty() ? std::string() : "; it ends " + stop + ", " + shown;
}

void ReadAnimation(Run* run, AnimFile* a, std::vector<Problem>* problems) {
  ReadAnimationFile(run->data, run->size, a, problems, run->size > kProgressAbove ? ShowProgress : nullptr, run);
}

// A value for the key table in `width` columns: tiny values (and minus zero) as 0, large ones
// with an exponent, any NaN as "nan".
std::string Cell(float v, int width) {
  char text[64];
  if (isnan(v)) snprintf(text, sizeof text, "%*s", width, "nan");
  else if (fabsf(v) >= 1e7f) snprintf(text, sizeof text, "%*.3e", width, v);
  else snprintf(text, sizeof text, "%*.4f", width, v > -5e-5f && v < 5e-5f ? 0.0f : v);
  return text;
}

bool ParseLimb(const char* text, uint32_t* limb) {
  if (*text < '0' || *text > '9') return false;
  char* end = nullptr;
  const unsigned long long v = strtoull(text, &end, 10);
  if (*end || v > 0xFFFFFFFFull) return false;
  *limb = static_cast<uint32_t>(v);
  return true;
}

int InfoAnimation(Run* run) {
  AnimFile a;
  std::vector<Problem> problems;
  ReadAnimation(run, &a, &problems);
  AnimData* loaded = AnimParse(run->data, run->size);
  FILE* out = run->out;
  fprintf(out, "%s: animation file (XAMOVELN), %zu bytes\n", run->path, run->size);
  fprintf(out, "tracks: %u\ntotal frames: %u\n", a.trackCount, AnimTotalFramesWhole(loaded));
  if (a.complete) fprintf(out, "end mark: %u\n", a.endMark);
  else fprintf(out, "end mark: missing\n");
  fprintf(out, "track  keys  first  last\n");
  for (uint32_t t = 0; t < a.tracks.size(); ++t) {
    const AnimFileTrack& tr = a.tracks[t];
    uint32_t first = 0, last = 0;
    Mat4 m;
    if (tr.keysInFile) {
      ReadAnimationKey(run->data, tr, 0, &first, &m);
      ReadAnimationKey(run->data, tr, tr.keysInFile - 1, &last, &m);
      fprintf(out, "%5u %5u %6u %5u\n", t, tr.keyCount, first, last);
    } else {
      fprintf(out, "%5u %5u      -     -\n", t, tr.keyCount);
    }
  }
  const bool empty = loaded->limbCount == 0;
  AnimFree(loaded);
  return ReportErrors(run, problems,
                      std::string(empty ? " (the plug-in loads it as an empty animation)"
                                        : " (the plug-in loads it all the same)") +
                          StopsText(a.stop, "the tracks above are all it holds"));
}

// The tree from limb 0 down, children in limb order; then the limbs it does not reach.
void PrintTree(Run* run, const OacFile& c) {
  const uint32_t n = c.limbCount, kNone = 0xFFFFFFFFu;
  if (!n) return;
  std::vector<uint32_t> firstChild(n, kNone), lastChild(n, kNone), nextSibling(n, kNone);
  for (uint32_t i = 1; i < n; ++i) {
    const uint32_t p = c.links[i].parent;
    if (p >= n || p == i) continue;
    if (lastChild[p] == kNone) firstChild[p] = i;
    else nextSibling[lastChild[p]] = i;
    lastChild[p] = i;
  }
  // Each limb stands in one list only, its parent's, and limb 0 in none: the walk visits each once.
  std::vector<bool> reached(n, false);
  std::vector<std::pair<uint32_t, uint32_t>> stack{{0u, 0u}};  // limb, depth
  while (!stack.empty()) {
    const uint32_t l = stack.back().first, depth = stack.back().second;
    stack.pop_back();
    reached[l] = true;
    std::string writes;
    if (c.reference[l] < 0) writes = " -> writes nowhere";
    else if (static_cast<uint32_t>(c.reference[l]) != l) writes = " -> writes limb " + std::to_string(c.reference[l]);
    fprintf(run->out, "  %*slimb %u%s%s\n", static_cast<int>(2 * (depth < 1000 ? depth : 1000)), "", l,
            c.active[l] ? "" : " (inactive)", writes.c_str());
    if (nextSibling[l] != kNone) stack.push_back({nextSibling[l], depth});
    if (firstChild[l] != kNone) stack.push_back({firstChild[l], depth + 1});
  }
  std::string unreached;
  for (uint32_t i = 0; i < n; ++i)
    if (!reached[i]) unreached += " " + std::to_string(i);
  if (!unreached.empty()) fprintf(run->out, "  not below limb 0:%s\n", unreached.c_str());
}

int InfoController(Run* run) {
  OacFile c;
  std::vector<Problem> problems;
  ReadControllerFile(run->data, run->size, &c, &problems);
  FILE* out = run->out;
  fprintf(out, "%s: controller file (OACOBJ), %zu bytes\n", run->path, run->size);
  if (c.header) fprintf(out, "limbs: %u\nmodel type: %u\n", c.limbCount, c.modelType);
  if (c.complete) {
    fprintf(out, "update order:");
    for (uint32_t l : c.updateOrder) fprintf(out, " %u", l);
    fprintf(out, "\ntree (limb 0 first, then each limb under its parent):\n");
    PrintTree(run, c);
    fprintf(out, "limb  parent  active  reference\n");
    for (uint32_t i = 0; i < c.limbCount; ++i)
      fprintf(out, "%4u %7u %7u %10d\n", i, c.links[i].parent, c.active[i], c.reference[i]);
  }
  return ReportErrors(run, problems, StopsText(c.stop, "so its limbs are not shown"));
}

void PrintKeyHeader(FILE* out) {
  fprintf(out,
          "track key  time      rot_x     rot_y     rot_z      pos_x      pos_y      pos_z  scale_x  scale_y  "
          "scale_z\n");
}

int DumpAnimation(Run* run, bool oneLimb, uint32_t limb) {
  AnimFile a;
  std::vector<Problem> problems;
  ReadAnimation(run, &a, &problems);
  if (oneLimb && limb >= a.trackCount) {
    Complain(run, "%s has %u tracks; there is no limb %u", run->path, a.trackCount, limb);
    return 1;
  }
  PrintKeyHeader(run->out);
  for (uint32_t t = 0; t < a.tracks.size(); ++t) {
    if (oneLimb && t != limb) continue;
    for (uint32_t k = 0; k < a.tracks[t].keysInFile; ++k) {
      uint32_t time;
      Mat4 m;
      ReadAnimationKey(run->data, a.tracks[t], k, &time, &m);
      const EulerAngles e = MatrixToEuler(m);
      const float values[9] = {e.x, e.y, e.z, m.m[12], m.m[13], m.m[14],
                               MatRowLength(m, 0), MatRowLength(m, 1), MatRowLength(m, 2)};
      const int widths[9] = {10, 9, 9, 10, 10, 10, 8, 8, 8};
      fprintf(run->out, "%5u %3u %5u", t, k, time);
      for (int i = 0; i < 9; ++i) fprintf(run->out, " %s", Cell(values[i], widths[i]).c_str());
      fputc('\n', run->out);
    }
  }
  return ReportErrors(run, problems, StopsText(a.stop, "the keys above are all it holds"));
}

void PrintWords(FILE* out, const char* label, const std::vector<uint32_t>& words) {
  fputs(label, out);
  for (uint32_t w : words) fprintf(out, " %u", w);
  fputc('\n', out);
}

// Every field of a controller file in file order, the child flags as one row per limb.
int DumpController(Run* run) {
  OacFile c;
  std::vector<Problem> problems;
  ReadControllerFile(run->data, run->size, &c, &problems);
  FILE* out = run->out;
  fprintf(out, "%s: controller file (OACOBJ), %zu bytes\nmagic: %u bytes, \"%s\"\n", run->path, run->size,
          c.magicLength, c.magic.c_str());
  if (c.header) {
    fprintf(out, "format: %u\nreserved: %u %u\nlimbs: %u\nmodel type: %u\n", c.format, c.reserved[0], c.reserved[1],
            c.limbCount, c.modelType);
    PrintWords(out, "update order:", c.updateOrder);
  }
  if (!c.links.empty()) fprintf(out, "limb links (parent, then the child flags for limbs 0 to %u):\n", c.limbCount - 1);
  for (uint32_t i = 0; i < c.links.size(); ++i) {
    fprintf(out, "  limb %u: parent %u, children", i, c.links[i].parent);
    PrintWords(out, "", c.links[i].childFlags);
  }
  if (c.links.size() == c.limbCount && c.header) PrintWords(out, "active:", c.active);
  if (c.active.size() == c.limbCount && c.header) {
    fputs("references:", out);
    for (int32_t r : c.reference) fprintf(out, " %d", r);
    fputc('\n', out);
  }
  return ReportErrors(run, problems, StopsText(c.stop, "the fields above are all it holds"));
}

int Check(Run* run) {
  std::vector<Problem> problems;
  if (run->kind == FileKind::Animation) {
    AnimFile a;
    ReadAnimation(run, &a, &problems);
  } else {
    OacFile c;
    ReadControllerFile(run->data, run->size, &c, &problems);
  }
  for (const Problem& p : problems) PrintProblem(run->out, run->path, p);
  const bool bad = HasErrors(problems);
  fprintf(run->out, "%s: %s\n", run->path, bad ? "has errors" : problems.empty() ? "fine" : "loads, with warnings");
  return bad ? 1 : 0;
}

// --- plot -------------------------------------------------------------------------------------------

std::string XmlText(const char* s) {
  std::string t;
  for (; *s; ++s) {
    if (*s == '<') t += "&lt;";
    else if (*s == '>') t += "&gt;";
    else if (*s == '&') t += "&amp;";
    else if (*s == '\'') t += "&apos;";
    else t += *s;
  }
  return t;
}

struct PlotKeys {
  std::vector<uint32_t> times;
  std::vector<Mat4> matrices;
  uint32_t first = 0, last = 0;  // the earliest and latest key time
};

// One panel: a component against time, scaled to its own finite values, with labelled axes.
void Panel(FILE* svg, double left, double top, const char* title, const char* unit, const char* colour,
           const PlotKeys& keys, const std::vector<float>& values) {
  const double width = 300, height = 130;
  double lo = INFINITY, hi = -INFINITY;
  size_t notFinite = 0;
  for (float v : values) {
    if (!isfinite(v)) ++notFinite;
    else lo = v < lo ? v : lo, hi = v > hi ? v : hi;
  }
  if (lo > hi) lo = -1, hi = 1;
  if (hi - lo < 1e-9 * (fabs(hi) + fabs(lo) + 1)) {
    const double pad = fabs(lo) > 1 ? fabs(lo) / 2 : 1;
    lo -= pad;
    hi += pad;
  }
  const double span = keys.last > keys.first ? static_cast<double>(keys.last - keys.first) : 1.0;
  auto px = [&](uint32_t t) { return left + width * (static_cast<double>(t) - keys.first) / span; };
  auto py = [&](double v) { return top + height - height * (v - lo) / (hi - lo); };

  fprintf(svg, "<text x='%.0f' y='%.0f' font-size='13' font-weight='bold'>%s</text>\n", left, top - 8, title);
  fprintf(svg, "<rect x='%.0f' y='%.0f' width='%.0f' height='%.0f' fill='#fafafa' stroke='#888'/>\n", left, top,
          width, height);
  for (int g = 0; g <= 4; ++g) {
    const double v = lo + (hi - lo) * g / 4;
    fprintf(svg, "<line x1='%.0f' y1='%.1f' x2='%.0f' y2='%.1f' stroke='#e4e4e4'/>\n", left, py(v), left + width,
            py(v));
    fprintf(svg, "<text x='%.0f' y='%.1f' font-size='10' text-anchor='end'>%.4g</text>\n", left - 5, py(v) + 3, v);
    const uint32_t t = keys.first + static_cast<uint32_t>(static_cast<uint64_t>(keys.last - keys.first) * g / 4);
    fprintf(svg, "<text x='%.1f' y='%.0f' font-size='10' text-anchor='middle'>%u</text>\n", px(t),
            top + height + 14, t);
  }
  fprintf(svg, "<text x='%.0f' y='%.0f' font-size='11' text-anchor='middle'>frame</text>\n", left + width / 2,
          top + height + 30);
  fprintf(svg,
          "<text x='%.0f' y='%.0f' font-size='11' text-anchor='middle' transform='rotate(-90 %.0f %.0f)'>%s</text>\n",
          left - 48, top + height / 2, left - 48, top + height / 2, unit);
  // The curve, broken where a value is not finite.
  fprintf(svg, "<path fill='none' stroke='%s' stroke-width='2' d='", colour);
  bool drawing = false;
  for (size_t k = 0; k < values.size(); ++k) {
    if (!isfinite(values[k])) {
      drawing = false;
      continue;
    }
    fprintf(svg, "%s%.1f,%.1f ", drawing ? "L" : "M", px(keys.times[k]), py(values[k]));
    drawing = true;
  }
  fprintf(svg, "'/>\n");
  for (size_t k = 0; k < values.size(); ++k)
    if (isfinite(values[k]))
      fprintf(svg, "<circle cx='%.1f' cy='%.1f' r='3' fill='%s'/>\n", px(keys.times[k]), py(values[k]), colour);
  if (notFinite)
    fprintf(svg, "<text x='%.0f' y='%.0f' font-size='10' text-anchor='end' fill='#c00'>%zu not finite, not drawn</text>\n",
            left + width - 4, top + 12, notFinite);
}

float AngleOf(const Mat4& m, int c) {
  const EulerAngles e = MatrixToEuler(m);
  return c == 0 ? e.x : c == 1 ? e.y : e.z;
}
float PositionOf(const Mat4& m, int c) { return m.m[12 + c]; }

int Plot(Run* run, uint32_t limb, const char* outPath) {
  AnimFile a;
  std::vector<Problem> problems;
  ReadAnimation(run, &a, &problems);
  if (limb >= a.tracks.size()) {
    if (limb < a.trackCount) Complain(run, "%s ends before the track of limb %u", run->path, limb);
    else Complain(run, "%s has %u tracks; there is no limb %u", run->path, a.trackCount, limb);
    ReportErrors(run, problems, StopsText(a.stop, "nothing is plotted"));
    return 1;
  }
  const AnimFileTrack& track = a.tracks[limb];
  PlotKeys keys;
  keys.times.resize(track.keysInFile);
  keys.matrices.resize(track.keysInFile);
  for (uint32_t k = 0; k < track.keysInFile; ++k) ReadAnimationKey(run->data, track, k, &keys.times[k], &keys.matrices[k]);
  if (!keys.times.empty()) keys.first = keys.last = keys.times[0];
  for (uint32_t t : keys.times) keys.first = t < keys.first ? t : keys.first, keys.last = t > keys.last ? t : keys.last;

  FILE* svg = fopen(outPath, "w");
  if (!svg) {
    Complain(run, "cannot write %s", outPath);
    return 1;
  }
  const char* name = strrchr(run->path, '/');
  fprintf(svg,
          "<svg xmlns='http://www.w3.org/2000/svg' width='850' height='690' font-family='DejaVu Sans, Verdana, "
          "sans-serif'>\n<rect width='100%%' height='100%%' fill='white'/>\n"
          "<text x='20' y='24' font-size='14' font-weight='bold'>%s, limb %u: %u keys, frames %u to %u</text>\n",
          XmlText(name ? name + 1 : run->path).c_str(), limb, track.keysInFile, keys.first, keys.last);
  const char* colours[3] = {"#c0392b", "#27ae60", "#1f5fbf"};
  const char* axes[3] = {"X", "Y", "Z"};
  std::vector<float> values(track.keysInFile);
  for (int column = 0; column < 2; ++column) {
    for (int c = 0; c < 3; ++c) {
      for (uint32_t k = 0; k < track.keysInFile; ++k)
        values[k] = column == 0 ? AngleOf(keys.matrices[k], c) : PositionOf(keys.matrices[k], c);
      const std::string title = std::string(column == 0 ? "Rotation " : "Position ") + axes[c];
      Panel(svg, 80 + 410 * column, 70 + 210 * c, title.c_str(), column == 0 ? "degrees" : "units", colours[c], keys,
            values);
    }
  }
  fprintf(svg, "</svg>\n");
  if (fclose(svg) != 0) {
    Complain(run, "cannot write %s", outPath);
    return 1;
  }
  fprintf(run->out, "%s: limb %u of %s plotted\n", outPath, limb, run->path);
  return ReportErrors(run, problems, StopsText(a.stop, "the plot shows the keys before that"));
}

bool IsHelp(const char* arg) { return strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0; }

}  // namespace

int XamoMain(int argc, char** argv, FILE* out, FILE* err) {
  Run run{out, err};
  if (argc < 2 || IsHelp(argv[1])) {
    fputs(kUsage, out);
    return 0;
  }
  if (strcmp(argv[1], "--version") == 0) {
    fprintf(out, "xamo %s, the file tool of Xamovel\n", XAMO_VERSION);
    return 0;
  }
  const std::string cmd = argv[1];
  if (cmd != "info" && cmd != "dump" && cmd != "check" && cmd != "plot")
    return UsageError(&run, "unknown command \"%s\"", argv[1]);
  bool hasLimb = false;
  uint32_t limb = 0;
  const char* outPath = nullptr;
  for (int i = 2; i < argc; ++i) {
    const char* arg = argv[i];
    if (IsHelp(arg)) {
      fputs(kUsage, out);
      return 0;
    }
    if (strcmp(arg, "--limb") == 0) {
      if (i + 1 >= argc) return UsageError(&run, "--limb needs a limb number");
      if (!ParseLimb(argv[++i], &limb)) return UsageError(&run, "--limb takes a limb number, not \"%s\"", argv[i]);
      hasLimb = true;
    } else if (strcmp(arg, "-o") == 0) {
      if (i + 1 >= argc) return UsageError(&run, "-o needs a file name");
      outPath = argv[++i];
    } else if (arg[0] == '-' && arg[1]) {
      return UsageError(&run, "unknown option \"%s\"", arg);
    } else if (run.path) {
      return UsageError(&run, "unexpected argument \"%s\"", arg);
    } else {
      run.path = arg;
    }
  }
  if (!run.path) return UsageError(&run, "%s needs a FILE", argv[1]);
  if (hasLimb && cmd != "dump" && cmd != "plot") return UsageError(&run, "--limb is for dump and plot");
  if (outPath && cmd != "plot") return UsageError(&run, "-o is for plot");
  if (cmd == "plot" && (!hasLimb || !outPath)) return UsageError(&run, "plot needs --limb N and -o OUT.svg");

  int rc = 1;
  if (Load(&run)) {
    const bool animation = run.kind == FileKind::Animation;
    if (cmd == "info") rc = animation ? InfoAnimation(&run) : InfoController(&run);
    else if (cmd == "check") rc = Check(&run);
    else if (cmd == "dump" && animation) rc = DumpAnimation(&run, hasLimb, limb);
    else if (cmd == "dump") rc = hasLimb ? UsageError(&run, "--limb is for animation files") : DumpController(&run);
    else if (!animation) Complain(&run, "%s is a controller file; only animation files can be plotted", run.path);
    else rc = Plot(&run, limb, outPath);
  }
  free(run.data);
  fflush(out);
  return rc;
}
