// xamo, the file tool, as a function: main() calls it, and so can a test or a fuzzer in-process.
#pragma once
#include <stdio.h>

// Runs xamo with the arguments of main (argv[0] is the program name), writing its results to
// `out` and its complaints to `err`. Returns the exit code: 0 fine, 1 a missing, unreadable,
// foreign or damaged file, 2 wrong usage. Keeps no state from one call to the next.
int XamoMain(int argc, char** argv, FILE* out, FILE* err);
