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

// The file the tool reads and the plot it writes, removed at exit; the tool's output goes nowhere.
char g_file[64], g_svg[64];
FILE* g_sink;

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
  if (!g_sink) {
    snprintf(g_file, sizeof g_file, "/tmp/fuzz_xamo.%d.bin", static_cast<int>(getpid()));
    snprintf(g_svg, sizeof g_svg, "/tmp/fuzz_xamo.%d.svg", static_cast<int>(getpid()));
    if (!(g_sink = fopen("/dev/null", "w"))) abort();
    atexit([] { remove(g_file); remove(g_svg); });
  }
  FILE* f = fopen(g_file, "wb");
  if (!f) abort();
  fwrite(data, 1, size, f);
  fclose(f);
  const char* path = g_file;
  const int info = Run({"xamo", "info", path}), check = Run({"xamo", "check", path});
  const int dump = Run({"xamo", "dump", path});
  if (info != check || dump != check) {
    fprintf(stderr, "info %d, check %d, dump %d disagree\n", info, check, dump);
    abort();
  }
  Run({"xamo", "dump", path, "--limb", "1"});
  for (const char* limb : {"0", "1"}) Run({"xamo", "plot", path, "--limb", limb, "-o", g_svg});
  return 0;
}
