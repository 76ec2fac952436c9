#include "xamo.h"

int main(int argc, char** argv) { return XamoMain(argc, argv, stdout, stderr); }
