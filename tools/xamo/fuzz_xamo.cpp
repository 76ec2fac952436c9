// libFuzzer target: xamo info, check, dump and plot on arbitrary bytes as the file. Every run must
// end with exit code 0, 1 or 2, and info, check and dump must agree on whether the file is
// damaged: all three judge it by the same walk through the file.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <initializer_list>

#include "xamo.h"

namespace {

// The file the tool reads, the plot it writes and where its output goes; removed at exit.
char g_file[64], g_svg[64];
FILE* g_sink;

void RemoveScratch() {
  remove(g_file);
  remove(g_svg);
}

void SetUpScratch() {
  if (g_sink) return;
  snprintf(g_file, sizeof g_file, "/tmp/fuzz_xamo.%d.bin", static_cast<int>(getpid()));
  snprintf(g_svg, sizeof g_svg, "/tmp/fuzz_xamo.%d.svg", static_cast<int>(getpid()));
  g_sink = fopen("/dev/null", "w");
  if (!g_sink) abort();
  atexit(RemoveScratch);
}

int Run(std::initializer_list<const char*> args) {
  char* argv[8];
  int argc = 0;
  for (const char* a : args) argv[argc++] = const_cast<char*>(a);
  const int rc = XamoMain(argc, argv, g_sink, g_sink);
  if (rc < 0 || rc > 2) {
    fprintf(stderr, "xamo %s gave exit code %d\n", argv[1], rc);
    abort();
  }
  return rc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpScratch();
  FILE* f = fopen(g_file, "wb");
  if (!f) abort();
  if (size) fwrite(data, 1, size, f);
  fclose(f);
  const char* path = g_file;
  const int info = Run({"xamo", "info", path});
  const int check = Run({"xamo", "check", path});
  const int dump = Run({"xamo", "dump", path});
  if (info != check || dump != check) {
    fprintf(stderr, "info %d, check %d, dump %d disagree\n", info, check, dump);
    abort();
  }
  Run({"xamo", "dump", path, "--limb", "1"});
  Run({"xamo", "plot", path, "--limb", "0", "-o", g_svg});
  Run({"xamo", "plot", path, "--limb", "1", "-o", g_svg});
  return 0;
}
